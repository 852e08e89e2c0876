#include "plan/taken_order.hpp"

namespace brell {

Sort taken_order(const Sort& sort, bool last) {
    if (!last) return sort;
    Sort turned = sort;
    for (SortKey& key : turned.keys) key.descending = !key.descending;
    turned.missing_first = !sort.missing_first;
    return turned;
}

}  // namespace brell
