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

// Which arguments a function accepts: each rule is one row of the checker's argument rules,
// which also hold the refusal each one makes.
enum class ArgumentRule {
    Numbers,       // total, average, median, standard_deviation
    Truths,        // any_yes, all_yes
    AnyValue,      // smallest, largest, first, last, latest, unique_count, row_count, to_*
    TextCase,      // lower, upper
    Trim,          // trim, trim_start, trim_end
    Characters,    // characters
    ReplaceText,   // replace_text
    SplitText,     // split_text
    PartOfText,    // part_of_text
    JoinText,      // join_text
    JoinRows,      // join_rows
    Rounding,      // round_below, round_above
    RoundNearest,  // round_nearest
    NumberValue,   // absolute, square_root, the logarithms, exponential
    Power,         // power
    Remainder,     // remainder, whole_quotient, quotient_remainder
    DatePart,      // year, month, day, weekday
    Hour,          // hour, minute, second
    DateText,      // date_text
    Between,       // between
    FirstPresent,  // first_present
    RunningTotal,  // running_total
    Offset,        // previous, following
    OwnSyntax,     // rank, row_number, rolling: written with their own syntax
};

// What a call gives.
enum class ResultRule { Number, Text, Truth, Date, FirstArgument, Agreed };

// One row of the function table: the single source of function names, kinds, how many
// arguments each takes, what it accepts and what it gives.
struct FunctionEntry {
    std::string_view name;
    FunctionKind kind;
    Arity arity;
    ArgumentRule rule;
    ResultRule result;
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
