// The calls of lengthen (`unpivot`, then the pieces of each name cut out) and widen (`pivot`).
// Both read the checker's resolution of the step, so no name pattern is matched again here.

#include <algorithm>
#include <map>

#include "backend/pyspark/pyspark_text.hpp"
#include "backend/pyspark/pyspark_values.hpp"
#include "backend/pyspark/pyspark_writer.hpp"
#include "backend/python_text.hpp"
#include "diagnostic/unreachable.hpp"
#include "plan/empty_answer.hpp"
#include "plan/helper_names.hpp"
#include "plan/made_column_order.hpp"
#include "plan/value_queries.hpp"
#include "plan/widen_guards.hpp"

namespace brell::pyspark {
namespace {

// Helper columns, each named so as to be none of the step's other columns: the whole name of a
// stacked or widened column, the cell a lengthen carries to its `{value}` pivot, the text of the
// `{value}` piece, and the row a stacked value came from.
struct Helpers {
    std::string name;
    std::string cell;
    std::string value;
    std::string row;
};

Helpers helpers_beside(const PlannedStep& at) {
    HelperNames names(at.table);
    names.hold(at.result);
    Helpers helpers;
    helpers.name = names.name("__name");
    helpers.cell = names.name("__cell");
    helpers.value = names.name("__value");
    helpers.row = names.name("__row");
    return helpers;
}

// One stacked column and the text of each piece of its name, in pattern order.
struct StackedName {
    std::string column;
    std::vector<std::string> pieces;
};

bool without_literals(const NamePattern& pattern) {
    return std::all_of(pattern.literals.begin(), pattern.literals.end(),
                       [](const std::string& literal) { return literal.empty(); });
}

std::optional<std::size_t> value_piece(const NamePattern& pattern) {
    for (std::size_t i = 0; i < pattern.pieces.size(); ++i) {
        if (pattern.pieces[i].is_value) return i;
    }
    return std::nullopt;
}

std::vector<StackedName> stacked_names(const LengthenPlan& plan,
                                       std::optional<std::size_t> value_index) {
    std::vector<StackedName> stacked;
    for (const LengthenGroup& group : plan.groups) {
        for (std::size_t v = 0; v < group.sources.size(); ++v) {
            std::vector<std::string> pieces = group.name_pieces;
            if (value_index) {
                pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(*value_index),
                              plan.value_columns.at(v));
            }
            stacked.push_back(StackedName{group.sources[v], std::move(pieces)});
        }
    }
    return stacked;
}

// Whether `F.split_part` on the one separator between the pieces gives every piece exactly: no
// literal text before the first piece or after the last, one separator between each two, and
// no piece that holds it.
bool splits_cleanly(const NamePattern& pattern, const std::vector<StackedName>& stacked) {
    const std::vector<std::string>& literals = pattern.literals;
    if (pattern.pieces.size() < 2 || !literals.front().empty() || !literals.back().empty()) {
        return false;
    }
    const std::string& separator = literals[1];
    for (std::size_t i = 1; i + 1 < literals.size(); ++i) {
        if (literals[i].empty() || literals[i] != separator) return false;
    }
    return std::none_of(stacked.begin(), stacked.end(), [&](const StackedName& name) {
        return std::any_of(name.pieces.begin(), name.pieces.end(), [&](const std::string& piece) {
            return piece.find(separator) != std::string::npos;
        });
    });
}

// The text of piece `index`, worked out from the whole name held in the helper column.
std::string piece_of_name(const NamePattern& pattern, std::size_t index,
                          const std::vector<StackedName>& stacked, std::string_view name_column) {
    const std::string whole = column_of(name_column);
    if (pattern.pieces.size() == 1 && without_literals(pattern)) return whole;
    if (splits_cleanly(pattern, stacked)) {
        return "F.split_part(" + whole + ", F.lit(" + py_string(pattern.literals[1]) + "), F.lit(" +
               std::to_string(index + 1) + "))";
    }
    // Otherwise each text is given by the names that hold it, as the checker took them apart.
    // The texts in the order they first come, each with the names that hold it.
    std::vector<std::string> texts;
    std::map<std::string, std::vector<std::string>> holders_of;
    for (const StackedName& name : stacked) {
        std::vector<std::string>& holders = holders_of[name.pieces[index]];
        if (holders.empty()) texts.push_back(name.pieces[index]);
        holders.push_back(name.column);
    }
    std::string chain = "F";
    for (const std::string& text : texts) {
        chain += ".when(" + whole + ".isin(" + python_names(holders_of[text]) + "), " +
                 py_string(text) + ")";
    }
    return chain;
}

bool holds_text(const std::vector<TableColumn>& table, const std::string& name) {
    return std::any_of(table.begin(), table.end(), [&](const TableColumn& column) {
        return column.name == name && column.type == ColumnType::Text;
    });
}

std::string unpivot_call(const std::vector<std::string>& ids,
                         const std::vector<StackedName>& stacked, std::string_view name_column,
                         std::string_view value_column) {
    std::vector<std::string> values;
    for (const StackedName& name : stacked) values.push_back(name.column);
    return "unpivot(ids=" + column_reference_list(ids) +
           ", values=" + column_reference_list(values) +
           ", variableColumnName=" + py_string(name_column) +
           ", valueColumnName=" + py_string(value_column) + ")";
}

}  // namespace

Calls spell(const PlannedStep& at, const Lengthen& lengthen) {
    if (!lengthen.plan) unreachable("the checker resolves every lengthen");
    const LengthenPlan& plan = *lengthen.plan;
    const NamePattern pattern =
        lengthen.name
            ? *lengthen.name
            : NamePattern{{"", ""}, {PatternPiece{plan.name_columns.at(0), false}}, true, Span{}};
    const std::optional<std::size_t> value_index = value_piece(pattern);
    const std::vector<StackedName> stacked = stacked_names(plan, value_index);
    const Helpers helper = helpers_beside(at);

    // A plain name column holds each stacked column's name as it is.
    if (!value_index && pattern.pieces.size() == 1 && without_literals(pattern)) {
        return {
            unpivot_call(plan.kept, stacked, plan.name_columns.at(0), plan.value_columns.at(0))};
    }

    Calls calls;
    std::vector<std::string> ids = plan.kept;
    if (value_index) {
        // The `{value}` pivot gathers each row's values back into one row, so each row is told
        // apart first, even from a row equal to it.
        calls.push_back("withColumn(" + py_string(helper.row) +
                        ", F.monotonically_increasing_id())");
        ids.insert(ids.begin(), helper.row);
    }
    const std::string cell(value_index ? helper.cell : plan.value_columns.at(0));
    calls.push_back(unpivot_call(ids, stacked, helper.name, cell));
    for (std::size_t i = 0; i < pattern.pieces.size(); ++i) {
        const std::string made(pattern.pieces[i].is_value ? helper.value : pattern.pieces[i].name);
        calls.push_back("withColumn(" + py_string(made) + ", " +
                        piece_of_name(pattern, i, stacked, helper.name) + ")");
    }
    calls.push_back("drop(" + py_string(helper.name) + ")");
    if (value_index) {
        std::vector<std::string> rows = ids;
        rows.insert(rows.end(), plan.name_columns.begin(), plan.name_columns.end());
        calls.push_back("groupBy(" + column_references(rows) + ").pivot(" +
                        column_references({helper.value}) + ", " + python_list(plan.value_columns) +
                        ").agg(F.first(" + column_of(helper.cell) + "))");
        calls.push_back("drop(" + py_string(helper.row) + ")");
    } else {
        // The pieces were made after the value column; they go before it.
        std::vector<std::string> made = plan.kept;
        made.push_back(cell);
        made.insert(made.end(), plan.name_columns.begin(), plan.name_columns.end());
        std::vector<std::string> wanted = plan.kept;
        wanted.insert(wanted.end(), plan.name_columns.begin(), plan.name_columns.end());
        wanted.push_back(cell);
        for (std::string& call : in_order(made, wanted)) calls.push_back(call);
    }
    return calls;
}

Calls spell(const PlannedStep& at, const Widen& widen) {
    if (!widen.plan || !widen.name || !widen.value) unreachable("the checker resolves every widen");
    const WidenPlan& plan = *widen.plan;
    const NamePattern& pattern = *widen.name;
    HelperNames helpers(at.table);
    helpers.hold(at.result);
    Calls calls;

    // PySpark pivots on a column's name, so a name spelt from several columns, or with literal
    // text around it, is made a column first.
    std::string pivot_column = plan.name_columns.at(0);
    if (plan.name_columns.size() > 1 || !without_literals(pattern)) {
        std::vector<std::string> parts;
        for (std::size_t i = 0; i < pattern.literals.size(); ++i) {
            if (!pattern.literals[i].empty()) {
                parts.push_back("F.lit(" + py_string(pattern.literals[i]) + ")");
            }
            if (i < plan.name_columns.size()) {
                parts.push_back(column_of(plan.name_columns[i]));
            }
        }
        pivot_column = helpers.name("__name");
        calls.push_back("withColumn(" + py_string(pivot_column) + ", F.concat(" +
                        comma_joined(parts) + "))");
    } else if (made_column_order(widen) == MadeColumnOrder::ByNameBytes &&
               !holds_text(at.table, pivot_column)) {
        // A pivot that finds its names orders them by the column's own values, numbers as
        // numbers: the names are made texts first, which Spark orders by their bytes.
        calls.push_back("withColumn(" + py_string(pivot_column) + ", " + column_of(pivot_column) +
                        ".cast(\"string\"))");
    }

    // Rows the widen cannot place fail the program instead of vanishing from the pivot: a
    // filter that never says no, but raises for a missing name or one `giving` does not list.
    // It passes a row through `F.spark_partition_id() >= 0`, never false, because Spark moves no
    // filter across a test that is not deterministic: it must see exactly the rows this step
    // receives, not rows an earlier join leaves out, nor fewer because a later filter went below
    // it.
    const std::vector<std::string> giving = names_of(widen.giving);
    std::string missing_name;
    for (const std::string& column : plan.name_columns) {
        missing_name += (missing_name.empty() ? "" : " | ") + column_of(column) + ".isNull()";
    }
    std::string guard = "F.when(" + missing_name + ", F.raise_error(" +
                        py_string(widen_missing_name_message(plan.name_columns)) + "))";
    if (!giving.empty()) {
        guard += ".when(~" + column_of(pivot_column) + ".isin(" + python_list(giving) +
                 "), F.raise_error(" + py_string(widen_unlisted_name_message()) + "))";
    }
    // A cell that is not an aggregate takes one row's value, so two rows for one cell fail too.
    const Value& value = *widen.value;
    const std::string cell_rows = helpers.name("__cell_rows");
    if (!holds_aggregate(value)) {
        std::vector<std::string> cell_key = plan.identifying;
        cell_key.insert(cell_key.end(), plan.name_columns.begin(), plan.name_columns.end());
        calls.push_back("withColumn(" + py_string(cell_rows) +
                        ", F.count(F.lit(1)).over(Window.partitionBy(" +
                        column_references(cell_key) + ")))");
        guard += ".when(" + column_of(cell_rows) + " > 1, F.raise_error(" +
                 py_string(widen_shared_cell_message()) + "))";
    }
    calls.push_back("filter(" + guard + ".otherwise(F.spark_partition_id() >= 0))");
    if (!holds_aggregate(value)) calls.push_back("drop(" + py_string(cell_rows) + ")");

    // `first`, `last` and `join_rows` go by the rows' places, numbered where their order holds.
    ValueContext cell_context;
    if (holds_ordered_aggregate(value)) {
        cell_context.place = helpers.name("__place");
        calls.push_back("withColumn(" + py_string(cell_context.place) +
                        ", F.monotonically_increasing_id())");
    }
    std::string cell = holds_aggregate(value) ? write_column(value, cell_context)
                                              : "F.first(" + write_column(value, {}) + ")";
    // Spark's pivot works each cell out of every row of the group, the other names' values made
    // missing, and so has `first` and `last` pass missing values by. A cell that reads the rows'
    // order is worked out per group and name first, and the pivot takes that one value.
    if (holds_aggregate(value) && holds_ordered_aggregate(value)) {
        const std::string one_cell = helpers.name("__cell");
        std::vector<std::string> cell_key = plan.identifying;
        cell_key.push_back(pivot_column);
        calls.push_back("groupBy(" + column_references(cell_key) + ").agg(" + cell + ".alias(" +
                        py_string(one_cell) + "))");
        cell = "F.first(" + column_of(one_cell) + ")";
    }
    const std::string values = giving.empty() ? "" : ", " + python_list(giving);
    calls.push_back("groupBy(" + column_references(plan.identifying) + ").pivot(" +
                    column_references({pivot_column}) + values + ").agg(" + cell + ")");

    // Spark leaves a cell no row fills missing; a count of no rows is 0.
    if (widen_empty_cell(widen) == EmptyAnswer::Zero) {
        calls.push_back(
            giving.empty()
                ? "transform(lambda d: d.na.fill(0, subset=[\"`\" + c.replace(\"`\", \"``\") + "
                  "\"`\" for c in d.columns if c not in " +
                      python_list(plan.identifying) + "]))"
                : "na.fill(0, subset=" + column_reference_list(giving) + ")");
    }
    if (widen.missing) {
        const Value& filler = *widen.missing;
        if (is_python_literal(filler) && !std::holds_alternative<Missing>(filler.node)) {
            calls.push_back("na.fill(" + write_value(filler, {}) +
                            ", subset=" + column_reference_list(giving) + ")");
        } else {
            // `na.fill` takes only a plain value; any other filler is worked out per column.
            for (const std::string& name : giving) {
                calls.push_back("withColumn(" + py_string(name) + ", F.coalesce(" +
                                column_of(name) + ", " + write_column(filler, {}) + "))");
            }
        }
    }
    return calls;
}

}  // namespace brell::pyspark
