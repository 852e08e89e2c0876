#pragma once

#include <string>

namespace brell {

// The shortest decimal digits that read back as the same number, written positionally (never
// with an exponent), with ".0" added when there is no fraction: 5 → "5.0", 2.50 → "2.5".
std::string positional_decimal(double number);

}  // namespace brell
