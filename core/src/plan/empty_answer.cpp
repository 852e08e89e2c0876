#include "plan/empty_answer.hpp"

#include "parse/vocabulary.hpp"

namespace brell {

EmptyAnswer answer_over_no_rows(const Call& aggregate) {
    const bool counts = aggregate.function == "row_count" || aggregate.function == "unique_count" ||
                        aggregate.function == "value_count";
    return counts ? EmptyAnswer::Zero : EmptyAnswer::Missing;
}

std::optional<bool> answer_over_no_truths(std::string_view function) {
    if (function == "any_yes") return false;
    if (function == "all_yes") return true;
    return std::nullopt;
}

EmptyAnswer widen_empty_cell(const Widen& widen) {
    if (!widen.value) return EmptyAnswer::Missing;
    const auto* call = std::get_if<Call>(&widen.value->node);
    const FunctionEntry* entry = call != nullptr ? find_function(call->function) : nullptr;
    if (entry == nullptr || entry->kind != FunctionKind::Aggregate) return EmptyAnswer::Missing;
    return answer_over_no_rows(*call);
}

}  // namespace brell
