#pragma once

#include <string>
#include <unordered_map>

#include "parse/syntax_tree.hpp"

namespace brell {

// What a `rename` step does to each column it touches, its pairs applied one after another:
// from the column's name as the step receives it to the name it leaves with. A column renamed
// back to its own name is listed too, to itself.
std::unordered_map<std::string, std::string> renamed_names(const Rename& rename);

}  // namespace brell
