#include "plan/empty_sought_text.hpp"

#include <variant>

namespace brell {

bool replaces_the_empty_text(const Call& call) {
    if (call.function != "replace_text" || call.arguments.size() != 3) return false;
    const auto* sought = std::get_if<Text>(&call.arguments[1].node);
    return sought != nullptr && sought->text.empty() &&
           std::holds_alternative<Text>(call.arguments[2].node);
}

}  // namespace brell
