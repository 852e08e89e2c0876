#include "plan/row_wise_argument.hpp"

#include "parse/vocabulary.hpp"
#include "plan/value_queries.hpp"

namespace brell {

bool aggregates_row_wise_argument(const Value& item) {
    const auto* call = std::get_if<Call>(&item.node);
    if (call == nullptr) return false;
    const FunctionEntry* entry = find_function(call->function);
    if (entry == nullptr || entry->kind != FunctionKind::Aggregate) return false;
    for (const Value& argument : call->arguments) {
        if (holds_aggregate(argument) || holds_window(argument)) return false;
    }
    return true;
}

}  // namespace brell
