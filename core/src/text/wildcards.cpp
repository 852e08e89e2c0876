#include "text/wildcards.hpp"

namespace brell {

std::vector<std::string> wildcard_pieces(std::string_view pattern) {
    std::vector<std::string> pieces(1);
    for (char character : pattern) {
        if (character == '*') {
            pieces.emplace_back();
        } else {
            pieces.back() += character;
        }
    }
    return pieces;
}

bool wildcard_matches(std::string_view text, std::string_view pattern) {
    const std::vector<std::string> pieces = wildcard_pieces(pattern);
    if (pieces.size() == 1) return text == pieces.front();
    const std::string& first = pieces.front();
    const std::string& last = pieces.back();
    if (text.size() < first.size() + last.size() || !text.starts_with(first) ||
        !text.ends_with(last)) {
        return false;
    }
    // The middle pieces, each found as early as it can be, between the first and the last.
    std::string_view between = text.substr(first.size(), text.size() - first.size() - last.size());
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
        const std::size_t found = between.find(pieces[i]);
        if (found == std::string_view::npos) return false;
        between.remove_prefix(found + pieces[i].size());
    }
    return true;
}

std::string wildcard_regex(std::string_view pattern) {
    // The characters Rust's `regex::escape` escapes; Python and ICU take each escaped alike.
    constexpr std::string_view kMeaningful = "\\.+*?()|[]{}^$#&-~";
    std::string regex;
    bool first = true;
    for (const std::string& piece : wildcard_pieces(pattern)) {
        if (!first) regex += ".*";
        first = false;
        for (char character : piece) {
            if (kMeaningful.find(character) != std::string_view::npos) regex += '\\';
            regex += character;
        }
    }
    return regex;
}

std::string wildcard_search(std::string_view pattern, std::string_view end_of_text) {
    std::string regex = wildcard_regex(pattern);
    const bool open_start = pattern.starts_with('*');
    const bool open_end = pattern.size() > 1 && pattern.ends_with('*');
    if (open_start) regex.erase(0, 2);
    if (open_end) regex.erase(regex.size() - 2);
    return "(?s)" + std::string(open_start ? "" : "^") + regex +
           std::string(open_end ? "" : end_of_text);
}

std::string wildcard_like(std::string_view pattern) {
    std::string like;
    for (char character : pattern) {
        if (character == '*') {
            like += '%';
            continue;
        }
        if (character == '\\' || character == '%' || character == '_') like += '\\';
        like += character;
    }
    return like;
}

}  // namespace brell
