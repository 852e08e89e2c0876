// Values and functions as R: one walk over the value, and the spelling of every function as a
// template over its arguments.

#include "backend/dplyr/r_values.hpp"

#include <algorithm>
#include <array>

#include "backend/compare_symbol.hpp"
#include "backend/dplyr/r_text.hpp"
#include "backend/spelling.hpp"
#include "check/value_types.hpp"
#include "diagnostic/unreachable.hpp"
#include "parse/overloaded.hpp"
#include "plan/finite_answer.hpp"
#include "plan/function_domain.hpp"
#include "plan/nearest_rounding.hpp"
#include "plan/split_piece.hpp"
#include "plan/target_profile.hpp"
#include "plan/zero_divisor.hpp"
#include "text/wildcards.hpp"

namespace brell {
namespace {

// A function's R text, with holes for its written arguments (backend/spelling.hpp).
//
// Missing values are passed over the way a database passes them over: an aggregate of nothing
// but missing values is missing (not 0, nor an infinity), a running total carries on past a
// missing value, a missing value has no distinct count. Texts are ordered by their bytes, not by
// the session's locale: `sort(method = "radix")` orders that way, as `vctrs` does.
struct RSpelling {
    std::string_view function;
    std::string_view r;
};
constexpr std::array<RSpelling, 50> kSpellings = {{
    {"total", "(if (all(is.na({1}))) NA_real_ else sum({1}, na.rm = TRUE))"},
    {"average", "mean({1}, na.rm = TRUE)"},
    {"median", "median({1}, na.rm = TRUE)"},
    {"smallest", "first(sort({1}, method = \"radix\"))"},
    {"largest", "last(sort({1}, method = \"radix\"))"},
    {"standard_deviation", "sd({1}, na.rm = TRUE)"},
    {"first", "first({1})"},
    {"last", "last({1})"},
    {"unique_count", "n_distinct({1}, na.rm = TRUE)"},
    {"row_count", "n()"},
    {"value_count", "sum(!is.na({1}))"},
    {"any_yes", "any({1}, na.rm = TRUE)"},
    {"all_yes", "all({1}, na.rm = TRUE)"},
    {"join_rows",
     "(if (all(is.na({1}))) NA_character_ else paste({1}[!is.na({1})], collapse = {2}))"},
    {"first_present", "coalesce({1...})"},
    {"join_text", "stringr::str_c({1...})"},
    {"lower", "tolower({1})"},
    {"upper", "toupper({1})"},
    {"to_number", "as.numeric({1})"},
    {"to_text", "as.character({1})"},
    {"to_date", "as.Date({1})"},
    {"round_below", "floor({1})"},
    {"round_above", "ceiling({1})"},
    {"absolute", "abs({1})"},
    {"square_root", "sqrt({1})"},
    {"natural_logarithm", "log({1})"},
    {"decimal_logarithm", "log10({1})"},
    {"exponential", "exp({1})"},
    {"date_text", "format({1}, {2})"},
    {"trim", "trimws({1}, whitespace = \" \")"},
    {"trim_start", "trimws({1}, which = \"left\", whitespace = \" \")"},
    {"trim_end", "trimws({1}, which = \"right\", whitespace = \" \")"},
    {"replace_text", "gsub({2}, {3}, {1}, fixed = TRUE)"},
    {"split_text", "stringr::str_split_i({1}, stringr::fixed({2}), {3})"},
    {"characters", "nchar({1})"},
    {"between", "between({1}, {2}, {3})"},
    {"remainder", "({1} %% {2})"},
    // R's `%%` takes the divisor's sign: the remainder of the sizes takes the dividend's.
    {"quotient_remainder", "(sign({1}) * (abs({1}) %% abs({2})))"},
    {"whole_quotient", "trunc({1} / {2})"},
    {"year", "lubridate::year({1})"},
    {"month", "lubridate::month({1})"},
    {"day", "lubridate::day({1})"},
    {"weekday", "lubridate::wday({1}, week_start = 1)"},
    {"hour", "lubridate::hour({1})"},
    {"minute", "lubridate::minute({1})"},
    // lubridate gives the fraction of a second too; the other targets give whole seconds.
    {"second", "floor(lubridate::second({1}))"},
    {"running_total", "if_else(cumsum(!is.na({1})) > 0, cumsum(coalesce({1}, 0)), NA_real_)"},
    {"previous", "lag({1}{,2})"},
    {"following", "lead({1}{,2})"},
    {"latest", "vctrs::vec_fill_missing({1}, direction = \"down\")"},
}};

// The R function a `rolling(...)` window is summed up with, by the aggregate inside it. It is
// handed over as a value inside the data mask, where a column of the same name would stand in
// for it, so it is named with its package.
struct RollingSpelling {
    std::string_view function;
    std::string_view r;
};
constexpr std::array<RollingSpelling, 6> kRollingSpellings = {{
    {"total", "base::sum"},
    {"average", "base::mean"},
    {"median", "stats::median"},
    {"standard_deviation", "stats::sd"},
    {"largest", "base::max"},
    {"smallest", "base::min"},
}};

// The arithmetic plan/nearest_rounding states, on the values as doubles: `s` their sizes scaled,
// `r` the sizes rounded.
std::string nearest(const std::string& value, const NearestRounding& rounding) {
    return "(\\(v) { s <- abs(v) * " + rounding.scale + "; r <- floor(s + s / " +
           std::string(rounding.nudge_divisor) + " + 0.5) / " + rounding.scale +
           "; if_else(s >= " + std::string(rounding.unrounded_from) +
           ", v, if_else(v < 0, 0 - r, r)) })(as.numeric(" + value + "))";
}

// A divisor made missing where it is 0, as a division by zero is.
std::string without_zero(const std::string& divisor) {
    return "na_if(" + divisor + ", 0)";
}

const RSpelling& spelling_of(const std::string& function) {
    for (const RSpelling& spelling : kSpellings) {
        if (spelling.function == function) return spelling;
    }
    unreachable("`" + function + "` reached the dplyr backend without a spelling");
}

// R's `!` binds more loosely than its comparisons, so `!a == b` reads as `!(a == b)`. A negation
// that stands on the left of an operator is put in parentheses to keep it to itself.
bool is_negation(const Value& value) {
    if (std::holds_alternative<Not>(value.node)) return true;
    if (const auto* missing = std::get_if<IsMissing>(&value.node)) return missing->negated;
    if (const auto* set = std::get_if<InSet>(&value.node)) return set->negated;
    return false;
}

bool is_present_literal(const Value& value) {
    return std::holds_alternative<Text>(value.node) || std::holds_alternative<Whole>(value.node) ||
           std::holds_alternative<Decimal>(value.node) || std::holds_alternative<Truth>(value.node);
}

bool orders(CompareOperator op) {
    return op != CompareOperator::Is && op != CompareOperator::IsNot;
}

// The walk over one value, with the types of the table the step reads: a few values are spelled
// by what they hold, where R's own operator would answer otherwise than the other targets.
class RValueWriter {
  public:
    explicit RValueWriter(const std::vector<TableColumn>& table) : index_(table), types_(index_) {}

    std::string write(const Value& value) const;

  private:
    ColumnType type_of(const Value& value) const {
        const Result<ColumnType> type = types_.type(value);
        return type ? *type : ColumnType::Opaque;
    }
    std::string left_operand(const Value& value) const {
        const std::string text = write(value);
        return is_negation(value) ? "(" + text + ")" : text;
    }
    std::string compare(const Compare& node) const;
    std::string in_set(const InSet& node) const;
    std::string contains(const std::string& tested, const Value& sought) const;
    static std::string sought_pattern(const std::string& pattern);
    std::string call_text(const Call& call) const;
    std::string replace_text(const Call& call, const std::vector<std::string>& arguments) const;
    std::string split_text(const Call& call, const std::vector<std::string>& arguments) const;
    std::string rolling_text(const Rolling& rolling) const;
    std::string values_text(const std::vector<Value>& values) const {
        std::vector<std::string> texts;
        for (const Value& value : values) texts.push_back(write(value));
        return r_joined(texts, ", ");
    }

    ColumnIndex index_;
    ValueTypes types_;
};

// A date compared with a timestamp is the timestamp of its midnight (R's own operators compare
// a date's days with a timestamp's seconds). Texts are ordered by their bytes, as `vctrs`
// compares them, where `<` would follow the session's locale.
std::string RValueWriter::compare(const Compare& node) const {
    const ColumnType left_type = type_of(*node.left);
    const ColumnType right_type = type_of(*node.right);
    std::string left = left_operand(*node.left);
    std::string right = write(*node.right);
    if (left_type == ColumnType::Date && right_type == ColumnType::Timestamp) {
        left = "as.POSIXct(" + left + ")";
    } else if (left_type == ColumnType::Timestamp && right_type == ColumnType::Date) {
        right = "as.POSIXct(" + right + ")";
    }
    const std::string symbol(r_python_compare_symbol(node.op));
    if (orders(node.op) && (left_type == ColumnType::Text || right_type == ColumnType::Text)) {
        return "(vctrs::vec_compare(" + left + ", " + right + ") " + symbol + " 0)";
    }
    return "(" + left + " " + symbol + " " + right + ")";
}

// A missing value is in no set and out of none: the answer is missing, as for `is`. A set of
// present written values is asked with `%in%`; any other set one item at a time, so that a
// missing item or a column answers as `is` would.
std::string RValueWriter::in_set(const InSet& node) const {
    const std::string operand = left_operand(*node.operand);
    if (std::all_of(node.items.begin(), node.items.end(), is_present_literal)) {
        return std::string(node.negated ? "!" : "") + "if_else(is.na(" + operand + "), NA, " +
               operand + " %in% c(" + values_text(node.items) + "))";
    }
    std::vector<std::string> tests;
    for (const Value& item : node.items) {
        tests.push_back("(" + operand + (node.negated ? " != " : " == ") + write(item) + ")");
    }
    return "(" + r_joined(tests, node.negated ? " & " : " | ") + ")";
}

// Asked row by row, and missing for a missing text, as `startsWith` is. Every text holds the
// empty text, which `stringr` refuses to look for, so that one is answered on its own.
std::string RValueWriter::contains(const std::string& tested, const Value& sought) const {
    const auto* text = std::get_if<Text>(&sought.node);
    if (text != nullptr && text->text.empty()) return "if_else(is.na(" + tested + "), NA, TRUE)";
    const std::string pattern = write(sought);
    if (text != nullptr) {
        return "stringr::str_detect(" + tested + ", stringr::fixed(" + pattern + "))";
    }
    const std::string detected =
        "stringr::str_detect(" + tested + ", stringr::fixed(" + sought_pattern(pattern) + "))";
    return "(" + detected + " | (" + pattern + " == \"\" & !is.na(" + tested + ")))";
}

// A text to look for read from a column: `stringr` warns at an empty one (and answers missing),
// so an empty one is made missing first, and answered on its own by the caller.
std::string RValueWriter::sought_pattern(const std::string& pattern) {
    return "na_if(" + pattern + ", \"\")";
}

std::string RValueWriter::call_text(const Call& call) const {
    std::vector<std::string> arguments;
    for (const Value& argument : call.arguments) arguments.push_back(write(argument));
    // A number as text is written in full up to 15 digits (R's own `as.character` writes 100000
    // as "1e+05"), a whole number without a decimal point.
    if (call.function == "to_text" && type_of(call.arguments.at(0)) == ColumnType::Number) {
        return "if_else(is.na(" + arguments[0] + "), NA_character_, sprintf(\"%.15g\", " +
               arguments[0] + "))";
    }
    if (call.function == "to_text" && type_of(call.arguments.at(0)) == ColumnType::Timestamp) {
        return "format(" + arguments[0] + ", \"%Y-%m-%d %H:%M:%S\")";
    }
    if (call.function == "replace_text") return replace_text(call, arguments);
    if (call.function == "split_text") return split_text(call, arguments);
    if (call.function == "round_nearest") return nearest(arguments[0], nearest_rounding(call));
    if (call.function == "part_of_text") {
        // `str_sub` counts characters from 1 up to the last one kept; a length left out is the
        // rest of the text, and a length of 0 ends before the start: no characters.
        const std::string end =
            call.arguments.size() == 3 ? ", " + arguments[1] + " + " + arguments[2] + " - 1" : "";
        return "stringr::str_sub(" + arguments[0] + ", " + arguments[1] + end + ")";
    }
    if (may_answer_non_finite(call.function)) {
        // R makes NA to the 0 and 1 to the NA 1, where the answer to a missing value is missing.
        return "(\\(a, b) { r <- a ^ b; if_else(is.na(a) | is.na(b) | !is.finite(r), NA_real_, "
               "r) })(as.numeric(" +
               arguments[0] + "), as.numeric(" + arguments[1] + "))";
    }
    if (const auto domain = domain_of(call.function)) {
        arguments[0] = "if_else(" + arguments[0] + " " + std::string(domain->comparison) + " " +
                       std::string(domain->bound) + ", " + arguments[0] + ", NA_real_)";
    }
    if (divides_by_second(call.function) && divisor_may_be_zero(call.arguments.at(1))) {
        arguments[1] = without_zero(arguments[1]);
    }
    return fill_spelling(spelling_of(call.function).r, arguments);
}

std::string RValueWriter::split_text(const Call& call,
                                     const std::vector<std::string>& arguments) const {
    const Value& piece = call.arguments.at(2);
    const std::optional<std::int64_t> written = written_piece(piece);
    // `str_split_i` takes one piece number for every text, and counts a negative one from the
    // end; a piece read from a column is taken row by row, and one before the first is missing.
    // `mapply` gives a list for no rows, which `as.character` turns into a text column.
    const auto per_row_cut = [](const std::vector<std::string>& cut_at) {
        return "as.character(mapply(\\(text, separator, piece) if (is.na(piece) || piece < 1) "
               "NA_character_ else stringr::str_split_i(text, stringr::fixed(separator), piece), " +
               cut_at[0] + ", " + cut_at[1] + ", " + cut_at[2] + ", USE.NAMES = FALSE))";
    };
    const std::string cut =
        written ? fill_spelling(spelling_of(call.function).r, arguments) : per_row_cut(arguments);
    // A text cut at the empty separator is one piece: the text itself.
    const std::string whole =
        written == 1 ? arguments[0]
        : written || std::holds_alternative<Missing>(piece.node)
            ? "NA_character_"
            : "if_else(" + arguments[2] + " == 1, " + arguments[0] + ", NA_character_)";
    switch (split_separator(call.arguments.at(1))) {
        case SplitSeparator::Empty:
            return whole;
        case SplitSeparator::Written:
            return cut;
        case SplitSeparator::PerRow: {
            // `stringr` looks for no empty text (it warns, and gives a missing piece).
            std::vector<std::string> cut_at = arguments;
            cut_at[1] = "na_if(" + arguments[1] + ", \"\")";
            return "if_else(" + arguments[1] + " == \"\", " + whole + ", " +
                   (written ? fill_spelling(spelling_of(call.function).r, cut_at)
                            : per_row_cut(cut_at)) +
                   ")";
        }
    }
    unreachable("every separator is written empty, written otherwise, or read per row");
}

// `gsub` looks for one text and puts one text in its place, both as written. What is read from
// a column is looked for row by row with `stringr`, which looks for no empty text: a row whose
// text to look for is empty keeps its text, as it would in a database.
std::string RValueWriter::replace_text(const Call& call,
                                       const std::vector<std::string>& arguments) const {
    const auto* sought = std::get_if<Text>(&call.arguments.at(1).node);
    if (sought != nullptr && sought->text.empty()) return arguments[0];
    if (sought != nullptr && std::holds_alternative<Text>(call.arguments.at(2).node)) {
        return fill_spelling(spelling_of(call.function).r, arguments);
    }
    if (sought != nullptr) {
        return "stringr::str_replace_all(" + arguments[0] + ", stringr::fixed(" + arguments[1] +
               "), " + arguments[2] + ")";
    }
    const std::string replaced = "stringr::str_replace_all(" + arguments[0] + ", stringr::fixed(" +
                                 sought_pattern(arguments[1]) + "), " + arguments[2] + ")";
    return "if_else(" + arguments[1] + " == \"\", " + arguments[0] + ", " + replaced + ")";
}

std::string RValueWriter::rolling_text(const Rolling& rolling) const {
    const auto* size = std::get_if<Whole>(&rolling.size->node);
    if (size == nullptr) unreachable("the checker admits only a written whole number");
    for (const RollingSpelling& spelling : kRollingSpellings) {
        if (spelling.function != rolling.function) continue;
        return "slider::slide_dbl(" + write(rolling.arguments.at(0)) + ", " +
               std::string(spelling.r) + ", .before = " + std::to_string(size->number - 1) +
               ", .complete = TRUE)";
    }
    unreachable("`" + rolling.function + "` reached the dplyr backend inside `rolling`");
}

std::string RValueWriter::write(const Value& value) const {
    return std::visit(
        Overloaded{
            [](const Column& node) { return r_name(node.name.text); },
            [](const Text& node) { return r_text(node.text); },
            [](const Whole& node) { return std::to_string(node.number); },
            [](const Decimal& node) { return r_decimal(node.number); },
            [](const Truth& node) { return std::string(node.yes ? "TRUE" : "FALSE"); },
            [](const Missing&) { return std::string("NA"); },
            [&](const Arithmetic& node) {
                std::string right = write(*node.right);
                if (divides(node) && divisor_may_be_zero(*node.right)) right = without_zero(right);
                return "(" + left_operand(*node.left) + " " +
                       std::string(arithmetic_symbol(node.op)) + " " + right + ")";
            },
            [&](const Compare& node) { return compare(node); },
            [&](const Logic& node) {
                return "(" + write(*node.left) + (node.op == LogicOperator::And ? " & " : " | ") +
                       write(*node.right) + ")";
            },
            [&](const Not& node) {
                // `!!` and `!!!` are rlang's injection and splicing inside dplyr's verbs, so a
                // negation of a negation keeps the inner one in parentheses.
                const std::string operand = write(*node.operand);
                return "!" + (operand.starts_with('!') ? "(" + operand + ")" : operand);
            },
            [&](const InSet& node) { return in_set(node); },
            [&](const IsMissing& node) {
                return std::string(node.negated ? "!" : "") + "is.na(" + write(*node.operand) + ")";
            },
            [&](const Call& node) { return call_text(node); },
            [&](const TextTest& node) {
                const std::string tested = write(*node.left);
                const std::string sought = write(*node.right);
                switch (node.op) {
                    case TextTestOperator::Starts:
                        return "startsWith(" + tested + ", " + sought + ")";
                    case TextTestOperator::Ends:
                        return "endsWith(" + tested + ", " + sought + ")";
                    case TextTestOperator::Contains:
                        break;
                    case TextTestOperator::Matches:
                        return "stringr::str_detect(" + tested + ", stringr::regex(" +
                               r_text(wildcard_search(std::get<Text>(node.right->node).text,
                                                      profile_of("dplyr").regex_end_of_text)) +
                               "))";
                }
                return contains(tested, *node.right);
            },
            [](const OverColumns&) -> std::string {
                unreachable("`any` and `every` reach the writers asked of each column");
            },
            [](const KindWord&) { return std::string("kind"); },
            [](const ValueWord&) { return std::string("value"); },
            [](const NameWord&) { return std::string("name"); },
            [](const Ranking& node) {
                if (!node.column) return std::string("row_number()");
                // A missing value ranks after every present one, in either direction.
                const std::string column = r_name(node.column->text);
                return "coalesce(min_rank(" + (node.descending ? "desc(" + column + ")" : column) +
                       "), sum(!is.na(" + column + ")) + 1L)";
            },
            [&](const When& node) {
                std::vector<std::string> cases;
                for (const WhenBranch& branch : node.branches) {
                    cases.push_back(write(*branch.question) + " ~ " + write(*branch.answer));
                }
                if (node.otherwise) cases.push_back(".default = " + write(**node.otherwise));
                return "case_when(" + r_joined(cases, ", ") + ")";
            },
            [&](const LookUp& node) {
                std::vector<std::string> from;
                std::vector<std::string> to;
                for (const LookUpPair& pair : node.pairs) {
                    from.push_back(write(*pair.from));
                    to.push_back(write(*pair.to));
                }
                return "recode_values(" + write(*node.subject) + ", from = c(" +
                       r_joined(from, ", ") + "), to = c(" + r_joined(to, ", ") +
                       "), default = " + write(*node.otherwise) + ")";
            },
            [&](const Rolling& node) { return rolling_text(node); },
            [](const Matching&) -> std::string {
                unreachable("`matching` reaches the writers only as the whole of a `keep`");
            },
        },
        value.node);
}

}  // namespace

std::string write_r_value(const Value& value, const std::vector<TableColumn>& table) {
    return RValueWriter(table).write(value);
}

}  // namespace brell
