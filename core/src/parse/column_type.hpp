#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brell {

// What a column holds. A timestamp is a date carrying a time; an opaque column holds a type the
// grammar has no opinion about, and agrees with every other.
enum class ColumnType : std::uint8_t { Number, Text, Truth, Date, Timestamp, Opaque };

// The type a `--columns` type word names: ASCII case ignored, any other word (or none) Opaque.
ColumnType type_from_word(std::string_view word);

// The word `--columns` names the type with first ("number", "text", "truth", "date",
// "timestamp"); empty for Opaque.
std::string_view type_word(ColumnType type);

// How a message says what a value is: "a number", "text", "yes or no", ...
std::string_view type_phrase(ColumnType type);

// The word `kind` answers for a type ("number", "text", "truth", "date"); none for Opaque.
std::optional<std::string_view> kind_answer(ColumnType type);

// Two types agree when equal, when either is Opaque, or when one is a Date and the other a
// Timestamp.
bool agree(ColumnType first, ColumnType second);

// The type several agreeing values share: the first that is not Opaque, in reading order.
ColumnType agreed_type(ColumnType so_far, ColumnType next);

struct TableColumn {
    std::string name;
    ColumnType type = ColumnType::Opaque;
};

struct TableDescription {
    std::string name;
    std::vector<TableColumn> columns;
};

}  // namespace brell
