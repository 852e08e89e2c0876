#include "check/unsettled_order.hpp"

#include "plan/step_values.hpp"
#include "plan/value_queries.hpp"

namespace brell {

Verdict unsettled_order_refusal(const Step& step, std::string_view unsettled_by,
                                const std::vector<TableColumn>& table) {
    const std::string after = "after `" + std::string(unsettled_by) + "`";
    const std::string sort = "then sort [" + (table.empty() ? "x" : table.front().name) + "]";
    if (const auto* take = std::get_if<Take>(&step.node); take && !take->last) {
        const std::string count = take->first_row ? "rows " + std::to_string(*take->first_row) +
                                                        " to " + std::to_string(take->count)
                                                  : std::to_string(take->count);
        const std::string reads = take->first_row ? "` counts its rows from the first, but "
                                                  : "` keeps the first rows, but ";
        return Diagnostic::illegal("`take " + count + reads + after +
                                       " the rows are in no particular order: each engine would "
                                       "keep other rows. Sort before it: `" +
                                       sort + " then take " + count + "`",
                                   step.span);
    }
    for (const Value* value : values_of_step(step)) {
        if (const Value* aggregate = first_ordered_aggregate(*value)) {
            const std::string& name = std::get<Call>(aggregate->node).function;
            return Diagnostic::illegal(
                "`" + name + "` reads the rows in the order they are in, but " + after +
                    " they are in no particular order: each engine would give another answer. "
                    "Sort before this step: `" +
                    sort + "`",
                aggregate->span);
        }
    }
    return std::nullopt;
}

}  // namespace brell
