// The calls of the steps that bring in another table or change the table's shape: keep ...
// matching(...), join, add_rows, add_combinations, lengthen and widen.

#include <algorithm>

#include "backend/pandas/pandas_text.hpp"
#include "backend/pandas/pandas_values.hpp"
#include "backend/pandas/pandas_writer.hpp"
#include "backend/python_text.hpp"
#include "diagnostic/unreachable.hpp"
#include "parse/vocabulary.hpp"
#include "plan/columns_read.hpp"
#include "plan/empty_answer.hpp"
#include "plan/helper_names.hpp"
#include "plan/join_filters.hpp"
#include "plan/made_column_order.hpp"
#include "plan/missing_as_no.hpp"
#include "plan/target_profile.hpp"
#include "plan/widen_guards.hpp"

namespace brell::pandas {
namespace {

std::string how_word(Unmatched unmatched) {
    switch (unmatched) {
        case Unmatched::This:
            return "left";
        case Unmatched::None:
            return "inner";
        case Unmatched::Both:
            return "outer";
    }
    unreachable("every way of joining has a word");
}

// A lengthen that stacks columns under their own names into one name and one value column,
// which is what `melt` makes.
bool stacks_plain_names(const LengthenPlan& plan) {
    return plan.name_columns.size() == 1 && plan.value_columns.size() == 1 &&
           std::all_of(plan.groups.begin(), plan.groups.end(), [](const LengthenGroup& group) {
               return group.name_pieces.at(0) == group.sources.at(0);
           });
}

// The column a widen reads its new names from, when the names are that column's texts as they
// stand; none when they are built from pieces and literal text.
std::optional<std::string> plain_name_column(const PlannedStep& at, const NamePattern& pattern,
                                             const WidenPlan& plan) {
    const bool has_literal =
        std::any_of(pattern.literals.begin(), pattern.literals.end(),
                    [](const std::string& literal) { return !literal.empty(); });
    if (has_literal || plan.name_columns.size() != 1) return std::nullopt;
    const auto column =
        std::find_if(at.table.begin(), at.table.end(),
                     [&](const TableColumn& each) { return each.name == plan.name_columns[0]; });
    if (column == at.table.end()) unreachable("the checker looked up every column a widen reads");
    if (column->type != ColumnType::Text && column->type != ColumnType::Opaque) return std::nullopt;
    return plan.name_columns[0];
}

}  // namespace

std::vector<std::string> matching_calls(const Matching& matching, bool negated) {
    if (matching.keys.empty()) unreachable("the checker writes in every key of `matching`");
    // The other table's keys: of the rows its own question keeps, chosen in one selection so
    // that only the keys are copied.
    PandasValues values;
    std::string kept_rows;
    if (matching.partners) {
        values.read_as_no(tests_read_as_no(*matching.partners->question));
        kept_rows = "lambda d: " + holds(values.write(*matching.partners->question));
    }
    const auto keys_of_other = [&](const std::string& columns) {
        if (kept_rows.empty()) return matching.table.text + "[" + columns + "]";
        return matching.table.text + ".loc[" + kept_rows + ", " + columns + "]";
    };
    const std::string negation = negated ? "~" : "";
    // A missing key matches nothing: the other table's missing keys are left out, since `isin`
    // would find a missing value among them.
    const std::string present = profile_of("pandas").joins_pair_missing_keys ? ".dropna()" : "";
    if (matching.keys.size() == 1) {
        const KeyPair& key = matching.keys.front();
        return {"loc[lambda d: " + negation + frame_column(key.left.text) + ".isin(" +
                keys_of_other(py_string(key.right.text)) + present + ")]"};
    }
    std::vector<std::string> left;
    std::vector<std::string> right;
    for (const KeyPair& key : matching.keys) {
        left.push_back(key.left.text);
        right.push_back(key.right.text);
    }
    return {"loc[lambda d: " + negation + "pd.MultiIndex.from_frame(d[" + name_list(left) +
            "]).isin(pd.MultiIndex.from_frame(" + keys_of_other(name_list(right)) + present +
            "))]"};
}

Calls spell(const PlannedStep& at, const Join& join) {
    const std::vector<std::string> taken = other_columns_carried(at);
    std::vector<std::string> keys;
    std::vector<std::string> renamed;
    for (const KeyPair& key : join.keys) {
        keys.push_back(key.left.text);
        if (key.left.text != key.right.text) {
            renamed.push_back(py_string(key.right.text) + ": " + py_string(key.left.text));
        }
    }
    // The other table's keys take this table's names, so that the result keeps each key once,
    // under this table's name, as it does when both sides share it.
    // Only the other table's columns that a later step reads are carried through the merge.
    // The other table's rows the keep after the join would leave out are left out before it,
    // and its columns no later step reads, in one selection.
    std::vector<std::string> kept_rows;
    for (const Value* question : other_table_questions(at)) {
        PandasValues values;
        values.read_as_no(tests_read_as_no(*question));
        kept_rows.push_back(holds(values.write(*question)));
    }
    std::string other = join.table.text;
    if (!kept_rows.empty() || !taken.empty()) {
        const std::string rows =
            kept_rows.size() == 1 ? kept_rows.front() : "(" + joined(kept_rows, ") & (") + ")";
        other += ".loc[" + (kept_rows.empty() ? ":" : "lambda d: " + rows) + ", " +
                 (taken.empty() ? ":" : name_list(taken)) + "]";
    }
    if (!renamed.empty()) other += ".rename(columns={" + joined(renamed, ", ") + "})";
    // `merge` pairs a missing key with a missing key, where a missing key matches nothing: the
    // other table's rows with one could only match that way, so they are left out of the merge.
    // With `unmatched "both"` they belong in the result, on rows of their own, and are added
    // after it.
    const std::string on = name_list(keys);
    const auto merged = [&](const std::string& table) {
        return "merge(" + table + ".dropna(subset=" + on + "), on=" + on + ", how=\"" +
               how_word(join.unmatched) + "\")";
    };
    // Only this table's columns that a later step reads go into the merge, which copies them.
    const std::vector<std::string> own = own_columns_carried(at);
    Calls calls;
    if (!own.empty()) calls.push_back("loc[:, " + name_list(own) + "]");
    if (join.unmatched != Unmatched::Both) {
        calls.push_back(merged(other));
        return calls;
    }
    calls.push_back("pipe(lambda d, o=" + other + ": pd.concat([d." + merged("o") + ", o[o[" + on +
                    "].isna().any(axis=1)]], ignore_index=True))");
    return calls;
}

Calls spell(const PlannedStep&, const AddRows& add_rows) {
    return {"pipe(lambda d: pd.concat([d, " + add_rows.table.text + "], ignore_index=True))"};
}

Calls spell(const PlannedStep&, const AddCombinations& combinations) {
    const std::vector<std::string> by = names_of(combinations.by);
    std::string grid;
    for (const ColumnName& column : combinations.columns.names) {
        std::vector<std::string> selected = by;
        selected.push_back(column.text);
        const std::string present = "d[" + name_list(selected) + "].dropna().drop_duplicates()";
        if (grid.empty()) {
            grid = present;
        } else if (by.empty()) {
            grid += ".merge(" + present + ", how=\"cross\")";
        } else {
            grid += ".merge(" + present + ", on=" + name_list(by) + ", how=\"inner\")";
        }
    }
    std::vector<std::string> keys = by;
    for (const ColumnName& column : combinations.columns.names) keys.push_back(column.text);
    return {"pipe(lambda d: d.merge(" + grid + ", on=" + name_list(keys) + ", how=\"outer\"))"};
}

Calls spell(const PlannedStep&, const Lengthen& lengthen) {
    if (!lengthen.plan) unreachable("the checker resolves every lengthen");
    const LengthenPlan& plan = *lengthen.plan;
    if (stacks_plain_names(plan)) {
        std::vector<std::string> stacked;
        for (const LengthenGroup& group : plan.groups) stacked.push_back(group.sources[0]);
        return {"melt(id_vars=" + name_list(plan.kept) + ", value_vars=" + name_list(stacked) +
                ", var_name=" + py_string(plan.name_columns[0]) +
                ", value_name=" + py_string(plan.value_columns[0]) + ")"};
    }
    // A pattern splits each old name into pieces, literal text aside, and `{value}` spreads one
    // row over several value columns: each group of rows is the kept columns with its pieces
    // and values written in, as the checker took the names apart, and the groups are stacked.
    std::vector<std::string> groups;
    for (const LengthenGroup& group : plan.groups) {
        std::vector<std::string> columns;
        for (std::size_t n = 0; n < plan.name_columns.size(); ++n) {
            columns.push_back(
                keyword_argument(plan.name_columns[n], py_string(group.name_pieces.at(n))));
        }
        for (std::size_t v = 0; v < plan.value_columns.size(); ++v) {
            columns.push_back(
                keyword_argument(plan.value_columns[v], frame_column(group.sources.at(v))));
        }
        groups.push_back("d[" + name_list(plan.kept) + "].assign(" + joined(columns, ", ") + ")");
    }
    return {"pipe(lambda d: pd.concat([" + joined(groups, ", ") + "], ignore_index=True))"};
}

Calls spell(const PlannedStep& at, const Widen& widen) {
    if (!widen.plan || !widen.name || !widen.value) unreachable("the checker resolves every widen");
    const WidenPlan& plan = *widen.plan;
    std::vector<std::string> calls;

    // The column the new names are read from: one of the table's own, or one built from the
    // pattern's pieces and literal text.
    std::string names;
    if (const auto plain = plain_name_column(at, *widen.name, plan)) {
        names = *plain;
    } else {
        HelperNames helpers(at.table);
        for (const ColumnName& given : widen.giving.names) helpers.hold(given.text);
        names = helpers.name("__name");
        std::vector<std::string> parts;
        for (std::size_t i = 0; i <= plan.name_columns.size(); ++i) {
            const std::string& literal = widen.name->literals.at(i);
            if (!literal.empty()) parts.push_back(py_string(literal));
            if (i < plan.name_columns.size()) {
                parts.push_back(frame_column(plan.name_columns[i]) + ".astype(\"string\")");
            }
        }
        calls.push_back("assign(" + keyword_argument(names, "lambda d: " + joined(parts, " + ")) +
                        ")");
    }

    // A cell is a column's value, or one aggregate of a column (or of the rows) when two rows
    // want it.
    const Value& value = *widen.value;
    std::string cells;
    if (is_bare_column(value)) {
        cells = "[" + py_string(bare_column_name(value)) + "].agg(\"first\")";
    } else if (const auto* call = std::get_if<Call>(&value.node);
               call != nullptr && !call->arguments.empty() && is_bare_column(call->arguments[0])) {
        cells = "[" + py_string(bare_column_name(call->arguments[0])) + "].agg(" +
                aggregation_word(*call) + ")";
    } else if (call != nullptr && call->arguments.empty()) {
        cells = ".size()";
    } else {
        unreachable("refused before rendering");
    }

    // Rows the widen cannot place fail the query rather than vanish from it.
    calls.push_back(py_guard_call("d[" + py_string(names) + "].notna().all()",
                                  widen_missing_name_message(plan.name_columns)));
    if (!widen.giving.empty()) {
        calls.push_back(py_guard_call(
            "d[" + py_string(names) + "].isin(" + name_list(names_of(widen.giving)) + ").all()",
            widen_unlisted_name_message()));
    }
    if (widen_fails_on_shared_cells(widen)) {
        std::vector<std::string> cell_key = plan.identifying;
        cell_key.push_back(names);
        calls.push_back(py_guard_call("not d.duplicated(" + name_list(cell_key) + ").any()",
                                      widen_shared_cell_message()));
    }

    // Grouping keeps the rows whose keys are missing, and every row with a cell, as the pivot
    // of the query does; `unstack` lays the names out as columns.
    std::vector<std::string> keys = plan.identifying;
    keys.push_back(names);
    calls.push_back("groupby(" + name_list(keys) + ", dropna=False)" + cells);
    // `unstack` orders the names it finds (texts: a name read from any other column was made
    // one above) as Python orders strings, by code point, which is the order of their bytes.
    calls.push_back("unstack(" + py_string(names) + ")");
    if (made_column_order(widen) == MadeColumnOrder::AsGiving) {
        calls.push_back("reindex(columns=" + name_list(names_of(widen.giving)) + ")");
        // A name no row has makes a column of NaN, a number column: text cells stay texts, and
        // date cells dates (a date filled into a number column would make it one of objects).
        const auto cells_of = [&](std::initializer_list<ColumnType> types) {
            return std::any_of(at.result.begin(), at.result.end(), [&](const TableColumn& column) {
                return std::find(types.begin(), types.end(), column.type) != types.end() &&
                       std::any_of(
                           widen.giving.names.begin(), widen.giving.names.end(),
                           [&](const ColumnName& name) { return name.text == column.name; });
            });
        };
        if (profile_of("pandas").missing_text_held_as_number && cells_of({ColumnType::Text})) {
            calls.push_back("astype(\"object\")");
        }
        if (cells_of({ColumnType::Date, ColumnType::Timestamp})) {
            calls.push_back("astype(\"datetime64[ns]\")");
        }
    }
    if (widen_empty_cell(widen) == EmptyAnswer::Zero) calls.push_back("fillna(0)");
    if (widen.missing) calls.push_back("fillna(" + PandasValues().write(*widen.missing).text + ")");
    calls.push_back("reset_index()");
    calls.push_back("rename_axis(columns=None)");
    return calls;
}

}  // namespace brell::pandas
