#include "draw/display_width.hpp"

#include <array>
#include <utility>

#include "text/unicode.hpp"

namespace brell {
namespace {

constexpr std::array<std::pair<char32_t, char32_t>, 14> kWideRanges = {{
    {0x1100, 0x115F},
    {0x2E80, 0x303E},
    {0x3041, 0x33FF},
    {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF},
    {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},
    {0xFE10, 0xFE19},
    {0xFE30, 0xFE6F},
    {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},
    {0x1F300, 0x1F64F},
    {0x1F900, 0x1F9FF},
}};

bool is_wide(char32_t character) {
    for (const auto& [first, last] : kWideRanges) {
        if (character >= first && character <= last) return true;
    }
    return false;
}

}  // namespace

std::size_t display_width(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t offset = 0; offset < text.size();) {
        // Most text drawn is ASCII, one column a byte.
        if (static_cast<unsigned char>(text[offset]) < 0x80) {
            ++width;
            ++offset;
            continue;
        }
        const Character character = decode_character(text, offset);
        width += is_wide(character.value) ? 2 : 1;
        offset += character.length;
    }
    return width;
}

}  // namespace brell
