#pragma once

#include <cstdint>

#include "parse/syntax_tree.hpp"

namespace brell {

// The order a `take` counts its rows in: the sort's own order for `take`, and the same keys
// read from the other end for `take_last`, each key turned and missing values moved to the
// other end with them. Rows level on every key of that order are ties.
Sort taken_order(const Sort& sort, bool last);

// Which rows of that order a `take` keeps, of the whole table or of each group: the rows after
// the first `skipped`, up to and including row `through`, counted from 1. `take 15` skips none
// and keeps through row 15; `take rows 11 to 15` skips 10. A table or group with fewer rows
// keeps those of them that exist, and none when it has no more than `skipped`.
struct TakenRows {
    std::int64_t skipped = 0;
    std::int64_t through = 0;

    std::int64_t first() const { return skipped + 1; }  // the first row kept, counted from 1
    std::int64_t most_kept() const { return through - skipped; }
};
TakenRows taken_rows(const Take& take);

}  // namespace brell
