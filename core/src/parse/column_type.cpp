#include "parse/column_type.hpp"
#include "text/unicode.hpp"

#include <algorithm>
#include <array>

namespace brell {
namespace {

struct TypeWords {
    ColumnType type;
    std::array<std::string_view, 6> words;  // unused places are empty
};

constexpr std::array<TypeWords, 5> kTypeWords = {{
    {ColumnType::Number, {"number", "int", "integer", "float", "double", "numeric"}},
    {ColumnType::Text, {"text", "string", "varchar", "character"}},
    {ColumnType::Truth, {"truth", "bool", "boolean", "logical"}},
    {ColumnType::Date, {"date"}},
    {ColumnType::Timestamp, {"timestamp", "datetime", "posixct"}},
}};

}  // namespace

ColumnType type_from_word(std::string_view word) {
    const std::string lowered = ascii_lower(word);
    if (lowered.empty()) return ColumnType::Opaque;
    for (const TypeWords& entry : kTypeWords) {
        if (std::find(entry.words.begin(), entry.words.end(), lowered) != entry.words.end()) {
            return entry.type;
        }
    }
    return ColumnType::Opaque;
}

std::string_view type_word(ColumnType type) {
    for (const TypeWords& entry : kTypeWords) {
        if (entry.type == type) return entry.words.front();
    }
    return "";
}

std::string_view type_phrase(ColumnType type) {
    switch (type) {
        case ColumnType::Number:
            return "a number";
        case ColumnType::Text:
            return "text";
        case ColumnType::Truth:
            return "yes or no";
        case ColumnType::Date:
            return "a date";
        case ColumnType::Timestamp:
            return "a date and a time";
        case ColumnType::Opaque:
            return "a value";
    }
    return "a value";
}

std::optional<std::string_view> kind_answer(ColumnType type) {
    switch (type) {
        case ColumnType::Number:
            return "number";
        case ColumnType::Text:
            return "text";
        case ColumnType::Truth:
            return "truth";
        case ColumnType::Date:
        case ColumnType::Timestamp:
            return "date";
        case ColumnType::Opaque:
            return std::nullopt;
    }
    return std::nullopt;
}

bool agree(ColumnType first, ColumnType second) {
    const auto is_date = [](ColumnType type) {
        return type == ColumnType::Date || type == ColumnType::Timestamp;
    };
    return first == second || first == ColumnType::Opaque || second == ColumnType::Opaque ||
           (is_date(first) && is_date(second));
}

ColumnType agreed_type(ColumnType so_far, ColumnType next) {
    return so_far == ColumnType::Opaque ? next : so_far;
}

}  // namespace brell
