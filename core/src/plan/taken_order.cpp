#include "plan/taken_order.hpp"

namespace brell {

Sort taken_order(const Sort& sort, bool last) {
    if (!last) return sort;
    Sort turned = sort;
    for (SortKey& key : turned.keys) key.descending = !key.descending;
    turned.missing_first = !sort.missing_first;
    return turned;
}

TakenRows taken_rows(const Take& take) {
    // The parser has seen that a range starts at row 1 or later and ends no earlier.
    return TakenRows{take.first_row.value_or(1) - 1, take.count};
}

}  // namespace brell
