#pragma once

#include <vector>

#include "diagnostic/result.hpp"
#include "parse/column_type.hpp"
#include "parse/syntax_tree.hpp"

namespace brell {

// The columns a `where` over columns chooses, in table order: the chooser is a yes-or-no
// question about each column's `name` and `kind`, refused when it asks anything else.
Result<std::vector<TableColumn>> choose_columns(const Value& chooser,
                                                const std::vector<TableColumn>& columns);

}  // namespace brell
