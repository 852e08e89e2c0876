#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brell {

// One character of a UTF-8 text and where its bytes are.
struct Character {
    char32_t value = 0;
    std::size_t offset = 0;  // byte offset of its first byte
    std::size_t length = 0;  // its bytes (1 for a byte that is not valid UTF-8)
};

// The character whose first byte is at `offset` (less than the text's size); a byte that does
// not start a valid UTF-8 sequence is U+FFFD, one byte long. Walks a text without building a list.
Character decode_character(std::string_view text, std::size_t offset);

// The characters of a text, in order. A byte that does not start a valid UTF-8 sequence becomes
// U+FFFD with a length of one byte, so the offsets always cover the text.
std::vector<Character> decode_utf8(std::string_view text);

bool is_valid_utf8(std::string_view text);

// Unicode classes, as the character database says.
bool is_white_space(char32_t character);
bool is_alphabetic(char32_t character);
bool is_numeric(char32_t character);

// Full Unicode lower-casing of a UTF-8 text (invalid bytes become U+FFFD).
std::u32string lower_case(std::string_view text);

// The number of characters (code points) in a UTF-8 text.
std::size_t count_characters(std::string_view text);

}  // namespace brell

namespace brell {

// The text with A to Z lowered and every other byte kept: how the language's own words are
// matched without case.
std::string ascii_lower(std::string_view text);

// Full Unicode case mapping of a UTF-8 text, as UTF-8.
std::string lower_case_text(std::string_view text);
std::string upper_case_text(std::string_view text);

// The text without the white space (Unicode's class) at either end.
std::string_view trim_white_space(std::string_view text);

}  // namespace brell
