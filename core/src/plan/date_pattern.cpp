#include "plan/date_pattern.hpp"

#include <array>
#include <utility>

namespace brell {
namespace {

// Each letter brell writes, with Java's spelling and whether it reads the time of day.
struct PatternLetter {
    char letter;
    std::string_view java;
    bool time;
};
constexpr std::array<PatternLetter, 6> kLetters = {{
    {'Y', "yyyy", false},
    {'m', "MM", false},
    {'d', "dd", false},
    {'H', "HH", true},
    {'M', "mm", true},
    {'S', "ss", true},
}};

const PatternLetter* find_letter(char letter) {
    for (const PatternLetter& each : kLetters) {
        if (each.letter == letter) return &each;
    }
    return nullptr;
}

constexpr std::string_view kLettersWritten =
    "%Y (the year), %m (the month), %d (the day), %H (the hour), %M (the minute), %S (the "
    "second) and %% (a percent sign)";

}  // namespace

std::optional<std::string> date_pattern_refusal(std::string_view pattern, bool carries_time) {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') continue;
        if (i + 1 == pattern.size()) {
            return "a `%` ends the pattern with no letter after it. A percent sign is written "
                   "`%%`; "
                   "the letters are " +
                   std::string(kLettersWritten);
        }
        const char letter = pattern[++i];
        if (letter == '%') continue;
        const PatternLetter* known = find_letter(letter);
        if (known == nullptr) {
            return "`%" + std::string(1, letter) +
                   "` is not a letter `date_text` writes, since the engines underneath spell it "
                   "differently or not at all. The letters are " +
                   std::string(kLettersWritten);
        }
        if (known->time && !carries_time) {
            return "`%" + std::string(1, letter) +
                   "` reads the time of day, and a plain date carries none. It wants a column "
                   "that arrived as a date and a time";
        }
    }
    return std::nullopt;
}

std::string java_date_pattern(std::string_view pattern) {
    std::string java;
    std::string quoted;  // the run of plain characters waiting for its quotes
    const auto flush = [&] {
        if (!quoted.empty()) java += "'" + quoted + "'";
        quoted.clear();
    };
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char character = pattern[i];
        if (character == '%' && i + 1 < pattern.size()) {
            const char letter = pattern[++i];
            if (const PatternLetter* known = find_letter(letter)) {
                flush();
                java += known->java;
                continue;
            }
            quoted += letter;  // %% is a percent sign
            continue;
        }
        // Java reads two quotes as one, inside quotes or out.
        quoted += character == '\'' ? std::string("''") : std::string(1, character);
    }
    flush();
    return java;
}

}  // namespace brell
