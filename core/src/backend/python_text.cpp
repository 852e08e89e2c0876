#include "backend/python_text.hpp"

#include <algorithm>
#include <array>
#include <cstdio>

#include <unicode/uchar.h>

#include "text/unicode.hpp"

namespace brell {
namespace {

constexpr std::array<std::string_view, 35> kPythonKeywords = {
    "False", "None",     "True",  "and",    "as",   "assert", "async",  "await",    "break",
    "class", "continue", "def",   "del",    "elif", "else",   "except", "finally",  "for",
    "from",  "global",   "if",    "import", "in",   "is",     "lambda", "nonlocal", "not",
    "or",    "pass",     "raise", "return", "try",  "while",  "with",   "yield",
};

}  // namespace

std::string py_string(std::string_view text) {
    std::string literal = "\"";
    for (const Character& character : decode_utf8(text)) {
        const char32_t c = character.value;
        if (c == '\\') {
            literal += "\\\\";
        } else if (c == '"') {
            literal += "\\\"";
        } else if (c == '\n') {
            literal += "\\n";
        } else if (c == '\r') {
            literal += "\\r";
        } else if (c == '\t') {
            literal += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned>(c));
            literal += escape;
        } else if (c == 0x2028 || c == 0x2029 || (c >= 0x80 && c < 0xA0)) {
            // Line and paragraph separators and C1 controls are written as escapes too.
            char escape[12];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            literal += escape;
        } else {
            literal += text.substr(character.offset, character.length);
        }
    }
    return literal + "\"";
}

bool is_python_keyword(std::string_view word) {
    return std::find(kPythonKeywords.begin(), kPythonKeywords.end(), word) != kPythonKeywords.end();
}

bool is_python_identifier(std::string_view name) {
    if (name.empty() || is_python_keyword(name)) return false;
    bool first = true;
    for (const Character& character : decode_utf8(name)) {
        // Python's identifiers are Unicode's identifier characters (and the underscore).
        const auto c = static_cast<UChar32>(character.value);
        const bool fits =
            c == '_' || u_hasBinaryProperty(c, first ? UCHAR_XID_START : UCHAR_XID_CONTINUE);
        if (!fits) return false;
        first = false;
    }
    return true;
}

std::string py_guard_call(std::string_view holds, std::string_view message) {
    return "pipe(lambda d: d if " + std::string(holds) + " else (_ for _ in ()).throw(ValueError(" +
           py_string(message) + ")))";
}

}  // namespace brell
