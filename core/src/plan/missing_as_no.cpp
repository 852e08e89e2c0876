#include "plan/missing_as_no.hpp"

namespace brell {
namespace {

void collect(const Value& value, std::unordered_set<const Value*>& found) {
    found.insert(&value);
    if (const auto* logic = std::get_if<Logic>(&value.node)) {
        collect(*logic->left, found);
        collect(*logic->right, found);
    }
}

}  // namespace

std::unordered_set<const Value*> tests_read_as_no(const Value& condition) {
    std::unordered_set<const Value*> found;
    collect(condition, found);
    return found;
}

}  // namespace brell
