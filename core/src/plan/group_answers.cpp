#include "plan/group_answers.hpp"

#include <algorithm>

#include "parse/vocabulary.hpp"
#include "plan/helper_names.hpp"

namespace brell {
namespace {

bool is_aggregate_call(const Value& value) {
    const auto* call = std::get_if<Call>(&value.node);
    if (call == nullptr) return false;
    const FunctionEntry* entry = find_function(call->function);
    return entry != nullptr && entry->kind == FunctionKind::Aggregate;
}

// Replaces each aggregate call in `value` by a helper column, outermost first: an aggregate
// holds no other.
void take_out_aggregates(Value& value, HelperNames& names, std::vector<NamedValue>& aggregates) {
    if (is_aggregate_call(value)) {
        ColumnName helper{names.name("__aggregate"), value.span};
        aggregates.push_back(NamedValue{helper, value});
        value.node = Column{std::move(helper)};
        return;
    }
    for (Value* child : children(value)) take_out_aggregates(*child, names, aggregates);
}

}  // namespace

bool answers_are_aggregates(const Summarize& summarize) {
    return std::all_of(summarize.items.begin(), summarize.items.end(),
                       [](const NamedValue& item) { return is_aggregate_call(item.value); });
}

GroupAnswers group_answers(const Summarize& summarize, std::span<const TableColumn> table) {
    HelperNames names(table);
    for (const NamedValue& item : summarize.items) names.hold(item.name.text);
    GroupAnswers taken_apart;
    for (const NamedValue& item : summarize.items) {
        NamedValue answer = item;
        take_out_aggregates(answer.value, names, taken_apart.aggregates);
        taken_apart.answers.push_back(std::move(answer));
    }
    return taken_apart;
}

}  // namespace brell
