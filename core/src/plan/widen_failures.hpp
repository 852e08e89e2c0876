#pragma once

#include <string_view>

namespace brell {

// What a widened query fails with when the data holds a name `giving` does not list: widening
// would drop those rows without saying so.
inline constexpr std::string_view kNameGivingDoesNotList =
    "this holds a value that `giving` does not list, so widening would drop those rows without "
    "saying so. Add it to `giving`, or keep only the rows you meant first";

// What a widened query fails with when two rows fill one cell and the cell is no aggregate.
inline constexpr std::string_view kTwoRowsForOneCell =
    "two rows want the same cell, and nothing here says which of them wins. Say what to do about "
    "that with `value average(...)` or `value first(...)`, or summarize before widening";

}  // namespace brell
