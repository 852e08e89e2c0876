#include "plan/function_domain.hpp"

namespace brell {

std::optional<Domain> domain_of(std::string_view function) {
    if (function == "square_root") return Domain{">=", "0"};
    if (function == "natural_logarithm" || function == "decimal_logarithm") {
        return Domain{">", "0"};
    }
    // Past this the answer passes the largest number a number holds (about 1.8 * 10^308).
    if (function == "exponential") return Domain{"<=", "709.78"};
    return std::nullopt;
}

}  // namespace brell
