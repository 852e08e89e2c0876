#pragma once

#include <optional>
#include <string_view>

namespace brell {

// The numbers a function of one number is defined on: `square_root` on 0 and above, the
// logarithms above 0, `exponential` up to 709.78, past which its answer passes every number.
// Outside them the answer is missing on every target, where engines would otherwise fail the
// program, warn, or give a not-a-number or an infinity. A writer makes the argument missing where
// `argument <comparison> bound` does not hold, then calls the function.
struct Domain {
    std::string_view comparison;  // ">=", ">" or "<="
    std::string_view bound;
};

std::optional<Domain> domain_of(std::string_view function);

}  // namespace brell
