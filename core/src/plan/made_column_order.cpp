#include "plan/made_column_order.hpp"

namespace brell {

MadeColumnOrder made_column_order(const Widen& widen) {
    return widen.giving.empty() ? MadeColumnOrder::ByNameBytes : MadeColumnOrder::AsGiving;
}

}  // namespace brell
