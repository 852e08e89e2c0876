#pragma once

#include <string>
#include <vector>

#include "backend/sql/sql_dialect.hpp"
#include "parse/syntax_tree.hpp"

namespace brell {

// What a value is written within: the sort in force (for window functions), the partition
// columns (an add step's `by`), and whether aggregates become window functions (an add step's
// values).
struct ValueContext {
    const Sort* sort = nullptr;
    std::vector<std::string> partition;
    bool window = false;
};

// One checked value as one SQL expression.
std::string write_value(const SqlDialect& dialect, const Value& value, const ValueContext& context);

// The window of a window function: "PARTITION BY ..." and "ORDER BY ...", either or both.
std::string window_of(const SqlDialect& dialect, const ValueContext& context);

// The partition clause alone, with a space after it, or nothing.
std::string partition_clause(const SqlDialect& dialect, const std::vector<std::string>& columns);

// The names, each quoted, joined by ", ".
std::string quoted_names(const SqlDialect& dialect, const std::vector<std::string>& names);

// An aggregate call's SQL with its first argument already written: `sum("x")`, `count(*)`.
std::string write_aggregate(const SqlDialect& dialect, const Call& call,
                            const std::string& first_argument);

}  // namespace brell
