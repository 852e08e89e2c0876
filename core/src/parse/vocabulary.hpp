#pragma once

#include <cstddef>
#include <limits>
#include <span>
#include <string_view>

namespace brell {

// What a function does with rows: spans the rows of a group, works on one value at a time, or
// is worked out along the rows in their order.
enum class FunctionKind { Aggregate, Scalar, Window };

// How many arguments a function takes: from `least` to `most` (`most` is kUnbounded for
// "at least").
struct Arity {
    static constexpr std::size_t kUnbounded = std::numeric_limits<std::size_t>::max();
    std::size_t least = 0;
    std::size_t most = 0;

    static constexpr Arity exactly(std::size_t count) { return {count, count}; }
    static constexpr Arity at_least(std::size_t count) { return {count, kUnbounded}; }
    static constexpr Arity between(std::size_t least, std::size_t most) { return {least, most}; }
};

// One row of the function table: the single source of function names and kinds.
struct FunctionEntry {
    std::string_view name;
    FunctionKind kind;
    Arity arity;
};

// The word each kind is listed under: "aggregate", "scalar", "window".
std::string_view kind_word(FunctionKind kind);

// The fixed word lists, in the order every listing and message uses.
std::span<const std::string_view> verbs();
std::span<const FunctionEntry> functions();
std::span<const std::string_view> reserved_words();

// Exact lookups: the language's words are lowercase and matched byte for byte.
bool is_verb(std::string_view word);
const FunctionEntry* find_function(std::string_view name);
bool is_reserved_word(std::string_view word);

}  // namespace brell
