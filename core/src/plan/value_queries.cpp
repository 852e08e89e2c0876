#include "plan/value_queries.hpp"

#include "parse/vocabulary.hpp"

namespace brell {
namespace {

// Visits the value and its children in reading order (a node before its children) until
// `found` answers yes; `enter` says whether to walk a node's children.
template <typename Found, typename Enter>
const Value* find_first(const Value& value, const Found& found, const Enter& enter) {
    if (found(value)) return &value;
    if (!enter(value)) return nullptr;
    for (const Value* child : children(value)) {
        if (const Value* hit = find_first(*child, found, enter)) return hit;
    }
    return nullptr;
}

bool is_call_of_kind(const Value& value, FunctionKind kind) {
    const auto* call = std::get_if<Call>(&value.node);
    if (call == nullptr) return false;
    const FunctionEntry* entry = find_function(call->function);
    return entry != nullptr && entry->kind == kind;
}

const auto kEveryChild = [](const Value&) { return true; };

}  // namespace

bool holds_aggregate(const Value& value) {
    const auto outside_rolling = [](const Value& node) {
        return !std::holds_alternative<Rolling>(node.node);
    };
    return find_first(
               value,
               [](const Value& node) { return is_call_of_kind(node, FunctionKind::Aggregate); },
               outside_rolling) != nullptr;
}

bool is_ordered_aggregate(std::string_view function) {
    return function == "first" || function == "last" || function == "join_rows";
}

const Value* first_ordered_aggregate(const Value& value) {
    const auto is_ordered = [](const Value& node) {
        const auto* call = std::get_if<Call>(&node.node);
        return call != nullptr && is_ordered_aggregate(call->function);
    };
    return find_first(value, is_ordered, kEveryChild);
}

bool holds_ordered_aggregate(const Value& value) {
    return first_ordered_aggregate(value) != nullptr;
}

bool calls_function(const Value& value, std::string_view function) {
    const auto is_call = [&](const Value& node) {
        const auto* call = std::get_if<Call>(&node.node);
        return call != nullptr && call->function == function;
    };
    return find_first(value, is_call, kEveryChild) != nullptr;
}

const Call* first_call(const Value& value, std::string_view function,
                       const std::function<bool(const Call&)>& chosen) {
    const auto is_chosen = [&](const Value& node) {
        const auto* call = std::get_if<Call>(&node.node);
        return call != nullptr && call->function == function && chosen(*call);
    };
    const Value* found = find_first(value, is_chosen, kEveryChild);
    return found == nullptr ? nullptr : &std::get<Call>(found->node);
}

bool holds_window(const Value& value) {
    const auto is_window = [](const Value& node) {
        return std::holds_alternative<Ranking>(node.node) ||
               std::holds_alternative<Rolling>(node.node) ||
               is_call_of_kind(node, FunctionKind::Window);
    };
    return find_first(value, is_window, kEveryChild) != nullptr;
}

std::optional<OrderReader> first_order_reader(const Value& value) {
    std::string_view name;
    const auto reads_order = [&](const Value& node) {
        if (std::holds_alternative<Rolling>(node.node)) {
            name = "rolling(...)";
        } else if (const auto* ranking = std::get_if<Ranking>(&node.node)) {
            if (ranking->column) return false;
            name = "row_number()";
        } else if (const auto* call = std::get_if<Call>(&node.node)) {
            if (call->function == "latest")
                name = "latest(...)";
            else if (call->function == "previous")
                name = "previous(...)";
            else if (call->function == "following")
                name = "following(...)";
            else if (call->function == "running_total")
                name = "running_total(...)";
            else
                return false;
        } else {
            return false;
        }
        return true;
    };
    const Value* found = find_first(value, reads_order, kEveryChild);
    if (found == nullptr) return std::nullopt;
    return OrderReader{name, found->span};
}

std::optional<ColumnName> made_here(const Value& value, const std::set<std::string>& made_earlier) {
    const auto read_name = [](const Value& node) -> const ColumnName* {
        if (const auto* column = std::get_if<Column>(&node.node)) return &column->name;
        if (const auto* ranking = std::get_if<Ranking>(&node.node)) {
            return ranking->column ? &*ranking->column : nullptr;
        }
        return nullptr;
    };
    const auto reads_made = [&](const Value& node) {
        const ColumnName* name = read_name(node);
        return name != nullptr && made_earlier.count(name->text) > 0;
    };
    const Value* found = find_first(value, reads_made, kEveryChild);
    if (found == nullptr) return std::nullopt;
    const bool is_column = std::holds_alternative<Column>(found->node);
    return ColumnName{read_name(*found)->text, is_column ? found->span : read_name(*found)->span};
}

std::optional<KeptMembership> kept_membership(const Value& condition) {
    const Value* asked = &condition;
    bool negated = false;
    if (const auto* inverted = std::get_if<Not>(&asked->node)) {
        asked = &*inverted->operand;
        negated = true;
    }
    if (const auto* matching = std::get_if<Matching>(&asked->node)) {
        return KeptMembership{matching, negated};
    }
    return std::nullopt;
}

}  // namespace brell
