#pragma once

#include <string>
#include <vector>

#include "parse/syntax_tree.hpp"

namespace brell {

// What a widen does when the data holds rows it cannot place: it fails the program with one of
// these messages rather than lose the rows without saying so. Every writer that can fail a
// program at run time uses these words.

// A row whose name columns (`name_columns`, at least one) hold a missing value has no column to
// go to.
std::string widen_missing_name_message(const std::vector<std::string>& name_columns);

// A row whose name is not one `giving` lists.
std::string widen_unlisted_name_message();

// Two rows that want the same cell when the cell is not an aggregate.
std::string widen_shared_cell_message();

// Whether two rows that want one cell fail the widen: its value is not an aggregate, so nothing
// says which of them wins. Rows whose names are missing never get that far.
bool widen_fails_on_shared_cells(const Widen& widen);

}  // namespace brell
