#include "plan/missing_as_no.hpp"

namespace brell {
namespace {

void collect(const Value& value, std::unordered_set<const Compare*>& found) {
    if (const auto* logic = std::get_if<Logic>(&value.node)) {
        collect(*logic->left, found);
        collect(*logic->right, found);
    } else if (const auto* compare = std::get_if<Compare>(&value.node)) {
        found.insert(compare);
    }
}

}  // namespace

std::unordered_set<const Compare*> comparisons_read_as_no(const Value& condition) {
    std::unordered_set<const Compare*> found;
    collect(condition, found);
    return found;
}

}  // namespace brell
