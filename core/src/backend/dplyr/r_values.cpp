// Values and functions as R: one walk over the value, and the spelling of every function as a
// template over its arguments.

#include "backend/dplyr/r_values.hpp"

#include <array>

#include "backend/compare_symbol.hpp"
#include "backend/dplyr/r_text.hpp"
#include "diagnostic/unreachable.hpp"
#include "parse/overloaded.hpp"

namespace brell {
namespace {

// A function's R text, with holes for its written arguments: "{1}" is the first, "{all}" every
// one joined by ", ", and "{, 2}" is ", " and the second when it was written, else nothing.
// `cell` is what `pivot_wider` takes as `values_fn` for the aggregates that have one there.
struct RSpelling {
    std::string_view function;
    std::string_view r;
    std::string_view cell = {};
};
constexpr std::array<RSpelling, 35> kSpellings = {{
    {"total", "sum({1}, na.rm = TRUE)", "sum"},
    {"average", "mean({1}, na.rm = TRUE)", "mean"},
    {"median", "median({1}, na.rm = TRUE)", "median"},
    {"smallest", "min({1}, na.rm = TRUE)", "min"},
    {"largest", "max({1}, na.rm = TRUE)", "max"},
    {"standard_deviation", "sd({1}, na.rm = TRUE)", "sd"},
    {"first", "first({1})", "dplyr::first"},
    {"last", "last({1})", "dplyr::last"},
    {"unique_count", "n_distinct({1})", "dplyr::n_distinct"},
    {"row_count", "n()"},
    {"join_rows", "paste({1}[!is.na({1})], collapse = {2})"},
    {"first_present", "coalesce({all})"},
    {"join_text", "stringr::str_c({all})"},
    {"lower", "tolower({1})"},
    {"upper", "toupper({1})"},
    {"to_number", "as.numeric({1})"},
    {"to_text", "as.character({1})"},
    {"to_date", "as.Date({1})"},
    {"round_below", "as.integer(floor({1}))"},
    {"round_above", "as.integer(ceiling({1}))"},
    {"trim", "trimws({1})"},
    {"replace_text", "gsub({2}, {3}, {1}, fixed = TRUE)"},
    {"split_text", "stringr::str_split_i({1}, stringr::fixed({2}), {3})"},
    {"characters", "nchar({1})"},
    {"between", "between({1}, {2}, {3})"},
    {"remainder", "({1} %% {2})"},
    {"year", "lubridate::year({1})"},
    {"month", "lubridate::month({1})"},
    {"day", "lubridate::day({1})"},
    {"weekday", "lubridate::wday({1}, week_start = 1)"},
    {"hour", "lubridate::hour({1})"},
    {"running_total", "cumsum({1})"},
    {"previous", "lag({1}{, 2})"},
    {"following", "lead({1}{, 2})"},
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

const RSpelling& spelling_of(const std::string& function) {
    for (const RSpelling& spelling : kSpellings) {
        if (spelling.function == function) return spelling;
    }
    unreachable("`" + function + "` reached the dplyr backend without a spelling");
}

std::string fill_holes(std::string_view r, const std::vector<std::string>& arguments) {
    const auto argument = [&](char digit) -> const std::string& {
        const std::size_t index = static_cast<std::size_t>(digit - '1');
        if (index >= arguments.size()) unreachable("the checker admits each function's arity");
        return arguments[index];
    };
    std::string text;
    for (std::size_t i = 0; i < r.size(); ++i) {
        if (r[i] != '{') {
            text += r[i];
            continue;
        }
        const std::size_t close = r.find('}', i);
        const std::string_view hole = r.substr(i + 1, close - i - 1);
        if (hole == "all") {
            text += r_joined(arguments, ", ");
        } else if (hole.starts_with(", ")) {
            if (static_cast<std::size_t>(hole[2] - '0') <= arguments.size())
                text += ", " + argument(hole[2]);
        } else {
            text += argument(hole[0]);
        }
        i = close;
    }
    return text;
}

// R's `!` binds more loosely than its comparisons, so `!a == b` reads as `!(a == b)`. A negation
// that stands on the left of an operator is put in parentheses to keep it to itself.
bool is_negation(const Value& value) {
    if (std::holds_alternative<Not>(value.node)) return true;
    if (const auto* missing = std::get_if<IsMissing>(&value.node)) return missing->negated;
    if (const auto* set = std::get_if<InSet>(&value.node)) return set->negated;
    return false;
}

std::string left_operand(const Value& value) {
    const std::string text = write_r_value(value);
    return is_negation(value) ? "(" + text + ")" : text;
}

std::string call_text(const Call& call) {
    std::vector<std::string> arguments;
    for (const Value& argument : call.arguments) arguments.push_back(write_r_value(argument));
    return fill_holes(spelling_of(call.function).r, arguments);
}

std::string rolling_text(const Rolling& rolling) {
    const auto* size = std::get_if<Whole>(&rolling.size->node);
    if (size == nullptr) unreachable("the checker admits only a written whole number");
    for (const RollingSpelling& spelling : kRollingSpellings) {
        if (spelling.function != rolling.function) continue;
        return "slider::slide_dbl(" + write_r_value(rolling.arguments.at(0)) + ", " +
               std::string(spelling.r) + ", .before = " + std::to_string(size->number - 1) +
               ", .complete = TRUE)";
    }
    unreachable("`" + rolling.function + "` reached the dplyr backend inside `rolling`");
}

std::string values_text(const std::vector<Value>& values) {
    std::vector<std::string> texts;
    for (const Value& value : values) texts.push_back(write_r_value(value));
    return r_joined(texts, ", ");
}

}  // namespace

std::string write_r_value(const Value& value) {
    return std::visit(
        Overloaded{
            [](const Column& node) { return r_name(node.name.text); },
            [](const Text& node) { return r_text(node.text); },
            [](const Whole& node) { return std::to_string(node.number); },
            [](const Decimal& node) { return r_decimal(node.number); },
            [](const Truth& node) { return std::string(node.yes ? "TRUE" : "FALSE"); },
            [](const Missing&) { return std::string("NA"); },
            [](const Arithmetic& node) {
                return "(" + left_operand(*node.left) + " " +
                       std::string(arithmetic_symbol(node.op)) + " " + write_r_value(*node.right) +
                       ")";
            },
            [](const Compare& node) {
                return "(" + left_operand(*node.left) + " " +
                       std::string(r_python_compare_symbol(node.op)) + " " +
                       write_r_value(*node.right) + ")";
            },
            [](const Logic& node) {
                return "(" + write_r_value(*node.left) +
                       (node.op == LogicOperator::And ? " & " : " | ") +
                       write_r_value(*node.right) + ")";
            },
            [](const Not& node) { return "!" + write_r_value(*node.operand); },
            [](const InSet& node) {
                return std::string(node.negated ? "!" : "") + "(" + left_operand(*node.operand) +
                       " %in% c(" + values_text(node.items) + "))";
            },
            [](const IsMissing& node) {
                return std::string(node.negated ? "!" : "") + "is.na(" +
                       write_r_value(*node.operand) + ")";
            },
            [](const Call& node) { return call_text(node); },
            [](const TextTest& node) {
                const std::string tested = write_r_value(*node.left);
                const std::string sought = write_r_value(*node.right);
                switch (node.op) {
                    case TextTestOperator::Starts:
                        return "startsWith(" + tested + ", " + sought + ")";
                    case TextTestOperator::Ends:
                        return "endsWith(" + tested + ", " + sought + ")";
                    case TextTestOperator::Contains:
                        break;
                }
                return "grepl(" + sought + ", " + tested + ", fixed = TRUE)";
            },
            [](const OverColumns&) -> std::string {
                unreachable("`any` and `every` reach the writers asked of each column");
            },
            [](const KindWord&) { return std::string("kind"); },
            [](const ValueWord&) { return std::string("value"); },
            [](const NameWord&) { return std::string("name"); },
            [](const Ranking& node) {
                if (!node.column) return std::string("row_number()");
                const std::string column = r_name(node.column->text);
                return "min_rank(" + (node.descending ? "desc(" + column + ")" : column) + ")";
            },
            [](const When& node) {
                std::vector<std::string> cases;
                for (const WhenBranch& branch : node.branches) {
                    cases.push_back(write_r_value(*branch.question) + " ~ " +
                                    write_r_value(*branch.answer));
                }
                if (node.otherwise)
                    cases.push_back(".default = " + write_r_value(**node.otherwise));
                return "case_when(" + r_joined(cases, ", ") + ")";
            },
            [](const LookUp& node) {
                std::vector<std::string> from;
                std::vector<std::string> to;
                for (const LookUpPair& pair : node.pairs) {
                    from.push_back(write_r_value(*pair.from));
                    to.push_back(write_r_value(*pair.to));
                }
                return "recode_values(" + write_r_value(*node.subject) + ", from = c(" +
                       r_joined(from, ", ") + "), to = c(" + r_joined(to, ", ") +
                       "), default = " + write_r_value(*node.otherwise) + ")";
            },
            [](const Rolling& node) { return rolling_text(node); },
            [](const Matching&) -> std::string {
                unreachable("`matching` reaches the writers only as the whole of a `keep`");
            },
        },
        value.node);
}

std::optional<std::string> cell_function(const Call& aggregate) {
    const RSpelling& spelling = spelling_of(aggregate.function);
    if (!spelling.cell.empty()) return std::string(spelling.cell);
    if (aggregate.arguments.empty()) return std::nullopt;
    // An aggregate with no function of its own there is spelled as a function of the cell's
    // values, the way it is spelled over a column.
    std::vector<std::string> arguments{"x"};
    for (std::size_t i = 1; i < aggregate.arguments.size(); ++i)
        arguments.push_back(write_r_value(aggregate.arguments[i]));
    return "\\(x) " + fill_holes(spelling.r, arguments);
}

}  // namespace brell
