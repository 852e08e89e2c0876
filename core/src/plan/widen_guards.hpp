#pragma once

#include <string>
#include <vector>

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

}  // namespace brell
