#include "parse/vocabulary.hpp"

#include <algorithm>
#include <array>

namespace brell {
namespace {

constexpr std::array<std::string_view, 16> kVerbs = {
    "keep",   "pick",         "add",          "summarize",        "sort",
    "take",   "take_last",    "join",         "add_rows",         "drop_duplicates",
    "rename", "drop_missing", "fill_missing", "add_combinations", "lengthen",
    "widen",
};

using enum FunctionKind;

constexpr std::array<FunctionEntry, 56> kFunctions = {{
    {"total", Aggregate, Arity::exactly(1), ArgumentRule::Numbers, ResultRule::Number},
    {"average", Aggregate, Arity::exactly(1), ArgumentRule::Numbers, ResultRule::Number},
    {"median", Aggregate, Arity::exactly(1), ArgumentRule::Numbers, ResultRule::Number},
    {"smallest", Aggregate, Arity::exactly(1), ArgumentRule::AnyValue, ResultRule::FirstArgument},
    {"largest", Aggregate, Arity::exactly(1), ArgumentRule::AnyValue, ResultRule::FirstArgument},
    {"standard_deviation", Aggregate, Arity::exactly(1), ArgumentRule::Numbers, ResultRule::Number},
    {"first", Aggregate, Arity::exactly(1), ArgumentRule::AnyValue, ResultRule::FirstArgument},
    {"last", Aggregate, Arity::exactly(1), ArgumentRule::AnyValue, ResultRule::FirstArgument},
    {"unique_count", Aggregate, Arity::exactly(1), ArgumentRule::AnyValue, ResultRule::Number},
    {"value_count", Aggregate, Arity::exactly(1), ArgumentRule::AnyValue, ResultRule::Number},
    {"any_yes", Aggregate, Arity::exactly(1), ArgumentRule::Truths, ResultRule::Truth},
    {"all_yes", Aggregate, Arity::exactly(1), ArgumentRule::Truths, ResultRule::Truth},
    {"row_count", Aggregate, Arity::exactly(0), ArgumentRule::AnyValue, ResultRule::Number},
    {"join_rows", Aggregate, Arity::exactly(2), ArgumentRule::JoinRows, ResultRule::Text},
    {"rank", Window, Arity::exactly(1), ArgumentRule::OwnSyntax, ResultRule::Number},
    {"row_number", Window, Arity::exactly(0), ArgumentRule::OwnSyntax, ResultRule::Number},
    {"first_present", Scalar, Arity::at_least(2), ArgumentRule::FirstPresent, ResultRule::Agreed},
    {"join_text", Scalar, Arity::at_least(2), ArgumentRule::JoinText, ResultRule::Text},
    {"lower", Scalar, Arity::exactly(1), ArgumentRule::TextCase, ResultRule::Text},
    {"upper", Scalar, Arity::exactly(1), ArgumentRule::TextCase, ResultRule::Text},
    {"to_number", Scalar, Arity::exactly(1), ArgumentRule::AnyValue, ResultRule::Number},
    {"to_text", Scalar, Arity::exactly(1), ArgumentRule::AnyValue, ResultRule::Text},
    {"to_date", Scalar, Arity::exactly(1), ArgumentRule::AnyValue, ResultRule::Date},
    {"round_below", Scalar, Arity::exactly(1), ArgumentRule::Rounding, ResultRule::Number},
    {"round_above", Scalar, Arity::exactly(1), ArgumentRule::Rounding, ResultRule::Number},
    {"round_nearest", Scalar, Arity::between(1, 2), ArgumentRule::RoundNearest, ResultRule::Number},
    {"absolute", Scalar, Arity::exactly(1), ArgumentRule::NumberValue, ResultRule::Number},
    {"square_root", Scalar, Arity::exactly(1), ArgumentRule::NumberValue, ResultRule::Number},
    {"natural_logarithm", Scalar, Arity::exactly(1), ArgumentRule::NumberValue, ResultRule::Number},
    {"decimal_logarithm", Scalar, Arity::exactly(1), ArgumentRule::NumberValue, ResultRule::Number},
    {"exponential", Scalar, Arity::exactly(1), ArgumentRule::NumberValue, ResultRule::Number},
    {"power", Scalar, Arity::exactly(2), ArgumentRule::Power, ResultRule::Number},
    {"trim", Scalar, Arity::exactly(1), ArgumentRule::Trim, ResultRule::Text},
    {"trim_start", Scalar, Arity::exactly(1), ArgumentRule::Trim, ResultRule::Text},
    {"trim_end", Scalar, Arity::exactly(1), ArgumentRule::Trim, ResultRule::Text},
    {"replace_text", Scalar, Arity::exactly(3), ArgumentRule::ReplaceText, ResultRule::Text},
    {"split_text", Scalar, Arity::exactly(3), ArgumentRule::SplitText, ResultRule::Text},
    {"part_of_text", Scalar, Arity::between(2, 3), ArgumentRule::PartOfText, ResultRule::Text},
    {"characters", Scalar, Arity::exactly(1), ArgumentRule::Characters, ResultRule::Number},
    {"between", Scalar, Arity::exactly(3), ArgumentRule::Between, ResultRule::Truth},
    {"remainder", Scalar, Arity::exactly(2), ArgumentRule::Remainder, ResultRule::Number},
    {"whole_quotient", Scalar, Arity::exactly(2), ArgumentRule::Remainder, ResultRule::Number},
    {"quotient_remainder", Scalar, Arity::exactly(2), ArgumentRule::Remainder, ResultRule::Number},
    {"year", Scalar, Arity::exactly(1), ArgumentRule::DatePart, ResultRule::Number},
    {"month", Scalar, Arity::exactly(1), ArgumentRule::DatePart, ResultRule::Number},
    {"day", Scalar, Arity::exactly(1), ArgumentRule::DatePart, ResultRule::Number},
    {"weekday", Scalar, Arity::exactly(1), ArgumentRule::DatePart, ResultRule::Number},
    {"hour", Scalar, Arity::exactly(1), ArgumentRule::Hour, ResultRule::Number},
    {"minute", Scalar, Arity::exactly(1), ArgumentRule::Hour, ResultRule::Number},
    {"second", Scalar, Arity::exactly(1), ArgumentRule::Hour, ResultRule::Number},
    {"date_text", Scalar, Arity::exactly(2), ArgumentRule::DateText, ResultRule::Text},
    {"running_total", Window, Arity::exactly(1), ArgumentRule::RunningTotal, ResultRule::Number},
    {"previous", Window, Arity::between(1, 2), ArgumentRule::Offset, ResultRule::FirstArgument},
    {"following", Window, Arity::between(1, 2), ArgumentRule::Offset, ResultRule::FirstArgument},
    {"rolling", Window, Arity::exactly(2), ArgumentRule::OwnSyntax, ResultRule::Number},
    {"latest", Window, Arity::exactly(1), ArgumentRule::AnyValue, ResultRule::FirstArgument},
}};

constexpr std::array<std::string_view, 33> kReservedWords = {
    "then",      "where",  "as",   "by",        "all_but", "descending", "in",
    "is",        "not",    "and",  "or",        "yes",     "no",         "missing",
    "unmatched", "starts", "ends", "contains",  "matches", "name",       "value",
    "kind",      "giving", "when", "otherwise", "look_up", "matching",   "any",
    "every",     "with",   "ties", "rows",      "to",
};

}  // namespace

std::string_view kind_word(FunctionKind kind) {
    switch (kind) {
        case Aggregate:
            return "aggregate";
        case Scalar:
            return "scalar";
        case Window:
            return "window";
    }
    return "scalar";
}

std::span<const std::string_view> verbs() {
    return kVerbs;
}
std::span<const FunctionEntry> functions() {
    return kFunctions;
}
std::span<const std::string_view> reserved_words() {
    return kReservedWords;
}

bool is_verb(std::string_view word) {
    return std::find(kVerbs.begin(), kVerbs.end(), word) != kVerbs.end();
}

const FunctionEntry* find_function(std::string_view name) {
    const auto found = std::find_if(kFunctions.begin(), kFunctions.end(),
                                    [&](const FunctionEntry& entry) { return entry.name == name; });
    return found == kFunctions.end() ? nullptr : &*found;
}

bool is_reserved_word(std::string_view word) {
    return std::find(kReservedWords.begin(), kReservedWords.end(), word) != kReservedWords.end();
}

}  // namespace brell
