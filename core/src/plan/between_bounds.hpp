#pragma once

#include "parse/syntax_tree.hpp"

namespace brell {

// `between(x, low, high)` means `x >= low and x <= high`, each question and the `and` answered
// as with missing values everywhere: a missing end makes the answer missing only where the other
// end does not already say no (7 is not between a missing value and 5). A target whose own
// `between` answers otherwise writes this value instead.
Value between_as_comparisons(const Call& between);

}  // namespace brell
