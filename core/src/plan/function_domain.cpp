#include "plan/function_domain.hpp"

namespace brell {

std::optional<Domain> domain_of(std::string_view function) {
    if (function == "square_root") return Domain{">=", "0"};
    if (function == "natural_logarithm" || function == "decimal_logarithm") {
        return Domain{">", "0"};
    }
    return std::nullopt;
}

}  // namespace brell
