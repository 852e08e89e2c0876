#pragma once

#include "parse/syntax_tree.hpp"

namespace brell {

// The order a `take` counts its rows in: the sort's own order for `take`, and the same keys
// read from the other end for `take_last`, each key turned and missing values moved to the
// other end with them. Rows level on every key of that order are ties.
Sort taken_order(const Sort& sort, bool last);

}  // namespace brell
