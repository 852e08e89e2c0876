#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "parse/column_type.hpp"
#include "parse/syntax_tree.hpp"
#include "text/joined_text.hpp"

namespace brell::polars {

// A value as polars code: a polars expression, or a plain Python literal when it holds no column
// and no function (`1`, `"West"`, `(1 + 2)`). polars takes a plain literal only in some places:
// it has no methods, and where an expression is expected a plain string names a column.
struct PolarsValue {
    std::string text;
    bool expression = false;
};

// One checked value, read against the table the step receives. `over` holds the columns of an
// `add ... by`: each aggregate and window in the value is worked out per group of them.
PolarsValue polars_value(const Value& value, const std::vector<TableColumn>& table,
                         const std::vector<std::string>& over = {});

// The value where a whole column is meant (after `with_columns`, `filter`, `select`): a plain
// literal is wrapped in `pl.lit(...)`.
std::string polars_expression(const Value& value, const std::vector<TableColumn>& table,
                              const std::vector<std::string>& over = {});

// The value with a method to follow (`.alias(...)`): an expression, with a literal wrapped and a
// `~` in parentheses.
std::string polars_receiver(const Value& value, const std::vector<TableColumn>& table,
                            const std::vector<std::string>& over = {});

// The value polars fills missing values with: as it is, but `missing` itself as `pl.lit(None)`,
// since `fill_null(None)` asks for no filling at all.
std::string polars_filler(const Value& value, const std::vector<TableColumn>& table);

// A list of names: `["a", "b"]`.
std::string name_list(const std::vector<std::string>& names);

}  // namespace brell::polars
