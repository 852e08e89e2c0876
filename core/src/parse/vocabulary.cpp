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

constexpr std::array<FunctionEntry, 38> kFunctions = {{
    {"total", Aggregate, Arity::exactly(1)},
    {"average", Aggregate, Arity::exactly(1)},
    {"median", Aggregate, Arity::exactly(1)},
    {"smallest", Aggregate, Arity::exactly(1)},
    {"largest", Aggregate, Arity::exactly(1)},
    {"standard_deviation", Aggregate, Arity::exactly(1)},
    {"first", Aggregate, Arity::exactly(1)},
    {"last", Aggregate, Arity::exactly(1)},
    {"unique_count", Aggregate, Arity::exactly(1)},
    {"row_count", Aggregate, Arity::exactly(0)},
    {"join_rows", Aggregate, Arity::exactly(2)},
    {"rank", Window, Arity::exactly(1)},
    {"row_number", Window, Arity::exactly(0)},
    {"first_present", Scalar, Arity::at_least(2)},
    {"join_text", Scalar, Arity::at_least(2)},
    {"lower", Scalar, Arity::exactly(1)},
    {"upper", Scalar, Arity::exactly(1)},
    {"to_number", Scalar, Arity::exactly(1)},
    {"to_text", Scalar, Arity::exactly(1)},
    {"to_date", Scalar, Arity::exactly(1)},
    {"round_below", Scalar, Arity::exactly(1)},
    {"round_above", Scalar, Arity::exactly(1)},
    {"trim", Scalar, Arity::exactly(1)},
    {"replace_text", Scalar, Arity::exactly(3)},
    {"split_text", Scalar, Arity::exactly(3)},
    {"characters", Scalar, Arity::exactly(1)},
    {"between", Scalar, Arity::exactly(3)},
    {"remainder", Scalar, Arity::exactly(2)},
    {"year", Scalar, Arity::exactly(1)},
    {"month", Scalar, Arity::exactly(1)},
    {"day", Scalar, Arity::exactly(1)},
    {"weekday", Scalar, Arity::exactly(1)},
    {"hour", Scalar, Arity::exactly(1)},
    {"running_total", Window, Arity::exactly(1)},
    {"previous", Window, Arity::between(1, 2)},
    {"following", Window, Arity::between(1, 2)},
    {"rolling", Window, Arity::exactly(2)},
    {"latest", Window, Arity::exactly(1)},
}};

constexpr std::array<std::string_view, 30> kReservedWords = {
    "then",    "where",    "as",   "by",    "all_but", "descending", "in",        "is",
    "not",     "and",      "or",   "yes",   "no",      "missing",    "unmatched", "starts",
    "ends",    "contains", "name", "value", "kind",    "giving",     "when",      "otherwise",
    "look_up", "matching", "any",  "every", "with",    "ties",
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
