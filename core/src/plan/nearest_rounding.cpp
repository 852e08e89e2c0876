#include "plan/nearest_rounding.hpp"

#include "diagnostic/unreachable.hpp"

namespace brell {

NearestRounding nearest_rounding(const Call& call) {
    if (call.arguments.size() < 2) return {"1e0"};
    const auto* places = std::get_if<Whole>(&call.arguments[1].node);
    if (places == nullptr) unreachable("the checker admits only a written whole number of places");
    return {"1e" + std::to_string(places->number)};
}

}  // namespace brell
