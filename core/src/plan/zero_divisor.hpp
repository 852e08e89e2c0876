#pragma once

#include <string_view>

#include "parse/syntax_tree.hpp"

namespace brell {

// A division or a remainder by zero is missing on every target, so that brell's own arithmetic
// never makes an infinity or a not-a-number (which some engines count as missing and others do
// not). A writer makes the divisor missing where it is 0, unless it is a number written in the
// sentence other than 0.
bool divisor_may_be_zero(const Value& divisor);

// Whether the function divides its first argument by its second: `remainder`, `whole_quotient`
// and `quotient_remainder`.
bool divides_by_second(std::string_view function);

// Whether the arithmetic divides (its right side is a divisor).
bool divides(const Arithmetic& arithmetic);

}  // namespace brell
