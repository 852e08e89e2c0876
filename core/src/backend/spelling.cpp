#include "backend/spelling.hpp"

#include "diagnostic/unreachable.hpp"

namespace brell {
namespace {

bool is_digit(char character) {
    return character >= '0' && character <= '9';
}
bool is_letter(char character) {
    return character >= 'a' && character <= 'z';
}

// One hole, read from the text between its braces.
struct Hole {
    bool leading_comma = false;
    char form = 0;
    std::size_t index = 0;  // from 0
    bool rest = false;
    std::string_view name;  // a named part when not empty
};

Hole read_hole(std::string_view inside) {
    Hole hole;
    if (inside.starts_with(',')) {
        hole.leading_comma = true;
        inside.remove_prefix(1);
    }
    if (inside.size() >= 2 && is_letter(inside[0]) && is_digit(inside[1])) {
        hole.form = inside[0];
        inside.remove_prefix(1);
    }
    if (inside.empty() || !is_digit(inside[0])) {
        if (hole.leading_comma || inside.empty()) {
            unreachable("a spelling's hole names an argument or a part");
        }
        hole.name = inside;
        return hole;
    }
    std::size_t place = 0;
    while (!inside.empty() && is_digit(inside[0])) {
        place = place * 10 + static_cast<std::size_t>(inside[0] - '0');
        inside.remove_prefix(1);
    }
    if (place == 0) unreachable("a spelling counts its arguments from 1");
    hole.index = place - 1;
    if (inside == "...") {
        hole.rest = true;
    } else if (!inside.empty()) {
        unreachable("a spelling's hole names an argument or a part");
    }
    return hole;
}

std::string filled_hole(const Hole& hole, const SpellingHoles& holes) {
    if (!hole.name.empty()) {
        if (!holes.part) unreachable("a spelling names a part its writer does not give");
        return holes.part(hole.name);
    }
    if (hole.leading_comma) {
        return hole.index < holes.arguments ? ", " + holes.argument(hole.index, hole.form) : "";
    }
    if (!hole.rest) {
        if (hole.index >= holes.arguments) unreachable("the checker admits each function's arity");
        return holes.argument(hole.index, hole.form);
    }
    std::string spread;
    for (std::size_t index = hole.index; index < holes.arguments; ++index) {
        spread += (index == hole.index ? "" : ", ") + holes.argument(index, hole.form);
    }
    return spread;
}

}  // namespace

std::string fill_spelling(std::string_view spelling, const SpellingHoles& holes) {
    std::string filled;
    while (!spelling.empty()) {
        const std::size_t open = spelling.find('{');
        filled += spelling.substr(0, open);
        if (open == std::string_view::npos) break;
        const std::size_t close = spelling.find('}', open);
        if (close == std::string_view::npos) unreachable("a spelling closes every hole it opens");
        filled += filled_hole(read_hole(spelling.substr(open + 1, close - open - 1)), holes);
        spelling.remove_prefix(close + 1);
    }
    return filled;
}

std::string fill_spelling(std::string_view spelling, const std::vector<std::string>& arguments,
                          const std::vector<SpellingPart>& parts) {
    const auto part = [&](std::string_view name) -> std::string {
        for (const SpellingPart& part : parts) {
            if (part.name == name) return part.text;
        }
        unreachable("a spelling names a part its writer does not give");
    };
    return fill_spelling(
        spelling,
        {arguments.size(), [&](std::size_t index, char) { return arguments[index]; }, part});
}

}  // namespace brell
