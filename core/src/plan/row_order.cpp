#include "plan/row_order.hpp"

#include <algorithm>

#include "parse/overloaded.hpp"
#include "plan/step_values.hpp"
#include "plan/value_queries.hpp"

namespace brell {

bool order_settled_after(const StepNode& step, bool settled_before) {
    const auto keeps = [&](const auto&) { return settled_before; };
    const auto unsettles = [](const auto&) { return false; };
    return std::visit(Overloaded{
                          [](const Sort&) { return true; },
                          [&](const Keep& node) { return keeps(node); },
                          [&](const Pick& node) { return keeps(node); },
                          [&](const Add& node) { return keeps(node); },
                          [&](const Summarize& node) { return unsettles(node); },
                          [&](const Take& node) { return keeps(node); },
                          [&](const AddRows& node) { return unsettles(node); },
                          [&](const AddCombinations& node) { return keeps(node); },
                          [&](const DropDuplicates& node) { return unsettles(node); },
                          [&](const Rename& node) { return keeps(node); },
                          [&](const DropMissing& node) { return keeps(node); },
                          [&](const FillMissing& node) { return keeps(node); },
                          [&](const Lengthen& node) { return unsettles(node); },
                          [&](const Widen& node) { return unsettles(node); },
                          [&](const Join& node) { return unsettles(node); },
                      },
                      step);
}

bool reads_row_order(const Step& step) {
    if (std::holds_alternative<Take>(step.node)) return true;
    const std::vector<const Value*> values = values_of_step(step);
    return std::any_of(values.begin(), values.end(), [](const Value* value) {
        return first_order_reader(*value).has_value() || holds_ordered_aggregate(*value);
    });
}

std::vector<bool> order_read_after(std::span<const Step> steps) {
    // The table a pipeline reads arrives in an order of its own, which `take` may read.
    bool settled = true;
    for (const Step& step : steps) settled = order_settled_after(step.node, settled);
    std::vector<bool> read(steps.size(), false);
    bool read_beyond = settled;  // the result is promised in order when its order is settled
    for (std::size_t i = steps.size(); i-- > 0;) {
        read[i] = read_beyond;
        const Step& step = steps[i];
        const bool passes_order_on =
            !std::holds_alternative<Sort>(step.node) && order_settled_after(step.node, true);
        read_beyond = reads_row_order(step) || (passes_order_on && read_beyond);
    }
    return read;
}

}  // namespace brell
