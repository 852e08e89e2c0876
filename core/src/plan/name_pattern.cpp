#include "plan/name_pattern.hpp"

#include "diagnostic/unreachable.hpp"

namespace brell {

std::optional<std::vector<std::string>> match(const NamePattern& pattern, std::string_view name) {
    if (pattern.literals.size() != pattern.pieces.size() + 1)
        unreachable("one more literal than parts");
    const std::string& opening = pattern.literals.front();
    if (name.substr(0, opening.size()) != opening) return std::nullopt;
    std::string_view rest = name.substr(opening.size());
    std::vector<std::string> pieces;
    for (std::size_t i = 0; i < pattern.pieces.size(); ++i) {
        const std::string& following = pattern.literals[i + 1];
        const bool last = i + 1 == pattern.pieces.size();
        if (following.empty()) {
            // Two pieces with nothing between them cannot be told apart.
            if (!last || rest.empty()) return std::nullopt;
            pieces.emplace_back(rest);
            rest = {};
            continue;
        }
        const std::size_t found = rest.find(following);
        if (found == std::string_view::npos || found == 0) return std::nullopt;
        pieces.emplace_back(rest.substr(0, found));
        rest = rest.substr(found + following.size());
    }
    if (!rest.empty()) return std::nullopt;
    return pieces;
}

std::string write(const NamePattern& pattern) {
    if (pattern.literals.size() != pattern.pieces.size() + 1)
        unreachable("one more literal than parts");
    if (pattern.bracketed) return "[" + pattern.pieces.front().name + "]";
    std::string text = "\"" + pattern.literals.front();
    for (std::size_t i = 0; i < pattern.pieces.size(); ++i) {
        text += "{" + (pattern.pieces[i].is_value ? std::string("value") : pattern.pieces[i].name) +
                "}";
        text += pattern.literals[i + 1];
    }
    return text + "\"";
}

}  // namespace brell
