#pragma once

#include <vector>

#include "parse/syntax_tree.hpp"

namespace brell {

// The values a writer spells for one checked step, in reading order: a keep's condition (and
// the question its `matching` asks of the other table's rows), the items of an add, a summarize
// or a fill_missing, a widen's cell and filler. (The checker has turned every chooser into
// items, and a rename's values are the columns it renames.)
std::vector<const Value*> values_of_step(const Step& step);

}  // namespace brell
