// Function calls as pandas: the scalar functions, the aggregates (over the whole table or, in
// `add ... by`, over each group) and the values worked out along the rows.

#include <algorithm>
#include <array>

#include "backend/pandas/pandas_text.hpp"
#include "backend/pandas/pandas_values.hpp"
#include "backend/python_text.hpp"
#include "backend/spelling.hpp"
#include "diagnostic/unreachable.hpp"
#include "parse/vocabulary.hpp"
#include "plan/between_bounds.hpp"
#include "plan/empty_sought_text.hpp"
#include "plan/finite_answer.hpp"
#include "plan/function_domain.hpp"
#include "plan/nearest_rounding.hpp"
#include "plan/split_piece.hpp"
#include "plan/target_profile.hpp"
#include "plan/zero_divisor.hpp"

namespace brell::pandas {
namespace {

// A scalar function as one pattern over its arguments (backend/spelling.hpp). A first argument
// read as `{r1}` has Series methods called on it, and the answer is a Series.
struct ScalarSpelling {
    std::string_view function;
    std::string_view pattern;
};
constexpr std::array<ScalarSpelling, 27> kScalarSpellings = {{
    {"upper", "{r1}.str.upper()"},
    {"lower", "{r1}.str.lower()"},
    // Spaces only, as a query trims: not tabs or line breaks.
    {"trim", "{r1}.str.strip(\" \")"},
    {"trim_start", "{r1}.str.lstrip(\" \")"},
    {"trim_end", "{r1}.str.rstrip(\" \")"},
    // Computed numbers are floats, as the table's own numbers are: a nullable whole-number
    // column refuses to take a fraction from `first_present` or `when`. A column of no text at
    // all gives no number either, unless made a number column.
    {"characters", "{r1}.str.len().astype(\"float64\")"},
    {"to_number", "pd.to_numeric({1})"},
    // A whole-number column that pandas holds as floats (for its missing values) is written
    // as whole numbers, as a query writes an integer column.
    {"to_text", "{r1}.convert_dtypes().astype(\"string\")"},
    {"to_date", "pd.to_datetime({r1}, format=\"mixed\").dt.normalize()"},
    {"round_below", "np.floor({r1})"},
    {"round_above", "np.ceil({r1})"},
    {"absolute", "{r1}.abs()"},
    {"square_root", "np.sqrt({r1})"},
    {"natural_logarithm", "np.log({r1})"},
    {"decimal_logarithm", "np.log10({r1})"},
    {"exponential", "np.exp({r1})"},
    {"date_text", "{r1}.dt.strftime({2})"},
    {"remainder", "({1} % {2})"},
    // numpy's `fmod` takes the dividend's sign, where Python's `%` takes the divisor's.
    {"quotient_remainder", "np.fmod({1}, {2})"},
    {"whole_quotient", "np.trunc({1} / {2})"},
    {"year", "{r1}.dt.year"},
    {"month", "{r1}.dt.month"},
    {"day", "{r1}.dt.day"},
    {"hour", "{r1}.dt.hour"},
    {"minute", "{r1}.dt.minute"},
    {"second", "{r1}.dt.second"},
    {"weekday", "({r1}.dt.dayofweek + 1)"},
}};

// The smallest and largest of a column leave its missing values out first: pandas compares a text
// with the float that stands for a missing one, and fails. `join_rows` is written apart: it
// carries its separator.
// An aggregate's spellings: its word for `agg` and `transform`, its answer over one column, and
// the method of each group's values that gives the same answer (none where pandas' own would
// differ: `first` and `last` pass missing values by, and `min` fails on texts with a missing one).
struct AggregateSpelling {
    std::string_view function;
    std::string_view word;
    std::string_view as_value;
    std::string_view grouped;
};
constexpr std::array<AggregateSpelling, 13> kAggregateSpellings = {{
    {"total", "sum", "{1}.sum(min_count=1)", "sum(min_count=1)"},
    {"average", "mean", "{1}.mean()", "mean()"},
    // numpy warns at the median of a column whose values are all missing, unless they are let go.
    {"median", "median", "{1}.dropna().median()", "median()"},
    {"smallest", "min", "{1}.dropna().min()", "min()"},
    {"largest", "max", "{1}.dropna().max()", "max()"},
    {"standard_deviation", "std", "{1}.std()", "std()"},
    // A column of no rows has no first value; the aggregate of one row or none is missing then.
    {"first", "first", "{1}.iloc[:1].max()", ""},
    {"last", "last", "{1}.iloc[-1:].max()", ""},
    {"unique_count", "nunique", "{1}.nunique()", "nunique()"},
    {"value_count", "count", "{1}.count()", "count()"},
    // Written by `aggregation_word` in a group: the truths present, `any` of none being False.
    {"any_yes", "", "bool({1}.dropna().astype(bool).any())", ""},
    {"all_yes", "", "bool({1}.dropna().astype(bool).all())", ""},
    {"row_count", "size", "len(d)", "size()"},
}};

// The aggregates a `rolling(...)` may hold.
constexpr std::array<std::string_view, 6> kRollingAggregates = {
    "total", "average", "median", "smallest", "largest", "standard_deviation"};

const AggregateSpelling* find_aggregate(std::string_view function) {
    const auto found = std::find_if(
        kAggregateSpellings.begin(), kAggregateSpellings.end(),
        [&](const AggregateSpelling& spelling) { return spelling.function == function; });
    return found == kAggregateSpellings.end() ? nullptr : &*found;
}

// The separator of `join_rows`, quoted: the written text, or nothing between the values.
std::string join_rows_separator(const Call& call) {
    const auto* separator =
        call.arguments.size() > 1 ? std::get_if<Text>(&call.arguments[1].node) : nullptr;
    return py_string(separator != nullptr ? separator->text : "");
}

// The arithmetic plan/nearest_rounding states, on the values as floats: `v` the values, `s`
// their sizes scaled, `r` the sizes rounded.
std::string nearest(const std::string& series, const NearestRounding& rounding) {
    return "(lambda v: (lambda s: (lambda r: r.where(v >= 0, 0 - r).where(s < " +
           std::string(rounding.unrounded_from) + ", v))(np.floor(s + s / " +
           std::string(rounding.nudge_divisor) + " + 0.5) / " + rounding.scale + "))(v.abs() * " +
           rounding.scale + "))(" + series + ".astype(\"float64\"))";
}

}  // namespace

std::string aggregation_word(const Call& call) {
    if (call.function == "join_rows") {
        // The texts of a group that holds none joined are missing, as every aggregate of nothing.
        return "lambda s: " + join_rows_separator(call) +
               ".join(s.dropna()) if s.notna().any() else None";
    }
    // The total of no present values is missing, as a query's sum is, where pandas gives 0.
    if (call.function == "total") return "lambda s: s.sum(min_count=1)";
    // pandas compares a text with the float that stands for a missing one, and fails; a group
    // with no present value answers None, so that a column of texts never turns into floats.
    if (call.function == "smallest") {
        return "lambda s: s.dropna().min() if s.notna().any() else None";
    }
    if (call.function == "largest") {
        return "lambda s: s.dropna().max() if s.notna().any() else None";
    }
    // The truths present: `any` of none is False and `all` of none True.
    if (call.function == "any_yes") return "lambda s: bool(s.dropna().astype(bool).any())";
    if (call.function == "all_yes") return "lambda s: bool(s.dropna().astype(bool).all())";
    // The first and last rows' values, missing or not, where pandas' own pass missing values by.
    if (call.function == "first") return "lambda s: s.iloc[0]";
    if (call.function == "last") return "lambda s: s.iloc[-1]";
    const AggregateSpelling* spelling = find_aggregate(call.function);
    if (spelling == nullptr) unreachable("every aggregate has a transform word");
    return py_string(spelling->word);
}

bool ordered_natively(ColumnType type) {
    return type == ColumnType::Number || type == ColumnType::Date || type == ColumnType::Timestamp;
}

std::string grouped_answer(const Call& call, const std::string& column, ColumnType argument_type) {
    if (call.function == "row_count") return "g.size()";
    const std::string values = "g[" + py_string(column) + "]";
    const AggregateSpelling* spelling = find_aggregate(call.function);
    const bool compares = call.function == "smallest" || call.function == "largest";
    if (spelling == nullptr || spelling->grouped.empty() ||
        (compares && !ordered_natively(argument_type))) {
        return values + ".agg(" + aggregation_word(call) + ")";
    }
    return values + "." + std::string(spelling->grouped);
}

// A function's one answer would be spread by pandas, which makes a column of truths and missing
// values a number column; first and last spread it themselves, in the column's own type.
std::string transform_word(const Call& call) {
    if (call.function == "first") {
        return "lambda s: pd.Series(s.iloc[0], index=s.index, dtype=s.dtype)";
    }
    if (call.function == "last") {
        return "lambda s: pd.Series(s.iloc[-1], index=s.index, dtype=s.dtype)";
    }
    return aggregation_word(call);
}

Spelled PandasValues::call(const Call& node) const {
    const FunctionEntry* entry = find_function(node.function);
    if (entry == nullptr) {
        unreachable("`" + node.function + "` reached the pandas backend without a spelling");
    }
    switch (entry->kind) {
        case FunctionKind::Aggregate:
            return aggregate(node);
        case FunctionKind::Window:
            return window(node);
        case FunctionKind::Scalar:
            return scalar_call(node);
    }
    unreachable("`" + node.function + "` reached the pandas backend without a spelling");
}

Spelled PandasValues::scalar_call(const Call& node) const {
    const std::string& name = node.function;
    // pandas' own `between` answers no where an end is missing.
    if (name == "between") return write(between_as_comparisons(node));
    if (name == "replace_text") return replace_text(node);
    if (name == "split_text") return split_text(node);
    if (name == "join_text") return join_text(node);
    if (name == "first_present") return first_present(node);
    // A date written in the sentence is read once, rather than once for every row.
    if (const Text* date = written_date(node)) {
        return {"pd.Timestamp(" + py_string(date->text) + ").normalize()", Shape::Constant};
    }
    if (name == "round_nearest") {
        return {nearest(series_of(write(node.arguments[0])), nearest_rounding(node)),
                Shape::Series};
    }
    if (name == "part_of_text") return part_of_text(node);
    if (may_answer_non_finite(name)) {
        // pandas' own `**` works on floats without a warning; 1 to a missing power is missing.
        return {
            "(lambda a, b: (lambda r: r.where(np.isfinite(r) & a.notna() & b.notna()))(a ** "
            "b))(" +
                series_of(write(node.arguments[0])) + ".astype(\"float64\"), " +
                series_of(write(node.arguments[1])) + ".astype(\"float64\"))",
            Shape::Series};
    }
    const auto spelling =
        std::find_if(kScalarSpellings.begin(), kScalarSpellings.end(),
                     [&](const ScalarSpelling& each) { return each.function == name; });
    if (spelling == kScalarSpellings.end()) {
        unreachable("`" + name + "` reached the pandas backend without a spelling");
    }
    std::vector<std::string> arguments;
    Shape shape = Shape::Constant;
    for (std::size_t i = 0; i < node.arguments.size(); ++i) {
        const Spelled argument = write(node.arguments[i]);
        if (divides_by_second(name) && i == 1 && divisor_may_be_zero(node.arguments[i])) {
            const Spelled divisor = without_zero(argument);
            arguments.push_back(divisor.text);
            shape = combined(shape, divisor.shape);
        } else if (i == 0 && spelling->pattern.find("{r1}") != std::string_view::npos) {
            const bool texts = spelling->pattern.find(".str.") != std::string_view::npos;
            arguments.push_back(texts ? text_series_of(argument) : series_of(argument));
            if (const auto domain = domain_of(name)) {
                arguments.back() += ".where(lambda s: s " + std::string(domain->comparison) + " " +
                                    std::string(domain->bound) + ")";
            }
            shape = Shape::Series;
        } else {
            arguments.push_back(argument.text);
            shape = combined(shape, argument.shape);
        }
    }
    return {fill_spelling(spelling->pattern, arguments), shape};
}

Spelled PandasValues::row_by_row(
    const std::vector<RowInput>& inputs,
    const std::function<std::string(const std::vector<std::string>&)>& expression,
    std::string_view when_missing, std::string_view dtype) const {
    std::vector<std::string> names;
    std::vector<std::string> checks;
    std::vector<std::string> variables;
    std::vector<std::string> columns;
    for (const RowInput& input : inputs) {
        const bool written = input.text ? std::holds_alternative<Text>(input.value->node)
                                        : std::holds_alternative<Whole>(input.value->node);
        if (written) {
            names.push_back(write(*input.value).text);
            continue;
        }
        names.push_back(input.name);
        variables.push_back(input.name);
        columns.push_back(series_of(write(*input.value)));
        checks.push_back(input.text ? "isinstance(" + input.name + ", str)"
                                    : "pd.notna(" + input.name + ")");
    }
    const std::string source =
        columns.size() == 1 ? columns[0] : "zip(" + joined(columns, ", ") + ")";
    return {"pd.Series([" + expression(names) + " if " + joined(checks, " and ") + " else " +
                std::string(when_missing) + " for " + joined(variables, ", ") + " in " + source +
                "], index=d.index, dtype=\"" + std::string(dtype) + "\")",
            Shape::Series};
}

// Characters are counted from 0 in Python, and the end is the character after the last kept.
Spelled PandasValues::part_of_text(const Call& node) const {
    const auto written = [&](std::size_t index) {
        return std::get<Whole>(node.arguments.at(index).node).number;
    };
    const std::int64_t start = written(1) - 1;
    const std::string end =
        node.arguments.size() == 3 ? ", " + std::to_string(start + written(2)) : "";
    return {text_series_of(write(node.arguments[0])) + ".str.slice(" + std::to_string(start) + end +
                ")",
            Shape::Series};
}

Spelled PandasValues::replace_text(const Call& node) const {
    if (replaces_the_empty_text(node)) return write(node.arguments[0]);
    const Value& look_for = node.arguments.at(1);
    const Value& put_there = node.arguments.at(2);
    if (std::holds_alternative<Text>(look_for.node) &&
        std::holds_alternative<Text>(put_there.node)) {
        return {text_series_of(write(node.arguments[0])) + ".str.replace(" + write(look_for).text +
                    ", " + write(put_there).text + ", regex=False)",
                Shape::Series};
    }
    return row_by_row(
        {{"s", &node.arguments[0]}, {"a", &look_for}, {"b", &put_there}},
        [](const std::vector<std::string>& names) {
            // Python finds the empty text between every two characters; it is found nowhere.
            return "(" + names[0] + ".replace(" + names[1] + ", " + names[2] + ") if " + names[1] +
                   " else " + names[0] + ")";
        },
        "None", "object");
}

Spelled PandasValues::split_text(const Call& node) const {
    const Value& separator = node.arguments.at(1);
    const Value& piece = node.arguments.at(2);
    const std::optional<std::int64_t> position = written_piece(piece);
    // A text cut at the empty separator is one piece: the text itself (Python's `split` fails on
    // the empty separator).
    const SplitSeparator kind = split_separator(separator);
    if (kind == SplitSeparator::Empty && position == 1) return write(node.arguments[0]);
    if (kind == SplitSeparator::Empty && position) {
        return {"pd.Series(None, index=d.index, dtype=\"object\")", Shape::Series};
    }
    if (kind == SplitSeparator::Empty) {
        return row_by_row(
            {{"s", &node.arguments[0]}, {"n", &piece, false}},
            [](const std::vector<std::string>& names) {
                return "(" + names[0] + " if " + names[1] + " == 1 else None)";
            },
            "None", "object");
    }
    if (std::holds_alternative<Text>(separator.node) && position) {
        return {text_series_of(write(node.arguments[0])) + ".str.split(" + write(separator).text +
                    ", regex=False).str[" + std::to_string(*position - 1) + "]",
                Shape::Series};
    }
    // The pieces count from 1, and a piece the text does not have is missing.
    const auto expression = [&](const std::vector<std::string>& names) {
        const std::string pieces = names[0] + ".split(" + names[1] + ")";
        const std::string cut =
            position ? "(" + pieces + "[" + std::to_string(*position - 1) + "] if " + names[2] +
                           " <= len(" + pieces + ") else None)"
                     : "(" + pieces + "[int(" + names[2] + ") - 1] if 1 <= " + names[2] +
                           " <= len(" + pieces + ") else None)";
        if (kind == SplitSeparator::Written) return cut;
        const std::string whole =
            position == 1 ? names[0] : "(" + names[0] + " if " + names[2] + " == 1 else None)";
        return "(" + whole + " if " + names[1] + " == \"\" else " + cut + ")";
    };
    return row_by_row({{"s", &node.arguments[0]}, {"p", &separator}, {"n", &piece, false}},
                      expression, "None", "object");
}

Spelled PandasValues::join_text(const Call& node) const {
    std::vector<std::string> parts;
    Shape shape = Shape::Constant;
    for (const Value& argument : node.arguments) {
        const Spelled part = write(argument);
        parts.push_back(part.text);
        shape = combined(shape, part.shape);
    }
    return {"(" + joined(parts, " + ") + ")", shape};
}

Spelled PandasValues::first_present(const Call& node) const {
    std::string chain = series_of(write(node.arguments.at(0)));
    for (std::size_t i = 1; i < node.arguments.size(); ++i) {
        // `fillna(None)` is refused by pandas, and a missing value fills nothing anyway.
        if (std::holds_alternative<Missing>(node.arguments[i].node)) continue;
        const Spelled filler = write(node.arguments[i]);
        chain +=
            ".fillna(" + (filler.shape == Shape::Array ? series_of(filler) : filler.text) + ")";
    }
    return {chain, Shape::Series};
}

Spelled PandasValues::aggregate(const Call& node) const {
    if (!group_by_.empty()) {
        // Each group's answer, on every row of the group. The pandas check refuses a grouped
        // aggregate of anything but a column of its own.
        std::string column = group_by_.front();
        if (node.function != "row_count") {
            if (node.arguments.empty() || !is_bare_column(node.arguments.front())) {
                unreachable("refused before rendering");
            }
            column = bare_column_name(node.arguments.front());
        }
        const std::string values = groups() + "[" + py_string(column) + "]";
        if (node.function == "total") {
            // pandas' own sum, which is vectorised; `min_count=1` makes a group of no present
            // values missing, where the sum alone gives 0. (Asking `count` beside it would group
            // the rows twice, which costs more than either answer.)
            return {values + ".transform(\"sum\", min_count=1)", Shape::Series};
        }
        const bool compares = node.function == "smallest" || node.function == "largest";
        const auto typed = std::find_if(table_.begin(), table_.end(), [&](const TableColumn& each) {
            return each.name == column;
        });
        if (compares && typed != table_.end() && ordered_natively(typed->type)) {
            // A group of no present values answers NaN (NaT), the missing value of its column.
            return {values + ".transform(" + py_string(find_aggregate(node.function)->word) + ")",
                    Shape::Series};
        }
        // A group of no texts answers NaN, which would make the answers a column of numbers
        // that no text method can read: the answers of a text column are held as texts.
        const bool texts = profile_of("pandas").missing_text_held_as_number &&
                           typed != table_.end() && typed->type == ColumnType::Text &&
                           (compares || node.function == "first" || node.function == "last" ||
                            node.function == "join_rows");
        return {values + ".transform(" + transform_word(node) + ")" +
                    (texts ? ".astype(\"object\")" : ""),
                Shape::Series};
    }
    if (node.function == "row_count") return {"len(d)", Shape::Constant};
    const std::string column = series_of(write(node.arguments.at(0)));
    if (node.function == "join_rows") {
        return {"(" + join_rows_separator(node) + ".join(" + column + ".dropna()) if " + column +
                    ".notna().any() else None)",
                Shape::Constant};
    }
    const AggregateSpelling* spelling = find_aggregate(node.function);
    if (spelling == nullptr) {
        unreachable("`" + node.function + "` reached the pandas backend without a spelling");
    }
    return {fill_spelling(spelling->as_value, {column}), Shape::Constant};
}

Spelled PandasValues::window(const Call& node) const {
    const std::string& name = node.function;
    std::string operation;
    if (name == "running_total") {
        // A missing value adds nothing: the total so far carries on over it.
        operation = "cumsum().ffill()";
    } else if (name == "latest") {
        operation = "ffill()";
    } else if (name == "previous" || name == "following") {
        std::int64_t distance = 1;
        if (node.arguments.size() > 1) {
            const auto* written = std::get_if<Whole>(&node.arguments[1].node);
            if (written == nullptr) unreachable("the checker admits only a written whole number");
            distance = written->number;
        }
        operation = "shift(" + std::to_string(name == "previous" ? distance : -distance) + ")";
    } else {
        unreachable("`" + name + "` reached the pandas backend without a spelling");
    }
    const Value& argument = node.arguments.at(0);
    if (group_by_.empty()) {
        return {series_of(write(argument)) + "." + operation, Shape::Series};
    }
    // Within each group: a column by name, a worked-out value grouped by the same columns.
    std::string grouped;
    if (is_bare_column(argument)) {
        grouped = groups() + "[" + py_string(bare_column_name(argument)) + "]";
    } else {
        std::vector<std::string> keys;
        for (const std::string& column : group_by_) keys.push_back(frame_column(column));
        grouped =
            series_of(write(argument)) + ".groupby([" + joined(keys, ", ") + "], dropna=False)";
    }
    if (name == "running_total") {
        return {grouped + ".transform(lambda s: s." + operation + ")", Shape::Series};
    }
    return {grouped + "." + operation, Shape::Series};
}

Spelled PandasValues::rolling(const Rolling& node) const {
    const auto* size = std::get_if<Whole>(&node.size->node);
    if (size == nullptr) unreachable("the checker admits only a written whole number");
    if (std::find(kRollingAggregates.begin(), kRollingAggregates.end(), node.function) ==
        kRollingAggregates.end()) {
        unreachable("`" + node.function + "` reached the pandas backend inside `rolling`");
    }
    const std::string& column = bare_column_name(node.arguments.at(0));
    // The window answers only when it holds as many present values as it has rows, as
    // `rolling` does by default.
    const std::string aggregate = "rolling(" + std::to_string(size->number) + ")." +
                                  std::string(find_aggregate(node.function)->word) + "()";
    if (group_by_.empty()) return {frame_column(column) + "." + aggregate, Shape::Series};
    return {groups() + "[" + py_string(column) + "].transform(lambda s: s." + aggregate + ")",
            Shape::Series};
}

}  // namespace brell::pandas
