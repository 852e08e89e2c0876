#include "text/unicode.hpp"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace brell {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

// A byte that does not begin a well-formed sequence (overlong forms, surrogates and values past
// U+10FFFF included) reads as U+FFFD of one byte.
Character decode_character(std::string_view text, std::size_t offset) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(offset);
    if (lead < 0x80) return Character{lead, offset, 1};

    std::size_t length = 0;
    char32_t value = 0;
    char32_t smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, smallest = 0x10000;
    } else {
        return Character{kReplacement, offset, 1};
    }
    if (offset + length > text.size()) return Character{kReplacement, offset, 1};
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(offset + i);
        if ((next & 0xC0) != 0x80) return Character{kReplacement, offset, 1};
        value = (value << 6) | (next & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return Character{kReplacement, offset, 1};
    }
    return Character{value, offset, length};
}

std::vector<Character> decode_utf8(std::string_view text) {
    std::vector<Character> characters;
    characters.reserve(text.size());
    for (std::size_t offset = 0; offset < text.size();) {
        characters.push_back(decode_character(text, offset));
        offset += characters.back().length;
    }
    return characters;
}

bool is_valid_utf8(std::string_view text) {
    for (std::size_t offset = 0; offset < text.size();) {
        const Character character = decode_character(text, offset);
        if (character.value == kReplacement && character.length == 1) return false;
        offset += character.length;
    }
    return true;
}

bool is_white_space(char32_t character) {
    return u_isUWhiteSpace(static_cast<UChar32>(character));
}

bool is_alphabetic(char32_t character) {
    return u_isUAlphabetic(static_cast<UChar32>(character));
}

bool is_numeric(char32_t character) {
    switch (u_charType(static_cast<UChar32>(character))) {
        case U_DECIMAL_DIGIT_NUMBER:
        case U_LETTER_NUMBER:
        case U_OTHER_NUMBER:
            return true;
        default:
            return false;
    }
}

std::u32string lower_case(std::string_view text) {
    icu::UnicodeString unicode;
    for (const Character& character : decode_utf8(text)) {
        unicode.append(static_cast<UChar32>(character.value));
    }
    unicode.toLower(icu::Locale::getRoot());
    std::u32string lowered;
    lowered.reserve(static_cast<std::size_t>(unicode.length()));
    for (int32_t i = 0; i < unicode.length();) {
        const UChar32 character = unicode.char32At(i);
        lowered.push_back(static_cast<char32_t>(character));
        i += U16_LENGTH(character);
    }
    return lowered;
}

std::size_t count_characters(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t offset = 0; offset < text.size(); ++count) {
        offset += decode_character(text, offset).length;
    }
    return count;
}

}  // namespace brell

namespace brell {

namespace {

icu::UnicodeString to_unicode(std::string_view text) {
    icu::UnicodeString unicode;
    for (const Character& character : decode_utf8(text)) {
        unicode.append(static_cast<UChar32>(character.value));
    }
    return unicode;
}

}  // namespace

std::string lower_case_text(std::string_view text) {
    std::string lowered;
    to_unicode(text).toLower(icu::Locale::getRoot()).toUTF8String(lowered);
    return lowered;
}

std::string upper_case_text(std::string_view text) {
    std::string uppered;
    to_unicode(text).toUpper(icu::Locale::getRoot()).toUTF8String(uppered);
    return uppered;
}

std::string_view trim_white_space(std::string_view text) {
    std::size_t begin = text.size();
    std::size_t end = 0;
    for (std::size_t offset = 0; offset < text.size();) {
        const Character character = decode_character(text, offset);
        offset += character.length;
        if (is_white_space(character.value)) continue;
        if (begin == text.size()) begin = character.offset;
        end = offset;
    }
    if (begin == text.size()) return text.substr(0, 0);
    return text.substr(begin, end - begin);
}

std::string ascii_lower(std::string_view text) {
    std::string lowered(text);
    for (char& letter : lowered) {
        if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
    }
    return lowered;
}

}  // namespace brell
