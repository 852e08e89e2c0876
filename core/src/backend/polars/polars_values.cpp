#include "backend/polars/polars_values.hpp"

#include <algorithm>
#include <array>

#include "backend/compare_symbol.hpp"
#include "backend/python_text.hpp"
#include "backend/spelling.hpp"
#include "check/value_types.hpp"
#include "diagnostic/unreachable.hpp"
#include "parse/overloaded.hpp"
#include "parse/vocabulary.hpp"
#include "plan/empty_sought_text.hpp"
#include "plan/finite_answer.hpp"
#include "plan/function_domain.hpp"
#include "plan/nearest_rounding.hpp"
#include "plan/split_piece.hpp"
#include "plan/target_profile.hpp"
#include "plan/zero_divisor.hpp"
#include "text/decimal_text.hpp"
#include "text/wildcards.hpp"

namespace brell::polars {
namespace {

// Each function as one template over its arguments (backend/spelling.hpp). The form letters say
// how an argument is written: "{r1}" as an expression a method can follow; "{1}" as it is; "{e1}"
// where polars reads a plain string as a column name, so a text goes in `pl.lit(...)`; "{i1}" a
// position counted from 1, counted from 0. A count, a
// length or a part of a date is made a 64-bit integer: polars gives them as unsigned or narrow
// integers, which wrap (or turn a written number they are compared with missing) past their range.
struct Spelling {
    std::string_view function;
    std::string_view polars;
};
constexpr std::array<Spelling, 47> kSpellings = {{
    {"total", "{r1}.sum()"},
    {"average", "{r1}.mean()"},
    {"median", "{r1}.median()"},
    {"smallest", "{r1}.min()"},
    {"largest", "{r1}.max()"},
    {"standard_deviation", "{r1}.std()"},
    {"first", "{r1}.first()"},
    {"last", "{r1}.last()"},
    // A missing value is not a value to count, as in the other targets.
    {"unique_count", "{r1}.drop_nulls().n_unique().cast(pl.Int64)"},
    {"row_count", "pl.len().cast(pl.Int64)"},
    {"value_count", "{r1}.count().cast(pl.Int64)"},
    // polars leaves missing truths out: `any` of none is false and `all` of none true.
    {"any_yes", "{r1}.any()"},
    {"all_yes", "{r1}.all()"},
    {"first_present", "pl.coalesce([{e1...}])"},
    {"join_text", "pl.concat_str([{e1...}])"},
    {"lower", "{r1}.str.to_lowercase()"},
    {"upper", "{r1}.str.to_uppercase()"},
    {"to_number", "{r1}.cast(pl.Float64)"},
    {"to_text", "{r1}.cast(pl.String)"},
    {"to_date", "{r1}.str.to_datetime(time_unit=\"us\").dt.date()"},
    {"round_below", "{r1}.floor().cast(pl.Int64)"},
    {"round_above", "{r1}.ceil().cast(pl.Int64)"},
    {"absolute", "{r1}.abs()"},
    {"square_root", "{r1}.sqrt()"},
    {"natural_logarithm", "{r1}.log()"},
    {"decimal_logarithm", "{r1}.log10()"},
    {"exponential", "{r1}.exp()"},
    {"date_text", "{r1}.dt.strftime({2})"},
    {"trim", "{r1}.str.strip_chars(\" \")"},
    {"trim_start", "{r1}.str.strip_chars_start(\" \")"},
    {"trim_end", "{r1}.str.strip_chars_end(\" \")"},
    {"replace_text", "{r1}.str.replace_all({2}, {3}, literal=True)"},
    // A text with fewer pieces gives a missing value, as in the other targets, not an error.
    {"split_text", "{r1}.str.split({2}).list.get({i3}, null_on_oob=True)"},
    {"characters", "{r1}.str.len_chars().cast(pl.Int64)"},
    // Characters are counted from 0 in polars, and a length left out is the rest of the text.
    {"part_of_text", "{r1}.str.slice({i2}{,3})"},
    {"between", "{r1}.is_between({e2}, {e3})"},
    {"year", "{r1}.dt.year().cast(pl.Int64)"},
    {"month", "{r1}.dt.month().cast(pl.Int64)"},
    {"day", "{r1}.dt.day().cast(pl.Int64)"},
    {"weekday", "{r1}.dt.weekday().cast(pl.Int64)"},
    {"hour", "{r1}.dt.hour().cast(pl.Int64)"},
    {"minute", "{r1}.dt.minute().cast(pl.Int64)"},
    {"second", "{r1}.dt.second().cast(pl.Int64)"},
    // cum_sum leaves a missing value where the row's own is missing; the total so far carries on.
    {"running_total", "{r1}.cum_sum().forward_fill()"},
    {"previous", "{r1}.shift({2})"},
    {"following", "{r1}.shift(-{2})"},
    {"latest", "{r1}.forward_fill()"},
}};

// The aggregates a `rolling(...)` may hold, and polars' moving form of each.
constexpr std::array<Spelling, 6> kRollingSpellings = {{
    {"total", "rolling_sum"},
    {"average", "rolling_mean"},
    {"median", "rolling_median"},
    {"smallest", "rolling_min"},
    {"largest", "rolling_max"},
    {"standard_deviation", "rolling_std"},
}};

std::string_view text_test_method(TextTestOperator op) {
    switch (op) {
        case TextTestOperator::Starts:
            return "str.starts_with";
        case TextTestOperator::Ends:
            return "str.ends_with";
        case TextTestOperator::Contains:
        case TextTestOperator::Matches:
            return "str.contains";
    }
    return "str.contains";
}

std::string literal_in_expression(const std::string& text) {
    return "pl.lit(" + text + ")";
}

std::int64_t written_whole(const Value& value) {
    const auto* whole = std::get_if<Whole>(&value.node);
    if (whole == nullptr) unreachable("the checker admits only a written whole number");
    return whole->number;
}

// The walk over one value, with the types of the table the step reads: a few functions are
// spelled by what their argument holds.
class ValueWriter {
  public:
    ValueWriter(const std::vector<TableColumn>& table, const std::vector<std::string>& over)
        : index_(table), types_(index_), over_(over) {}

    PolarsValue write(const Value& value) const;

    // The value with a method to follow: a literal becomes an expression, and a `~` is
    // parenthesised so that the method does not bind inside it.
    std::string receiver(const Value& value) const {
        const PolarsValue written = write(value);
        if (!written.expression) return literal_in_expression(written.text);
        if (written.text.starts_with("~")) return "(" + written.text + ")";
        return written.text;
    }

  private:
    // The value where polars reads a plain string as the name of a column.
    std::string expression_argument(const Value& value) const {
        const PolarsValue written = write(value);
        return std::holds_alternative<Text>(value.node) ? literal_in_expression(written.text)
                                                        : written.text;
    }
    // With `divisor`, the right side is made missing where it is 0, as a division by zero is.
    PolarsValue quotient(const Call& node) const;
    PolarsValue binary(const Value& left, std::string_view symbol, const Value& right,
                       bool divisor = false) const;
    PolarsValue call(const Call& node) const;
    std::string fill(std::string_view spelling, const std::vector<const Value*>& arguments) const;
    PolarsValue in_set(const InSet& node) const;
    PolarsValue split_text(const Call& node, std::string_view spelling) const;
    PolarsValue ranking(const Ranking& node) const;
    PolarsValue rolling(const Rolling& node) const;
    PolarsValue when(const When& node) const;
    PolarsValue look_up(const LookUp& node) const;
    // An aggregate or window worked out per group of an `add ... by`.
    PolarsValue grouped(std::string text) const {
        if (!over_.empty()) text += ".over(" + name_list(over_) + ")";
        return {std::move(text), true};
    }

    ColumnType type_of(const Value& value) const {
        const Result<ColumnType> type = types_.type(value);
        return type ? *type : ColumnType::Opaque;
    }

    ColumnIndex index_;
    ValueTypes types_;
    const std::vector<std::string>& over_;
};

PolarsValue ValueWriter::write(const Value& value) const {
    const auto literal = [](std::string text) { return PolarsValue{std::move(text), false}; };
    const auto expression = [](std::string text) { return PolarsValue{std::move(text), true}; };
    return std::visit(
        Overloaded{
            [&](const Column& node) {
                return expression("pl.col(" + py_string(node.name.text) + ")");
            },
            [&](const Text& node) { return literal(py_string(node.text)); },
            [&](const Whole& node) { return literal(std::to_string(node.number)); },
            [&](const Decimal& node) { return literal(positional_decimal(node.number)); },
            [&](const Truth& node) { return literal(node.yes ? "True" : "False"); },
            [&](const Missing&) { return literal("None"); },
            [&](const Arithmetic& node) {
                return binary(*node.left, arithmetic_symbol(node.op), *node.right,
                              divides(node) && divisor_may_be_zero(*node.right));
            },
            [&](const Compare& node) {
                return binary(*node.left, r_python_compare_symbol(node.op), *node.right);
            },
            [&](const Logic& node) {
                return binary(*node.left, node.op == LogicOperator::And ? "&" : "|", *node.right);
            },
            [&](const Not& node) {
                // Python's `~` on a plain True is -2: the operand is made an expression first.
                const PolarsValue operand = write(*node.operand);
                return expression("~" + (operand.expression ? operand.text
                                                            : literal_in_expression(operand.text)));
            },
            [&](const InSet& node) { return in_set(node); },
            [&](const IsMissing& node) {
                return expression(receiver(*node.operand) +
                                  (node.negated ? ".is_not_null()" : ".is_null()"));
            },
            [&](const Call& node) { return call(node); },
            [&](const TextTest& node) {
                if (node.op == TextTestOperator::Matches) {
                    // The whole text against the pattern.
                    const std::string regex =
                        wildcard_search(std::get<Text>(node.right->node).text,
                                        profile_of("polars").regex_end_of_text);
                    return expression(receiver(*node.left) + ".str.contains(" + py_string(regex) +
                                      ")");
                }
                return expression(
                    receiver(*node.left) + "." + std::string(text_test_method(node.op)) + "(" +
                    write(*node.right).text +
                    (node.op == TextTestOperator::Contains ? ", literal=True)" : ")"));
            },
            [](const OverColumns&) -> PolarsValue {
                unreachable("`any` and `every` reach the writers rewritten into plain questions");
            },
            [](const KindWord&) -> PolarsValue {
                unreachable("`kind` stands only in a column chooser");
            },
            [](const ValueWord&) -> PolarsValue {
                unreachable("`value` reaches the writers replaced by its column");
            },
            [](const NameWord&) -> PolarsValue {
                unreachable("`name` stands only in a column chooser");
            },
            [&](const Ranking& node) { return ranking(node); },
            [&](const When& node) { return when(node); },
            [&](const LookUp& node) { return look_up(node); },
            [&](const Rolling& node) { return rolling(node); },
            [](const Matching&) -> PolarsValue {
                unreachable("`matching` stands only as the whole question of `keep`");
            },
        },
        value.node);
}

// The arithmetic plan/nearest_rounding states, on the value as a float.
std::string nearest(const std::string& value, const NearestRounding& rounding) {
    const std::string number = value + ".cast(pl.Float64)";
    const std::string scaled = "(" + number + ".abs() * " + rounding.scale + ")";
    const std::string rounded = "((" + scaled + " + " + scaled + " / " +
                                std::string(rounding.nudge_divisor) + " + 0.5).floor() / " +
                                rounding.scale + ")";
    return "pl.when(" + scaled + " >= " + std::string(rounding.unrounded_from) + ").then(" +
           number + ").when(" + number + " < 0).then(0 - " + rounded + ").otherwise(" + rounded +
           ")";
}

// The quotient cut towards zero, or what it leaves with the dividend's sign: polars' `%` takes
// the divisor's sign, so the remainder of the sizes is given the dividend's.
PolarsValue ValueWriter::quotient(const Call& node) const {
    const Value& dividend = node.arguments.at(0);
    const Value& divisor = node.arguments.at(1);
    if (node.function == "whole_quotient") {
        const PolarsValue divided = binary(dividend, "/", divisor, divisor_may_be_zero(divisor));
        const std::string quotient =
            divided.expression ? divided.text : literal_in_expression(divided.text);
        return {"pl.when(" + quotient + " < 0).then(" + quotient + ".ceil()).otherwise(" +
                    quotient + ".floor()).cast(pl.Int64)",
                true};
    }
    const std::string sizes = receiver(divisor);
    const std::string size =
        divisor_may_be_zero(divisor) ? "pl.when(" + sizes + " != 0).then(" + sizes + ")" : sizes;
    const std::string number = receiver(dividend);
    return {"(" + number + ".sign() * (" + number + ".abs() % " + size + ".abs()))", true};
}

PolarsValue ValueWriter::binary(const Value& left, std::string_view symbol, const Value& right,
                                bool divisor) const {
    PolarsValue written_left = write(left);
    PolarsValue written_right = write(right);
    // Python would work `None + 1` out itself, and fail, and polars warns on `== None` (the
    // answer is missing either way): polars is given the missing value as a literal.
    if (std::holds_alternative<Missing>(left.node)) {
        written_left = {literal_in_expression(written_left.text), true};
    }
    if (std::holds_alternative<Missing>(right.node)) {
        written_right = {literal_in_expression(written_right.text), true};
    }
    if (divisor) {
        const std::string guarded = receiver(right);
        written_right = {"pl.when(" + guarded + " != 0).then(" + guarded + ")", true};
    }
    return {"(" + written_left.text + " " + std::string(symbol) + " " + written_right.text + ")",
            written_left.expression || written_right.expression};
}

std::string ValueWriter::fill(std::string_view spelling,
                              const std::vector<const Value*>& arguments) const {
    const auto argument = [&](std::size_t index, char form) -> std::string {
        const Value& value = *arguments[index];
        switch (form) {
            case 'r':
                return receiver(value);
            case 'e':
                return expression_argument(value);
            case 'i':
                return std::holds_alternative<Whole>(value.node)
                           ? std::to_string(std::get<Whole>(value.node).number - 1)
                           : write(value).text + " - 1";
            default:
                return write(value).text;
        }
    };
    return fill_spelling(spelling, {arguments.size(), argument, {}});
}

PolarsValue ValueWriter::call(const Call& node) const {
    // polars totals nothing (every value missing) as 0; the total of no values is missing.
    if (node.function == "total" && node.arguments.size() == 1) {
        const std::string values = receiver(node.arguments[0]);
        return grouped("pl.when(" + values + ".count() > 0).then(" + values + ".sum())");
    }
    // The texts joined of a group that holds none are missing, where polars gives "".
    if (node.function == "join_rows" && node.arguments.size() == 2) {
        const std::string values = receiver(node.arguments[0]);
        return grouped("pl.when(" + values + ".count() > 0).then(" + values +
                       ".drop_nulls().str.join(" + write(node.arguments[1]).text + "))");
    }
    // `remainder` is an operator in polars, so that two literals stay one literal.
    if (node.function == "remainder" && node.arguments.size() == 2) {
        return binary(node.arguments[0], "%", node.arguments[1],
                      divisor_may_be_zero(node.arguments[1]));
    }
    if (node.function == "whole_quotient" || node.function == "quotient_remainder") {
        return quotient(node);
    }
    if (replaces_the_empty_text(node)) return {receiver(node.arguments[0]), true};
    if (node.function == "round_nearest") {
        return {nearest(receiver(node.arguments[0]), nearest_rounding(node)), true};
    }
    if (may_answer_non_finite(node.function)) {
        const std::string answer = receiver(node.arguments[0]) + ".cast(pl.Float64).pow(" +
                                   expression_argument(node.arguments[1]) + ")";
        return {"pl.when(" + answer + ".is_finite()).then(" + answer + ")", true};
    }
    if (const auto domain = domain_of(node.function); domain && node.arguments.size() == 1) {
        const std::string value = receiver(node.arguments[0]);
        const Spelling* spelling = nullptr;
        for (const Spelling& each : kSpellings) {
            if (each.function == node.function) spelling = &each;
        }
        if (spelling == nullptr) unreachable("every function with a domain has a polars spelling");
        return {fill_spelling(spelling->polars,
                              {"pl.when(" + value + " " + std::string(domain->comparison) + " " +
                               std::string(domain->bound) + ").then(" + value + ")"}),
                true};
    }
    // A date or a timestamp is not parsed: it keeps its day.
    if (node.function == "to_date" && node.arguments.size() == 1) {
        const ColumnType type = type_of(node.arguments[0]);
        if (type == ColumnType::Date || type == ColumnType::Timestamp) {
            return {receiver(node.arguments[0]) + ".dt.date()", true};
        }
    }
    // A timestamp is written to the second, as the other targets write it, with no fraction.
    if (node.function == "to_text" && node.arguments.size() == 1 &&
        type_of(node.arguments[0]) == ColumnType::Timestamp) {
        return {receiver(node.arguments[0]) + ".dt.strftime(\"%Y-%m-%d %H:%M:%S\")", true};
    }
    const FunctionEntry* entry = find_function(node.function);
    const Spelling* spelling = nullptr;
    for (const Spelling& each : kSpellings) {
        if (each.function == node.function) spelling = &each;
    }
    if (entry == nullptr || spelling == nullptr) {
        unreachable("`" + node.function + "` reached the polars backend without a spelling");
    }
    std::vector<const Value*> arguments;
    for (const Value& argument : node.arguments) arguments.push_back(&argument);
    if (node.function == "previous" || node.function == "following") {
        // How far to look: one row unless written.
        static const Value kOneRow{Span{}, Whole{1}};
        if (arguments.size() == 1) arguments.push_back(&kOneRow);
        written_whole(*arguments.at(1));
    }
    if (node.function == "split_text") return split_text(node, spelling->polars);
    const std::string text = fill(spelling->polars, arguments);
    if (entry->kind == FunctionKind::Scalar) return {text, true};
    if (node.function == "total") {
        // The total of no present values is missing, as a query's sum is, where polars gives 0.
        return grouped("pl.when(" + receiver(node.arguments.at(0)) + ".count() > 0).then(" + text +
                       ")");
    }
    return grouped(text);
}

PolarsValue ValueWriter::split_text(const Call& node, std::string_view spelling) const {
    std::vector<const Value*> arguments;
    for (const Value& argument : node.arguments) arguments.push_back(&argument);
    const std::optional<std::int64_t> written = written_piece(node.arguments.at(2));
    const std::string number = receiver(node.arguments.at(2));
    std::string cut = fill(spelling, arguments);
    // A piece before the first is missing, where `list.get` counts it from the end.
    if (!written) cut = "pl.when(" + number + " >= 1).then(" + cut + ")";
    // A text cut at the empty separator is one piece: the text itself.
    const std::string text = receiver(node.arguments.at(0));
    const std::string whole =
        written == 1 ? text : "pl.when(" + number + " == 1).then(" + text + ")";
    switch (split_separator(node.arguments.at(1))) {
        case SplitSeparator::Empty:
            return {whole, true};
        case SplitSeparator::Written:
            return {cut, true};
        case SplitSeparator::PerRow:
            return {"pl.when(" + receiver(node.arguments.at(1)) + " == \"\").then(" + whole +
                        ").otherwise(" + cut + ")",
                    true};
    }
    unreachable("every separator is written empty, written otherwise, or read per row");
}

PolarsValue ValueWriter::in_set(const InSet& node) const {
    const bool all_written =
        std::all_of(node.items.begin(), node.items.end(), [](const Value& item) {
            return std::holds_alternative<Text>(item.node) ||
                   std::holds_alternative<Whole>(item.node) ||
                   std::holds_alternative<Decimal>(item.node) ||
                   std::holds_alternative<Truth>(item.node) ||
                   std::holds_alternative<Missing>(item.node);
        });
    std::string found;
    if (all_written) {
        // A missing value equals nothing, so `missing` is left out of the list; a set that lists
        // it never answers no: the answer is yes or missing.
        std::vector<std::string> items;
        bool lists_missing = false;
        for (const Value& item : node.items) {
            if (std::holds_alternative<Missing>(item.node)) {
                lists_missing = true;
            } else {
                items.push_back(write(item).text);
            }
        }
        found = receiver(*node.operand) + ".is_in([" + joined(items, ", ") + "])";
        if (lists_missing) found = "pl.when(" + found + ").then(True)";
    } else {
        // A set holding a worked-out value is asked one item at a time: equal to any of them.
        std::vector<std::string> tests;
        for (const Value& item : node.items) {
            const std::string other = std::holds_alternative<Missing>(item.node)
                                          ? literal_in_expression(write(item).text)
                                          : expression_argument(item);
            tests.push_back("(" + receiver(*node.operand) + " == " + other + ")");
        }
        found = tests.size() == 1 ? tests[0] : "(" + joined(tests, " | ") + ")";
    }
    // Not yes is no, not no is yes, and not missing is missing.
    if (node.negated) found = "(~" + found + ")";
    return {found, true};
}

PolarsValue ValueWriter::ranking(const Ranking& node) const {
    if (!node.column) return grouped("pl.int_range(1, pl.len() + 1)");
    // A missing value ranks after every value (polars leaves its rank missing): all of them
    // share the place after the last counted value.
    const std::string column = "pl.col(" + py_string(node.column->text) + ")";
    return grouped(column + ".rank(\"min\"" + (node.descending ? ", descending=True" : "") +
                   ").fill_null(" + column + ".count() + 1).cast(pl.Int64)");
}

PolarsValue ValueWriter::rolling(const Rolling& node) const {
    const std::int64_t rows = written_whole(*node.size);
    for (const Spelling& spelling : kRollingSpellings) {
        if (spelling.function != node.function) continue;
        if (node.arguments.size() != 1) unreachable("the checker admits each call's arity");
        return grouped(receiver(node.arguments[0]) + "." + std::string(spelling.polars) + "(" +
                       std::to_string(rows) + ")");
    }
    unreachable("`" + node.function + "` reached the polars backend inside `rolling`");
}

PolarsValue ValueWriter::when(const When& node) const {
    std::vector<std::string> branches;
    for (const WhenBranch& branch : node.branches) {
        branches.push_back("when(" + write(*branch.question).text + ").then(" +
                           expression_argument(*branch.answer) + ")");
    }
    std::string text = "pl." + joined(branches, ".");
    if (node.otherwise) text += ".otherwise(" + expression_argument(**node.otherwise) + ")";
    return {text, true};
}

PolarsValue ValueWriter::look_up(const LookUp& node) const {
    std::vector<std::string> pairs;
    for (const LookUpPair& pair : node.pairs) {
        pairs.push_back(write(*pair.from).text + ": " + write(*pair.to).text);
    }
    return {receiver(*node.subject) + ".replace_strict({" + joined(pairs, ", ") +
                "}, default=" + write(*node.otherwise).text + ")",
            true};
}

}  // namespace

PolarsValue polars_value(const Value& value, const std::vector<TableColumn>& table,
                         const std::vector<std::string>& over) {
    return ValueWriter(table, over).write(value);
}

std::string polars_expression(const Value& value, const std::vector<TableColumn>& table,
                              const std::vector<std::string>& over) {
    const PolarsValue written = polars_value(value, table, over);
    return written.expression ? written.text : literal_in_expression(written.text);
}

std::string polars_receiver(const Value& value, const std::vector<TableColumn>& table,
                            const std::vector<std::string>& over) {
    return ValueWriter(table, over).receiver(value);
}

std::string polars_filler(const Value& value, const std::vector<TableColumn>& table) {
    if (std::holds_alternative<Missing>(value.node)) return literal_in_expression("None");
    return polars_value(value, table).text;
}

std::string name_list(const std::vector<std::string>& names) {
    std::vector<std::string> names_in_quotes;
    for (const std::string& name : names) names_in_quotes.push_back(py_string(name));
    return "[" + joined(names_in_quotes, ", ") + "]";
}

}  // namespace brell::polars
