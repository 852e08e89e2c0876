#pragma once

#include <string>
#include <vector>

#include "parse/syntax_tree.hpp"

namespace brell {

// One column a `rename` step touches: the name it arrives with and the name it leaves with.
struct Renaming {
    std::string arrived_as;
    std::string leaves_as;
};

// What a `rename` step does, its pairs applied one after another, folded into one renaming per
// column, in the order the columns are first renamed. A column renamed back to its own name is
// listed too, to itself.
std::vector<Renaming> renamed_names(const Rename& rename);

}  // namespace brell
