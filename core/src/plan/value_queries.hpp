#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "parse/syntax_tree.hpp"

namespace brell {

// Whether the value holds a call of an aggregate function anywhere but inside `rolling(...)`.
bool holds_aggregate(const Value& value);

// Whether the aggregate's answer depends on the order the rows come in: `first`, `last` or
// `join_rows`.
bool is_ordered_aggregate(std::string_view function);

// The first such aggregate call in reading order, or null.
const Value* first_ordered_aggregate(const Value& value);
// Whether the value holds such an aggregate.
bool holds_ordered_aggregate(const Value& value);

// Whether the value calls the named function anywhere.
bool calls_function(const Value& value, std::string_view function);

// The first call of the named function in reading order, or null when the value calls none
// that `chosen` answers yes for.
const Call* first_call(const Value& value, std::string_view function,
                       const std::function<bool(const Call&)>& chosen);

// Whether the value holds `rank(...)`, `row_number()`, `rolling(...)` or a window function.
bool holds_window(const Value& value);

// The first value in reading order that reads the rows in the order they are in, with the name
// messages and drawings show for it ("running_total(...)", "row_number()", ...). `rank(...)`
// names its own order and is not one.
struct OrderReader {
    std::string_view display_name;
    Span span;
};
std::optional<OrderReader> first_order_reader(const Value& value);

// A keep condition that asks for rows matching another table: `matching(...)` alone or under
// one `not`.
struct KeptMembership {
    const Matching* matching = nullptr;
    bool negated = false;
};
// The membership the condition asks for, or none when it asks anything else.
std::optional<KeptMembership> kept_membership(const Value& condition);

// The first column the value reads that is one of `made_earlier` (names made by earlier items
// of the same step), in reading order, with the span of the reference.
std::optional<ColumnName> made_here(const Value& value, const std::set<std::string>& made_earlier);

}  // namespace brell
