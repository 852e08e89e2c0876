#pragma once

#include <string_view>

namespace brell {

// Whether a function's answer may pass every number (`power(10, 400)`), divide by zero
// (`power(0, -1)`) or have no number at all (`power(-8, 1 / 3)`). Such an answer is missing on
// every target, where engines give an infinity or a not-a-number, which some count as missing and
// others do not. A writer works the answer out, then makes it missing where it is not a finite
// number, and where either argument is missing (R and numpy make NA to the 0 and 1 to the NA 1).
bool may_answer_non_finite(std::string_view function);

}  // namespace brell
