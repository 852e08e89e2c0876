#include "backend/sql/sql_values.hpp"

#include <algorithm>
#include <array>

#include "backend/spelling.hpp"
#include "diagnostic/unreachable.hpp"
#include "parse/overloaded.hpp"
#include "parse/vocabulary.hpp"
#include "plan/date_pattern.hpp"
#include "plan/empty_answer.hpp"
#include "plan/finite_answer.hpp"
#include "plan/function_domain.hpp"
#include "plan/helper_names.hpp"
#include "plan/nearest_rounding.hpp"
#include "plan/split_piece.hpp"
#include "plan/value_queries.hpp"
#include "plan/whole_number_width.hpp"
#include "plan/zero_divisor.hpp"
#include "text/decimal_text.hpp"
#include "text/joined_text.hpp"
#include "text/wildcards.hpp"

namespace brell {
namespace {

// The functions whose SQL is one template (backend/spelling.hpp); "{window}" is the window of
// the context, its partition and the sort in force.
struct Spelling {
    std::string_view function;
    std::string_view sql;
};
constexpr std::array<Spelling, 42> kSpellings = {{
    {"total", "sum({1})"},
    {"average", "avg({1})"},
    {"median", "median({1})"},
    {"smallest", "min({1})"},
    {"largest", "max({1})"},
    {"standard_deviation", "stddev({1})"},
    {"first", "first({1})"},
    {"last", "last({1})"},
    {"unique_count", "count(DISTINCT {1})"},
    {"value_count", "count({1})"},
    {"any_yes", "bool_or({1})"},
    {"all_yes", "bool_and({1})"},
    {"row_count", "count(*)"},
    {"lower", "lower({1})"},
    {"upper", "upper({1})"},
    {"to_number", "CAST({1} AS DOUBLE)"},
    {"to_text", "CAST({1} AS STRING)"},
    {"to_date", "CAST({1} AS DATE)"},
    {"round_below", "CAST(floor({1}) AS BIGINT)"},
    {"round_above", "CAST(ceil({1}) AS BIGINT)"},
    {"absolute", "abs({1})"},
    {"square_root", "sqrt({1})"},
    {"natural_logarithm", "ln({1})"},
    {"decimal_logarithm", "log10({1})"},
    {"exponential", "exp({1})"},
    {"date_text", "strftime({1}, {2})"},
    {"trim", "trim({1})"},
    {"trim_start", "ltrim({1})"},
    {"trim_end", "rtrim({1})"},
    {"replace_text", "replace({1}, {2}, {3})"},
    {"characters", "length({1})"},
    {"between", "({1} BETWEEN {2} AND {3})"},
    {"year", "year({1})"},
    {"month", "month({1})"},
    {"day", "day({1})"},
    {"minute", "minute({1})"},
    {"second", "second({1})"},
    {"hour", "hour({1})"},
    // Both dialects count characters, from 1, and give the rest of the text without a length.
    {"part_of_text", "substring({1...})"},
    {"running_total", "sum({1}) OVER ({window} ROWS BETWEEN UNBOUNDED PRECEDING AND CURRENT ROW)"},
    {"previous", "lag({1}{,2}) OVER ({window})"},
    {"following", "lead({1}{,2}) OVER ({window})"},
}};

// The aggregates a `rolling(...)` may hold.
constexpr std::array<Spelling, 5> kRollingSpellings = {{
    {"total", "sum({1})"},
    {"average", "avg({1})"},
    {"smallest", "min({1})"},
    {"largest", "max({1})"},
    {"standard_deviation", "stddev({1})"},
}};

// The piece of a text asked for. `split_part` gives an empty text for a piece the text does not
// have, which a piece that is there and empty also is, so the pieces it does not have are made
// missing: the text has piece n when it holds n - 1 separators, which is how much shorter it is
// without them.
std::string cut_piece(const SqlDialect& dialect, std::optional<std::int64_t> written,
                      const std::vector<std::string>& arguments) {
    const std::string& text = arguments.at(0);
    const std::string& separator = arguments.at(1);
    const std::string& position = arguments.at(2);
    // A piece read from a column of fractions is an integer to `split_part` only when cast.
    const std::string cut = "split_part(" + text + ", " + separator + ", " +
                            (written ? position : "CAST(" + position + " AS INT)") + ")";
    if (written == 1) return cut;
    const std::string before = written ? std::to_string(*written - 1) : "(" + position + " - 1)";
    std::string test = "length(" + separator + ") * " + before + " <= length(" + text +
                       ") - length(replace(" + text + ", " + separator + ", " +
                       quote_text(dialect, "") + "))";
    if (!written) test = "(" + position + ") >= 1 AND " + test;
    return "CASE WHEN " + test + " THEN " + cut + " END";
}

// A text cut at the empty separator is one piece: the text itself.
std::string split_piece(const SqlDialect& dialect, const Call& call,
                        const std::vector<std::string>& arguments) {
    const std::optional<std::int64_t> written = written_piece(call.arguments.at(2));
    const std::string& text = arguments.at(0);
    const std::string whole =
        written == 1 ? text : "CASE WHEN " + arguments.at(2) + " = 1 THEN " + text + " END";
    switch (split_separator(call.arguments.at(1))) {
        case SplitSeparator::Empty:
            return whole;
        case SplitSeparator::Written:
            return cut_piece(dialect, written, arguments);
        case SplitSeparator::PerRow:
            return "CASE WHEN " + arguments.at(1) + " = " + quote_text(dialect, "") + " THEN " +
                   whole + " ELSE " + cut_piece(dialect, written, arguments) + " END";
    }
    unreachable("every separator is written empty, written otherwise, or read per row");
}

std::string_view compare_symbol(CompareOperator op) {
    switch (op) {
        case CompareOperator::Is:
            return "=";
        case CompareOperator::IsNot:
            return "<>";
        case CompareOperator::Less:
            return "<";
        case CompareOperator::LessOrEqual:
            return "<=";
        case CompareOperator::Greater:
            return ">";
        case CompareOperator::GreaterOrEqual:
            return ">=";
    }
    return "=";
}

class ValueWriter {
  public:
    ValueWriter(const SqlDialect& dialect, const ValueContext& context)
        : dialect_(dialect), context_(context) {}

    std::string write(const Value& value) const;

  private:
    std::string in_context(const Value& value) const { return write(value); }
    // The right side of arithmetic; a divisor that may be 0 is missing there.
    std::string right_operand(const Arithmetic& node) const {
        const std::string right = in_context(*node.right);
        return divides(node) && divisor_may_be_zero(*node.right) ? without_zero(right) : right;
    }
    static std::string without_zero(const std::string& divisor) {
        return "NULLIF(" + divisor + ", 0)";
    }
    std::string bare(const Value& value) const {
        return ValueWriter(dialect_, empty_).write(value);
    }
    std::string text_test(const TextTest& node) const;
    std::string ranking(const Ranking& node) const;
    std::string call(const Call& node) const;
    std::string rolling(const Rolling& node) const;
    std::string windowed(const std::string& function, bool reads_order = false) const;

    const SqlDialect& dialect_;
    const ValueContext& context_;
    ValueContext empty_;
};

std::string ValueWriter::write(const Value& value) const {
    return std::visit(
        Overloaded{
            [&](const Column& node) { return quote_name(dialect_, node.name.text); },
            [&](const Text& node) { return quote_text(dialect_, node.text); },
            [](const Whole& node) { return std::to_string(node.number); },
            [](const Decimal& node) { return positional_decimal(node.number); },
            [](const Truth& node) { return std::string(node.yes ? "TRUE" : "FALSE"); },
            [](const Missing&) { return std::string("NULL"); },
            [&](const Arithmetic& node) {
                // A written whole number is a 32-bit integer to the engine; widen the first one
                // when the arithmetic on written numbers alone would pass what 32 bits hold.
                if (std::holds_alternative<Whole>(node.left->node) &&
                    whole_arithmetic_passes_32_bits(node)) {
                    return "(CAST(" + in_context(*node.left) + " AS BIGINT) " +
                           std::string(arithmetic_symbol(node.op)) + " " + right_operand(node) +
                           ")";
                }
                return "(" + in_context(*node.left) + " " +
                       std::string(arithmetic_symbol(node.op)) + " " + right_operand(node) + ")";
            },
            [&](const Compare& node) {
                return "(" + in_context(*node.left) + " " + std::string(compare_symbol(node.op)) +
                       " " + in_context(*node.right) + ")";
            },
            [&](const Logic& node) {
                return "(" + in_context(*node.left) +
                       (node.op == LogicOperator::And ? " AND " : " OR ") +
                       in_context(*node.right) + ")";
            },
            [&](const Not& node) { return "(NOT " + in_context(*node.operand) + ")"; },
            [&](const InSet& node) {
                std::vector<std::string> items;
                for (const Value& item : node.items) items.push_back(in_context(item));
                return "(" + in_context(*node.operand) + " " + (node.negated ? "NOT " : "") +
                       "IN (" + joined(items, ", ") + "))";
            },
            [&](const IsMissing& node) {
                return "(" + in_context(*node.operand) + " IS " + (node.negated ? "NOT " : "") +
                       "NULL)";
            },
            [&](const Call& node) { return call(node); },
            [&](const TextTest& node) { return text_test(node); },
            [](const OverColumns& node) {
                return std::string("/* ") + (node.quantifier == Quantifier::Any ? "any" : "every") +
                       " of the matched columns */";
            },
            [](const KindWord&) { return std::string("NULL"); },
            [](const ValueWord&) { return std::string("NULL"); },
            [](const NameWord&) { return std::string("NULL"); },
            [&](const Ranking& node) { return ranking(node); },
            [&](const When& node) {
                std::string sql = "CASE";
                for (const WhenBranch& branch : node.branches) {
                    sql += " WHEN " + in_context(*branch.question) + " THEN " +
                           in_context(*branch.answer);
                }
                if (node.otherwise) sql += " ELSE " + in_context(**node.otherwise);
                return sql + " END";
            },
            [&](const LookUp& node) {
                std::string sql = "CASE";
                const std::string subject = in_context(*node.subject);
                for (const LookUpPair& pair : node.pairs) {
                    sql += " WHEN " + subject + " = " + in_context(*pair.from) + " THEN " +
                           in_context(*pair.to);
                }
                return sql + " ELSE " + in_context(*node.otherwise) + " END";
            },
            [&](const Rolling& node) { return rolling(node); },
            [&](const Matching& node) {
                return "EXISTS (SELECT 1 FROM " + quote_table(dialect_, node.table.text) + ")";
            },
        },
        value.node);
}

std::string ValueWriter::text_test(const TextTest& node) const {
    const std::string left = in_context(*node.left);
    const std::string escape = " ESCAPE " + quote_text(dialect_, "\\");
    // A written pattern that escapes nothing is written without `ESCAPE`, which would keep
    // DuckDB from its fast search for the pieces of a `%a%b%` pattern (five times slower).
    const auto like_written = [&](const std::string& pattern) {
        return "(" + left + " LIKE " + quote_text(dialect_, pattern) +
               (pattern.find('\\') == std::string::npos ? "" : escape) + ")";
    };
    if (node.op == TextTestOperator::Matches) {
        return like_written(wildcard_like(std::get<Text>(node.right->node).text));
    }
    const bool before = node.op != TextTestOperator::Starts;
    const bool after = node.op != TextTestOperator::Ends;
    if (const auto* text = std::get_if<Text>(&node.right->node)) {
        std::string escaped;
        for (char character : text->text) {
            if (character == '\\' || character == '%' || character == '_') escaped += '\\';
            escaped += character;
        }
        return like_written((before ? "%" : "") + escaped + (after ? "%" : ""));
    }
    // A pattern read from a value: its own backslashes, % and _ are escaped in the query, so that
    // it is matched as the text it holds.
    std::string escaped = in_context(*node.right);
    for (const char* special : {"\\", "%", "_"}) {
        escaped = "replace(" + escaped + ", " + quote_text(dialect_, special) + ", " +
                  quote_text(dialect_, std::string("\\") + special) + ")";
    }
    const std::string percent = quote_text(dialect_, "%");
    return "(" + left + " LIKE (" + std::string(before ? percent + " || " : "") + escaped +
           (after ? " || " + percent : "") + ")" + escape + ")";
}

std::string ValueWriter::ranking(const Ranking& node) const {
    std::string order;
    if (node.column) {
        order = quote_name(dialect_, node.column->text) + (node.descending ? " DESC" : "") +
                " NULLS LAST";
    } else if (context_.sort != nullptr) {
        order = write_keys(dialect_, *context_.sort);
    }
    std::string window = partition_clause(dialect_, context_.partition);
    if (!order.empty()) window += "ORDER BY " + order;
    while (!window.empty() && window.back() == ' ') window.pop_back();
    return std::string(node.column ? "RANK" : "ROW_NUMBER") + "() OVER (" + window + ")";
}

// An aggregate of an add step, worked out over its partition.
std::string ValueWriter::windowed(const std::string& function, bool reads_order) const {
    std::string window;
    if (!context_.partition.empty()) {
        window = "PARTITION BY " + quoted_names(dialect_, context_.partition);
    }
    // An answer that depends on the order of the rows (first, last, the rows joined) reads them
    // in the sort in force, over the whole group; without one the engine's order is arbitrary.
    if (reads_order && context_.sort != nullptr) {
        window += std::string(window.empty() ? "" : " ") + "ORDER BY " +
                  write_keys(dialect_, *context_.sort) +
                  " ROWS BETWEEN UNBOUNDED PRECEDING AND UNBOUNDED FOLLOWING";
    }
    return function + " OVER (" + window + ")";
}

// The arithmetic plan/nearest_rounding states, on the value as a double.
std::string nearest(const std::string& value, const NearestRounding& rounding) {
    const std::string number = "CAST(" + value + " AS DOUBLE)";
    const std::string scaled = "(abs(" + number + ") * " + rounding.scale + ")";
    const std::string rounded = "(floor(" + scaled + " + " + scaled + " / " +
                                std::string(rounding.nudge_divisor) + " + 0.5) / " +
                                rounding.scale + ")";
    return "CASE WHEN " + scaled + " >= " + std::string(rounding.unrounded_from) + " THEN " +
           number + " WHEN " + number + " < 0 THEN 0 - " + rounded + " ELSE " + rounded + " END";
}

std::string ValueWriter::call(const Call& node) const {
    const FunctionEntry* entry = find_function(node.function);
    if (entry == nullptr) {
        unreachable("`" + node.function + "` reached the SQL backend without a spelling");
    }
    std::vector<std::string> arguments;
    // An aggregate or a window is windowed around its call; a scalar function's argument may
    // hold a group's answer, which is windowed where it stands.
    for (const Value& argument : node.arguments) {
        arguments.push_back(entry->kind == FunctionKind::Scalar ? in_context(argument)
                                                                : bare(argument));
    }
    const std::string& name = node.function;
    const bool windowed_aggregate = context_.window && entry->kind == FunctionKind::Aggregate;
    if (windowed_aggregate && dialect_.spark && name == "unique_count") {
        // Spark has no windowed count(DISTINCT ...): count the set of values instead.
        return "size(" + windowed("collect_set(" + arguments[0] + ")") + ")";
    }
    if (name == "join_rows" && windowed_aggregate && dialect_.spark) {
        // Spark windows no CASE around aggregates: each aggregate is windowed apart.
        const std::string& texts = arguments[0];
        const std::string& place = context_.place;
        std::string list = windowed(
            "collect_list(" +
                (place.empty() ? texts
                               : "named_struct('place', " + place + ", 'value', " + texts + ")") +
                ")",
            true);
        if (!place.empty()) list = "transform(array_sort(" + list + "), piece -> piece.value)";
        return "CASE WHEN " + windowed("count(" + texts + ")") + " > 0 THEN array_join(" + list +
               ", " + arguments[1] + ") END";
    }
    if (entry->kind == FunctionKind::Aggregate) {
        const std::string sql =
            write_aggregate(dialect_, node, arguments.empty() ? "" : arguments[0], context_.place);
        const std::string answer =
            windowed_aggregate ? windowed(sql, is_ordered_aggregate(name)) : sql;
        if (const std::optional<bool> over_none = answer_over_no_truths(name)) {
            return "coalesce(" + answer + ", " + (*over_none ? "TRUE" : "FALSE") + ")";
        }
        return answer;
    }
    if (name == "first_present") return "coalesce(" + joined(arguments, ", ") + ")";
    if (name == "join_text") return "(" + joined(arguments, " || ") + ")";
    if (name == "remainder") {
        // The result takes the divisor's sign; the whole is parenthesised so that it binds as
        // one value inside arithmetic.
        const std::string divisor =
            divisor_may_be_zero(node.arguments[1]) ? without_zero(arguments[1]) : arguments[1];
        return "((((" + arguments[0] + ") % (" + divisor + ")) + (" + divisor + ")) % (" + divisor +
               "))";
    }
    if (name == "quotient_remainder") {
        // Both dialects' `%` takes the dividend's sign.
        const std::string divisor =
            divisor_may_be_zero(node.arguments[1]) ? without_zero(arguments[1]) : arguments[1];
        return "((" + arguments[0] + ") % (" + divisor + "))";
    }
    if (name == "whole_quotient") {
        const std::string divisor =
            divisor_may_be_zero(node.arguments[1]) ? without_zero(arguments[1]) : arguments[1];
        const std::string quotient = "((" + arguments[0] + ") / (" + divisor + "))";
        return "CAST(CASE WHEN " + quotient + " < 0 THEN ceil(" + quotient + ") ELSE floor(" +
               quotient + ") END AS BIGINT)";
    }
    if (name == "weekday") return fill_spelling(dialect_.iso_weekday, arguments);
    if (name == "latest") {
        return fill_spelling(dialect_.last_value_ignore_nulls, arguments) + " OVER (" +
               window_of(dialect_, context_) + " ROWS BETWEEN UNBOUNDED PRECEDING AND CURRENT ROW)";
    }
    if (name == "split_text") return split_piece(dialect_, node, arguments);
    if (name == "round_nearest") return nearest(arguments[0], nearest_rounding(node));
    if (name == "date_text" && dialect_.spark) {
        // Spark reads Java's pattern letters, not strftime's.
        return "date_format(" + arguments[0] + ", " +
               quote_text(dialect_,
                          java_date_pattern(std::get<Text>(node.arguments[1].node).text)) +
               ")";
    }
    if (may_answer_non_finite(name)) {
        // Not-a-number sorts above the infinity in both dialects, so the test leaves out both.
        const std::string answer = "pow(" + arguments[0] + ", " + arguments[1] + ")";
        return "CASE WHEN abs(" + answer + ") < CAST('Infinity' AS DOUBLE) THEN " + answer + " END";
    }
    if (const auto domain = domain_of(name)) {
        arguments[0] = "CASE WHEN " + arguments[0] + " " + std::string(domain->comparison) + " " +
                       std::string(domain->bound) + " THEN " + arguments[0] + " END";
    }
    for (const Spelling& spelling : kSpellings) {
        if (spelling.function == name) {
            return fill_spelling(spelling.sql, arguments,
                                 {{"window", window_of(dialect_, context_)}});
        }
    }
    unreachable("`" + name + "` reached the SQL backend without a spelling");
}

std::string ValueWriter::rolling(const Rolling& node) const {
    const auto* size = std::get_if<Whole>(&node.size->node);
    if (size == nullptr) {
        unreachable("the checker admits only a written whole number");
    }
    const std::string value = bare(node.arguments.at(0));
    std::string aggregate;
    if (node.function == "median") aggregate = fill_spelling(dialect_.median, {value});
    for (const Spelling& spelling : kRollingSpellings) {
        if (spelling.function == node.function) aggregate = fill_spelling(spelling.sql, {value});
    }
    if (aggregate.empty())
        unreachable("`" + node.function + "` reached the SQL backend inside `rolling`");
    std::string window = window_of(dialect_, context_);
    const std::string frame = window + (window.empty() ? "" : " ") + "ROWS BETWEEN " +
                              std::to_string(size->number - 1) + " PRECEDING AND CURRENT ROW";
    return "CASE WHEN count(" + value + ") OVER (" + frame + ") = " + std::to_string(size->number) +
           " THEN " + aggregate + " OVER (" + frame + ") END";
}

}  // namespace

std::string quoted_names(const SqlDialect& dialect, const std::vector<std::string>& names) {
    std::vector<std::string> quoted;
    for (const std::string& name : names) quoted.push_back(quote_name(dialect, name));
    return joined(quoted, ", ");
}

std::string partition_clause(const SqlDialect& dialect, const std::vector<std::string>& columns) {
    if (columns.empty()) return "";
    return "PARTITION BY " + quoted_names(dialect, columns) + " ";
}

std::string window_of(const SqlDialect& dialect, const ValueContext& context) {
    std::vector<std::string> parts;
    if (!context.partition.empty())
        parts.push_back("PARTITION BY " + quoted_names(dialect, context.partition));
    if (context.sort != nullptr) parts.push_back("ORDER BY " + write_keys(dialect, *context.sort));
    return joined(parts, " ");
}

std::string write_aggregate(const SqlDialect& dialect, const Call& call,
                            const std::string& first_argument, const std::string& place) {
    if (call.function == "join_rows") {
        const auto* separator =
            call.arguments.size() > 1 ? std::get_if<Text>(&call.arguments[1].node) : nullptr;
        return fill_spelling(
            place.empty() ? dialect.string_agg : dialect.ordered_string_agg,
            {first_argument, quote_text(dialect, separator != nullptr ? separator->text : "")},
            {{"place", place}});
    }
    if (!place.empty() && is_ordered_aggregate(call.function)) {
        return fill_spelling(
            call.function == "first" ? dialect.ordered_first : dialect.ordered_last,
            {first_argument}, {{"place", place}});
    }
    for (const Spelling& spelling : kSpellings) {
        if (spelling.function == call.function)
            return fill_spelling(spelling.sql, {first_argument});
    }
    unreachable("`" + call.function + "` reached the SQL backend without a spelling");
}

std::string row_place_for(const SqlDialect& dialect, const std::vector<const Value*>& values,
                          std::span<const TableColumn> table) {
    if (dialect.row_place.empty()) return "";
    if (std::none_of(values.begin(), values.end(),
                     [](const Value* value) { return holds_ordered_aggregate(*value); })) {
        return "";
    }
    return quote_name(dialect, HelperNames(table).name("__brell_place"));
}

std::string with_row_place(const SqlDialect& dialect, const std::string& relation,
                           const std::string& place) {
    if (place.empty()) return relation;
    return "(SELECT *, " + std::string(dialect.row_place) + " AS " + place + " FROM " + relation +
           ") " + relation;
}

std::string write_value(const SqlDialect& dialect, const Value& value,
                        const ValueContext& context) {
    return ValueWriter(dialect, context).write(value);
}

}  // namespace brell
