#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "check/column_type.hpp"
#include "diagnostic/result.hpp"
#include "parse/syntax_tree.hpp"

namespace brell {

// The names of the columns, joined by ", ".
std::string column_names(const std::vector<TableColumn>& columns);

// The column of that exact name, or the refusal "there is no column called ..." under `span`,
// with the closest name offered and every column listed.
Result<TableColumn> look_up_column(std::string_view name, Span span,
                                   const std::vector<TableColumn>& columns);

// Whether the table has a column of that exact name.
bool has_column(const std::vector<TableColumn>& columns, std::string_view name);

// The described table of that exact name, or the refusal that begins with `opening` ("this joins
// a table called"), says which tables were described, and offers the closest name. The
// pipeline's own table, described last, is searched too but not listed as another table.
Result<TableDescription> look_up_table(const TableName& table,
                                       const std::vector<TableDescription>& described,
                                       std::string_view opening);

}  // namespace brell
