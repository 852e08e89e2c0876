#include "parse/borrowed_words.hpp"

#include <algorithm>
#include <array>

#include "text/unicode.hpp"

namespace brell {
namespace {

using enum BorrowedSeat;

constexpr std::string_view kMergeNote =
    "`join` keeps every row of this table; `unmatched \"none\"` after it keeps only the rows "
    "that match";
constexpr std::string_view kCountNote =
    "`row_count()` counts a group's rows, `value_count([column])` the values a column holds (its "
    "missing ones left out), and `unique_count([column])` its different values";

constexpr std::string_view kPartNote =
    "It counts characters from 1: `part_of_text([name], 2, 3)` is the second to the fourth";

constexpr std::string_view kRangeNote =
    "this grammar names the first and the last row to keep, both counted from 1: `take rows 11 to "
    "15` keeps the rows `LIMIT 5 OFFSET 10` gives";

constexpr std::array<BorrowedWord, 68> kBorrowedWords = {{
    {"filter", Verb, "keep where", ""},
    {"where", Verb, "keep where", ""},
    {"select", Verb, "pick", ""},
    {"mutate", Verb, "add", ""},
    {"derive", Verb, "add", ""},
    {"with_columns", Verb, "add", ""},
    {"withcolumn", Verb, "add", ""},
    {"group_by", Verb, "summarize", ""},
    {"groupby", Verb, "summarize", ""},
    {"aggregate", Verb, "summarize", ""},
    {"agg", Verb, "summarize", ""},
    {"arrange", Verb, "sort", ""},
    {"order_by", Verb, "sort", ""},
    {"orderby", Verb, "sort", ""},
    {"order", Verb, "sort", ""},
    {"limit", Verb, "take", ""},
    {"head", Verb, "take", ""},
    {"tail", Verb, "take_last", ""},
    {"offset", Verb, "", kRangeNote},
    {"slice", Verb, "", kRangeNote},
    {"distinct", Verb, "drop_duplicates", ""},
    {"unique", Verb, "drop_duplicates", ""},
    {"union", Verb, "add_rows", ""},
    {"bind_rows", Verb, "add_rows", ""},
    {"concat", Verb, "add_rows", ""},
    {"melt", Verb, "lengthen", ""},
    {"pivot_longer", Verb, "lengthen", ""},
    {"unpivot", Verb, "lengthen", ""},
    {"pivot", Verb, "widen", ""},
    {"pivot_wider", Verb, "widen", ""},
    {"left_join", Verb, "join", ""},
    {"merge", Verb, "join", kMergeNote},
    {"sum", Function, "total", ""},
    {"mean", Function, "average", ""},
    {"avg", Function, "average", ""},
    {"count", Function, "row_count()", kCountNote},
    {"n", Function, "row_count()", ""},
    {"n_distinct", Function, "unique_count", ""},
    {"nunique", Function, "unique_count", ""},
    {"min", Function, "smallest", ""},
    {"max", Function, "largest", ""},
    {"coalesce", Function, "first_present", ""},
    {"concat", Function, "join_text", ""},
    {"lag", Function, "previous", ""},
    {"lead", Function, "following", ""},
    {"cumsum", Function, "running_total", ""},
    {"len", Function, "characters", ""},
    {"length", Function, "characters", ""},
    {"nchar", Function, "characters", ""},
    {"substr", Function, "part_of_text", kPartNote},
    {"substring", Function, "part_of_text", kPartNote},
    {"mid", Function, "part_of_text", kPartNote},
    {"ifelse", Function, "",
     "this grammar asks its questions with `when`: `when([score] >= 90, \"A\", otherwise \"B\")`"},
    {"if_else", Function, "",
     "this grammar asks its questions with `when`: `when([score] >= 90, \"A\", otherwise \"B\")`"},
    {"stddev", Function, "standard_deviation", ""},
    {"sd", Function, "standard_deviation", ""},
    {"abs", Function, "absolute", ""},
    {"sqrt", Function, "square_root", ""},
    {"ln", Function, "natural_logarithm", ""},
    {"log10", Function, "decimal_logarithm", ""},
    {"log", Function, "",
     "`log` is the natural logarithm in some languages and the one of base 10 in others: say "
     "which, `natural_logarithm([x])` or `decimal_logarithm([x])`"},
    {"pow", Function, "power", ""},
    {"exp", Function, "exponential", ""},
    {"ltrim", Function, "trim_start", ""},
    {"rtrim", Function, "trim_end", ""},
    {"lstrip", Function, "trim_start", ""},
    {"rstrip", Function, "trim_end", ""},
    {"round", Function, "round_nearest",
     "`round_nearest([x], 2)` keeps two decimal places, a half going away from zero; "
     "`round_below` and `round_above` go one way"},
}};

}  // namespace

std::span<const BorrowedWord> borrowed_words() {
    return kBorrowedWords;
}

const BorrowedWord* find_borrowed(std::string_view word, BorrowedSeat seat) {
    const std::string lowered = ascii_lower(word);
    const auto found = std::find_if(
        kBorrowedWords.begin(), kBorrowedWords.end(),
        [&](const auto& entry) { return entry.seat == seat && entry.written == lowered; });
    return found == kBorrowedWords.end() ? nullptr : &*found;
}

std::string sentence_with(std::string_view sentence, Span replaced, std::string_view replacement) {
    std::string text(sentence.substr(0, replaced.start));
    text += replacement;
    if (replaced.end() < sentence.size()) text += sentence.substr(replaced.end());
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return std::string(trim_white_space(text));
}

std::string borrowed_message(std::string_view written, std::string_view ours,
                             const std::string& rewritten, std::string_view note) {
    std::string message = "`" + std::string(written) + "` is another language's word";
    if (!ours.empty()) {
        message += ". This grammar says `" + std::string(ours) + "`: `" + rewritten + "`";
        if (!note.empty()) message += ". " + std::string(note);
    } else if (!note.empty()) {
        message += ", and " + std::string(note);
    }
    return message;
}

}  // namespace brell
