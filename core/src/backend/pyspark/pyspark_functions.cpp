// The PySpark spelling of every function of the language, as one table, and of `rolling(...)`.

#include <array>
#include <span>

#include "backend/pyspark/pyspark_text.hpp"
#include "backend/pyspark/pyspark_values.hpp"
#include "backend/python_text.hpp"
#include "backend/spelling.hpp"
#include "diagnostic/unreachable.hpp"
#include "parse/vocabulary.hpp"
#include "plan/date_pattern.hpp"
#include "plan/finite_answer.hpp"
#include "plan/function_domain.hpp"
#include "plan/nearest_rounding.hpp"
#include "plan/split_piece.hpp"
#include "plan/value_queries.hpp"
#include "plan/zero_divisor.hpp"

namespace brell::pyspark {
namespace {

// How one function is written (backend/spelling.hpp). An argument is written as a column (a
// literal inside `F.lit(...)`, since PySpark reads a plain string as a column's name); "{p2}" as a
// plain Python value, where PySpark takes one; "{r1}" as a column a method is called on. The
// named parts are "{window}", the window of the context (partition and sort keys in force), and
// "{partition}", the step's partition. `over` is how an aggregate is written in an add step,
// worked out over the step's partition; left empty, it is `python` followed by
// ".over({partition})".
struct Spelling {
    std::string_view function;
    std::string_view python;
    std::string_view over = "";
};

constexpr std::array<Spelling, 53> kSpellings = {{
    {"total", "F.sum({1})"},
    {"average", "F.avg({1})"},
    {"median", "F.median({1})"},
    {"smallest", "F.min({1})"},
    {"largest", "F.max({1})"},
    {"standard_deviation", "F.stddev({1})"},
    {"first", "F.first({1})"},
    {"last", "F.last({1})"},
    // Spark has no distinct aggregate over a window: the set of values is counted instead.
    {"unique_count", "F.countDistinct({1})", "F.size(F.collect_set({1}).over({partition}))"},
    {"row_count", "F.count(F.lit(1))"},
    {"value_count", "F.count({1})"},
    // Spark's `bool_or` of no truths is missing; `any_yes` of them is no, `all_yes` yes.
    {"any_yes", "F.coalesce(F.bool_or({1}), F.lit(False))",
     "F.coalesce(F.bool_or({1}).over({partition}), F.lit(False))"},
    {"all_yes", "F.coalesce(F.bool_and({1}), F.lit(True))",
     "F.coalesce(F.bool_and({1}).over({partition}), F.lit(True))"},
    // Written by `write_call`, in the order of the rows.
    {"join_rows", ""},
    {"first_present", "F.coalesce({1...})"},
    {"join_text", "F.concat({1...})"},
    {"lower", "F.lower({1})"},
    {"upper", "F.upper({1})"},
    {"to_number", "{r1}.cast(\"double\")"},
    {"to_text", "{r1}.cast(\"string\")"},
    {"to_date", "{r1}.cast(\"date\")"},
    {"round_below", "F.floor({1})"},
    {"round_above", "F.ceil({1})"},
    // Written by `write_call`, with the arithmetic plan/nearest_rounding states.
    {"round_nearest", ""},
    {"absolute", "F.abs({1})"},
    {"square_root", "F.sqrt({1})"},
    {"natural_logarithm", "F.ln({1})"},
    {"decimal_logarithm", "F.log10({1})"},
    {"exponential", "F.exp({1})"},
    // Written by `write_call`: Spark reads Java's pattern letters, not strftime's.
    {"date_text", ""},
    // Written by `write_call`: the answer is made missing where it is not a finite number.
    {"power", ""},
    {"trim", "F.trim({1})"},
    {"trim_start", "F.ltrim({1})"},
    {"trim_end", "F.rtrim({1})"},
    {"replace_text", "F.replace({1}, {2}, {3})"},
    // Written by `write_call`: a piece past the last is missing, where F.split_part gives "".
    // Written by `write_call`, the length left out meaning the rest of the text.
    {"part_of_text", ""},
    {"split_text", ""},
    {"characters", "F.length({1})"},
    {"between", "{r1}.between({p2}, {p3})"},
    // Written by `write_call`: the remainder takes the divisor's sign, which F.pmod does not
    // give for a negative divisor.
    {"remainder", ""},
    // Written by `write_call`: Spark's `%` takes the dividend's sign, and the quotient is cut
    // towards zero.
    {"whole_quotient", ""},
    {"quotient_remainder", ""},
    {"year", "F.year({1})"},
    {"month", "F.month({1})"},
    {"day", "F.dayofmonth({1})"},
    {"weekday", "(F.weekday({1}) + 1)"},
    {"hour", "F.hour({1})"},
    {"minute", "F.minute({1})"},
    {"second", "F.second({1})"},
    {"previous", "F.lag({1}{,p2}).over({window})"},
    {"following", "F.lead({1}{,p2}).over({window})"},
    {"running_total",
     "F.sum({1}).over({window}.rowsBetween(Window.unboundedPreceding, Window.currentRow))"},
    {"latest",
     "F.last({1}, ignorenulls=True).over({window}.rowsBetween(Window.unboundedPreceding, "
     "Window.currentRow))"},
}};

// The aggregates a `rolling(...)` may hold.
constexpr std::array<Spelling, 6> kRollingSpellings = {{
    {"total", "F.sum({1})"},
    {"average", "F.avg({1})"},
    {"median", "F.percentile({1}, 0.5)"},
    {"smallest", "F.min({1})"},
    {"largest", "F.max({1})"},
    {"standard_deviation", "F.stddev({1})"},
}};

const Spelling* find_spelling(std::span<const Spelling> spellings, std::string_view function) {
    for (const Spelling& spelling : spellings) {
        if (spelling.function == function) return &spelling;
    }
    return nullptr;
}

// The template with its holes filled: `columns` holds the arguments written as columns, `plain`
// the same arguments written as plain values.
std::string fill(std::string_view python, const std::vector<std::string>& columns,
                 const std::vector<std::string>& plain, const ValueContext& context) {
    const auto argument = [&](std::size_t index, char form) {
        if (form == 'p') return plain[index];
        return form == 'r' ? as_receiver(columns[index]) : columns[index];
    };
    const auto part = [&](std::string_view name) {
        if (name == "window") return window_of(context);
        if (name == "partition") return partition_window(context);
        unreachable("a PySpark spelling names a window or the partition");
    };
    return fill_spelling(python, {columns.size(), argument, part});
}

// The piece of a text asked for. `F.split_part` gives an empty text for a piece the text does not
// have, which a piece that is there and empty also is, so the pieces it does not have are made
// missing: the text has piece n when it holds n - 1 separators, which is how much shorter it is
// without them.
std::string cut_piece(std::optional<std::int64_t> written,
                      const std::vector<std::string>& columns) {
    const std::string& text = columns.at(0);
    const std::string& separator = columns.at(1);
    const std::string& position = columns.at(2);
    const std::string cut = "F.split_part(" + text + ", " + separator + ", " + position + ")";
    if (written == 1) return cut;
    const std::string before = written ? std::to_string(*written - 1) : "(" + position + " - 1)";
    std::string test = "(F.length(" + separator + ") * " + before + " <= F.length(" + text +
                       ") - F.length(F.replace(" + text + ", " + separator + ", F.lit(\"\"))))";
    if (!written) test = "(" + position + " >= 1) & " + test;
    return "F.when(" + test + ", " + cut + ")";
}

// A text cut at the empty separator is one piece: the text itself (`F.split_part` gives it as
// the first piece, but an empty text for the others).
std::string split_piece(const Call& call, const std::vector<std::string>& columns) {
    const std::optional<std::int64_t> written = written_piece(call.arguments.at(2));
    const std::string& text = columns.at(0);
    const std::string whole =
        written == 1 ? text : "F.when(" + columns.at(2) + " == 1, " + text + ")";
    switch (split_separator(call.arguments.at(1))) {
        case SplitSeparator::Empty:
            return whole;
        case SplitSeparator::Written:
            return cut_piece(written, columns);
        case SplitSeparator::PerRow:
            return "F.when(" + columns.at(1) + " == \"\", " + whole + ").otherwise(" +
                   cut_piece(written, columns) + ")";
    }
    unreachable("every separator is written empty, written otherwise, or read per row");
}

// `first`, `last` or `join_rows`, by the column that numbers the rows; `join_rows` of a group
// that holds no text is missing, where Spark joins nothing into "".
std::string ordered_aggregate(const Call& call, const std::vector<std::string>& columns,
                              const std::vector<std::string>& plain, const ValueContext& context) {
    const std::string over = context.windowed ? ".over(" + partition_window(context) + ")" : "";
    const std::string& values = columns.at(0);
    if (call.function != "join_rows") {
        if (context.place.empty()) unreachable("an ordered aggregate is written with its place");
        return std::string(call.function == "first" ? "F.min_by(" : "F.max_by(") + values + ", " +
               column_of(context.place) + ")" + over;
    }
    std::string list;
    if (context.place.empty()) {
        list = "F.collect_list(" + values + ")" + over;
    } else {
        list = "F.transform(F.array_sort(F.collect_list(F.struct(" + column_of(context.place) +
               ".alias(\"place\"), " + values + ".alias(\"value\")))" + over +
               "), lambda piece: piece[\"value\"])";
    }
    return "F.when(F.count(" + values + ")" + over + " > 0, F.array_join(" + list + ", " +
           plain.at(1) + "))";
}

// The arithmetic plan/nearest_rounding states, on the value as a double.
std::string nearest(const std::string& value, const NearestRounding& rounding) {
    const std::string number = "(" + value + ").cast(\"double\")";
    const std::string scaled = "(F.abs(" + number + ") * " + rounding.scale + ")";
    const std::string rounded = "(F.floor(" + scaled + " + " + scaled + " / " +
                                std::string(rounding.nudge_divisor) + " + 0.5) / " +
                                rounding.scale + ")";
    return "F.when(" + scaled + " >= " + std::string(rounding.unrounded_from) + ", " + number +
           ").when(" + number + " < 0, 0 - " + rounded + ").otherwise(" + rounded + ")";
}

}  // namespace

std::string write_call(const Call& call, const ValueContext& context) {
    const FunctionEntry* entry = find_function(call.function);
    const Spelling* spelling = find_spelling(kSpellings, call.function);
    if (entry == nullptr || spelling == nullptr) {
        unreachable("`" + call.function + "` reached the PySpark backend without a spelling");
    }
    std::vector<std::string> columns;
    std::vector<std::string> plain;
    // An aggregate or a window is windowed around its call; a scalar function's argument may
    // hold a group's answer, which is windowed where it stands.
    const ValueContext bare;
    const ValueContext& argument_context = entry->kind == FunctionKind::Scalar ? context : bare;
    for (const Value& argument : call.arguments) {
        columns.push_back(write_column(argument, argument_context));
        plain.push_back(write_value(argument, argument_context));
    }
    if (call.function == "split_text") return split_piece(call, columns);
    if (call.function == "round_nearest") return nearest(columns[0], nearest_rounding(call));
    if (call.function == "date_text") {
        return "F.date_format(" + columns[0] + ", " +
               py_string(java_date_pattern(std::get<Text>(call.arguments[1].node).text)) + ")";
    }
    if (call.function == "part_of_text") {
        // Spark's largest length: the rest of the text.
        return "F.substring(" + columns[0] + ", " + plain[1] + ", " +
               (plain.size() > 2 ? plain[2] : "2147483647") + ")";
    }
    if (may_answer_non_finite(call.function)) {
        // Not-a-number sorts above the infinity in Spark, so the test leaves out both.
        const std::string answer = "F.pow(" + columns[0] + ", " + columns[1] + ")";
        return "F.when(F.abs(" + answer + ") < float(\"inf\"), " + answer + ")";
    }
    if (const auto domain = domain_of(call.function)) {
        columns[0] = "F.when(" + columns[0] + " " + std::string(domain->comparison) + " " +
                     std::string(domain->bound) + ", " + columns[0] + ")";
    }
    if (call.function == "remainder") {
        const std::string divisor =
            divisor_may_be_zero(call.arguments.at(1)) ? without_zero(columns.at(1)) : columns.at(1);
        return "((((" + columns.at(0) + ") % (" + divisor + ")) + (" + divisor + ")) % (" +
               divisor + "))";
    }
    if (call.function == "whole_quotient" || call.function == "quotient_remainder") {
        const std::string divisor =
            divisor_may_be_zero(call.arguments.at(1)) ? without_zero(columns.at(1)) : columns.at(1);
        if (call.function == "quotient_remainder") {
            return "((" + columns.at(0) + ") % (" + divisor + "))";
        }
        const std::string quotient = "((" + columns.at(0) + ") / (" + divisor + "))";
        return "F.when(" + quotient + " < 0, F.ceil(" + quotient + ")).otherwise(F.floor(" +
               quotient + "))";
    }
    if (call.function == "join_rows" ||
        (!context.place.empty() && is_ordered_aggregate(call.function))) {
        return ordered_aggregate(call, columns, plain, context);
    }
    if (context.windowed && entry->kind == FunctionKind::Aggregate) {
        if (!spelling->over.empty()) return fill(spelling->over, columns, plain, context);
        return fill(spelling->python, columns, plain, context) + ".over(" +
               partition_window(context) + ")";
    }
    return fill(spelling->python, columns, plain, context);
}

std::string write_rolling(const Rolling& rolling, const ValueContext& context) {
    const auto* size = std::get_if<Whole>(&rolling.size->node);
    if (size == nullptr) unreachable("the checker admits only a written whole number");
    const Spelling* spelling = find_spelling(kRollingSpellings, rolling.function);
    if (spelling == nullptr) {
        unreachable("`" + rolling.function + "` reached the PySpark backend inside `rolling`");
    }
    const std::string value = write_column(rolling.arguments.at(0), {});
    const std::string aggregate = fill(spelling->python, {value}, {value}, context);
    const std::string frame = window_of(context) + ".rowsBetween(-" +
                              std::to_string(size->number - 1) + ", Window.currentRow)";
    return "F.when(F.count(" + value + ").over(" + frame + ") == " + std::to_string(size->number) +
           ", " + aggregate + ".over(" + frame + "))";
}

}  // namespace brell::pyspark
