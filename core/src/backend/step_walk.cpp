#include "backend/step_walk.hpp"

#include "plan/row_order.hpp"

namespace brell {

std::vector<PlannedStep> planned_steps(const CheckedPipeline& checked,
                                       const std::vector<SharedColumns>& tables) {
    const std::vector<bool> order_read = order_read_after(checked.steps);
    std::vector<PlannedStep> planned;
    planned.reserve(checked.steps.size());
    for (std::size_t i = 0; i < checked.steps.size(); ++i) {
        const std::vector<TableColumn>& result =
            i + 1 < checked.steps.size() ? *tables.at(i + 1) : checked.columns;
        planned.push_back(PlannedStep{checked.steps[i], i, checked.steps, *tables.at(i), result,
                                      sort_in_force(checked, i), order_read[i],
                                      i > 0 ? tables.at(i - 1).get() : nullptr});
    }
    return planned;
}

}  // namespace brell
