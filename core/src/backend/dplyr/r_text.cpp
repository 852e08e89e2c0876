#include "backend/dplyr/r_text.hpp"

#include <algorithm>
#include <array>
#include <charconv>

#include "text/decimal_text.hpp"
#include "text/unicode.hpp"

namespace brell {
namespace {

// Words R's parser keeps for itself: written bare, each is a syntax error or another thing.
constexpr std::array<std::string_view, 19> kReservedWords = {
    "if",          "else",     "repeat",        "while",       "function", "for", "next",
    "break",       "TRUE",     "FALSE",         "NULL",        "Inf",      "NaN", "NA",
    "NA_integer_", "NA_real_", "NA_character_", "NA_complex_", "in",
};

// The arguments of `mutate`, `summarise` and `rename` that a column's name could be taken for.
constexpr std::array<std::string_view, 6> kVerbArguments = {
    ".data", ".by", ".keep", ".before", ".after", ".groups",
};

// Characters with a meaning of their own in a regular expression.
constexpr std::string_view kRegexSpecials = "\\^$.|?*+()[]{}";

bool is_letter(char32_t character) {
    if (character < 0x80) return (character | 0x20) >= 'a' && (character | 0x20) <= 'z';
    return is_alphabetic(character);
}

bool is_bare_name(std::string_view name) {
    if (name.empty()) return false;
    if (std::find(kReservedWords.begin(), kReservedWords.end(), name) != kReservedWords.end())
        return false;
    bool first = true;
    for (const Character& character : decode_utf8(name)) {
        const char32_t c = character.value;
        const bool fits =
            is_letter(c) || (!first && ((c >= '0' && c <= '9') || c == '.' || c == '_'));
        if (!fits) return false;
        first = false;
    }
    return true;
}

}  // namespace

// The characters of a name or text between R's quotes: the quote and the backslash escaped, and
// every control character written as an escape, since R's reader would turn a raw carriage
// return into a line feed (and the name into another name).
static std::string r_quoted(std::string_view text, char quote) {
    std::string quoted(1, quote);
    for (char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        if (character == '\\' || character == quote) {
            quoted += '\\';
            quoted += character;
        } else if (character == '\n') {
            quoted += "\\n";
        } else if (character == '\r') {
            quoted += "\\r";
        } else if (character == '\t') {
            quoted += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            static constexpr char kHex[] = "0123456789abcdef";
            quoted += "\\x";
            quoted += kHex[byte >> 4];
            quoted += kHex[byte & 0xF];
        } else {
            quoted += character;
        }
    }
    return quoted + quote;
}

std::string r_name(std::string_view name) {
    if (is_bare_name(name)) return std::string(name);
    return r_quoted(name, '`');
}

std::string r_named(std::string_view name) {
    const bool is_argument =
        std::find(kVerbArguments.begin(), kVerbArguments.end(), name) != kVerbArguments.end();
    return r_name(name) + (is_argument ? " := " : " = ");
}

std::string r_text(std::string_view text) {
    return r_quoted(text, '"');
}

std::string r_decimal(double number) {
    std::array<char, 64> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number,
                                       std::chars_format::scientific);
    const std::string scientific(buffer.data(), written.ptr);  // "1.5e-07", "1e+21"
    const std::size_t mark = scientific.find('e');
    const int exponent = std::stoi(scientific.substr(mark + 1));
    if (exponent >= 16 || exponent < -4) {
        return scientific.substr(0, mark) + "e" + std::to_string(exponent);
    }
    return positional_decimal(number);
}

std::string regex_escaped(std::string_view text) {
    std::string escaped;
    for (char character : text) {
        if (kRegexSpecials.find(character) != std::string_view::npos) escaped += '\\';
        escaped += character;
    }
    return escaped;
}

std::string r_joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) text += separator;
        text += parts[i];
    }
    return text;
}

std::string r_names(const std::vector<std::string>& names) {
    std::vector<std::string> written;
    for (const std::string& name : names) written.push_back(r_name(name));
    return r_joined(written, ", ");
}

std::string r_list(const std::vector<std::string>& names) {
    if (names.size() == 1) return r_name(names.front());
    return "c(" + r_names(names) + ")";
}

}  // namespace brell
