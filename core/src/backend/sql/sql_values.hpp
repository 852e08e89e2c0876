#pragma once

#include <span>
#include <string>
#include <vector>

#include "backend/sql/sql_dialect.hpp"
#include "parse/column_type.hpp"
#include "parse/syntax_tree.hpp"

namespace brell {

// What a value is written within: the sort in force (for window functions), the partition
// columns (an add step's `by`), and whether aggregates become window functions (an add step's
// values).
struct ValueContext {
    const Sort* sort = nullptr;
    std::vector<std::string> partition;
    bool window = false;
    // The column that numbers the rows in their order, quoted, where the dialect's ordered
    // aggregates read it; else empty.
    std::string place{};
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
                            const std::string& first_argument, const std::string& place = {});

// The column that numbers the rows, for a step whose values are `values`: a name free at the step
// where the dialect numbers the rows for its ordered aggregates and a value holds one; else empty.
std::string row_place_for(const SqlDialect& dialect, const std::vector<const Value*>& values,
                          std::span<const TableColumn> table);

// The rows of the relation (a step's name) with `place` numbering them, under the relation's
// own name, or the relation itself when `place` is empty.
std::string with_row_place(const SqlDialect& dialect, const std::string& relation,
                           const std::string& place);

}  // namespace brell
