// The calls of the steps that bring in another table or change the table's shape: keep ...
// matching(...), join, add_rows, add_combinations, lengthen and widen.

#include <algorithm>

#include "backend/polars/polars_values.hpp"
#include "backend/polars/polars_writer.hpp"
#include "backend/python_text.hpp"
#include "diagnostic/unreachable.hpp"
#include "parse/vocabulary.hpp"
#include "plan/empty_answer.hpp"
#include "plan/helper_names.hpp"
#include "plan/made_column_order.hpp"
#include "plan/widen_guards.hpp"

namespace brell::polars {
namespace {

// Helper columns, each named so as to be none of the step's other columns: a stacked column's
// name before it is cut into pieces, the `{value}` piece (which becomes a column name again), the
// stacked values while they are spread back out, and the row each stacked value came from. (A
// widened column's name built from a pattern is named in the widen.)
struct Helpers {
    std::string name;
    std::string value;
    std::string cell;
    std::string row;
};

Helpers lengthen_helpers(const PlannedStep& at, const LengthenPlan& plan) {
    HelperNames names(at.table);
    for (const std::string& made : plan.name_columns) names.hold(made);
    for (const std::string& made : plan.value_columns) names.hold(made);
    Helpers helpers;
    helpers.name = names.name("__name");
    helpers.value = names.name("__value");
    helpers.cell = names.name("__cell");
    helpers.row = names.name("__row");
    return helpers;
}

// Whether the table's column holds texts, which a pivot makes column names of as they are.
bool is_text_column(const std::vector<TableColumn>& table, const std::string& name) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&](const TableColumn& each) { return each.name == name; });
    if (found == table.end()) unreachable("the checker looked up every column a widen reads");
    return found->type == ColumnType::Text || found->type == ColumnType::Opaque;
}

// "on=[...]" when every key has one name on both sides, else "left_on=[...], right_on=[...]".
std::string key_part(const std::vector<KeyPair>& keys) {
    std::vector<std::string> left;
    std::vector<std::string> right;
    for (const KeyPair& key : keys) {
        left.push_back(key.left.text);
        right.push_back(key.right.text);
    }
    if (left == right) return "on=" + name_list(left);
    return "left_on=" + name_list(left) + ", right_on=" + name_list(right);
}

std::string_view how_word(Unmatched unmatched) {
    switch (unmatched) {
        case Unmatched::This:
            return "left";
        case Unmatched::None:
            return "inner";
        case Unmatched::Both:
            return "full";
    }
    return "left";
}

std::string column(std::string_view name) {
    return "pl.col(" + py_string(name) + ")";
}

// One stacked column: its name and the text of each pattern piece in it, `{value}` included.
struct StackedName {
    std::string name;
    std::vector<std::string> pieces;
};

std::vector<StackedName> stacked_names(const NamePattern& pattern, const LengthenPlan& plan) {
    const auto value_piece = std::find_if(pattern.pieces.begin(), pattern.pieces.end(),
                                          [](const PatternPiece& piece) { return piece.is_value; });
    std::vector<StackedName> stacked;
    for (const LengthenGroup& group : plan.groups) {
        for (std::size_t v = 0; v < group.sources.size(); ++v) {
            std::vector<std::string> pieces = group.name_pieces;
            if (value_piece != pattern.pieces.end()) {
                pieces.insert(pieces.begin() + (value_piece - pattern.pieces.begin()),
                              plan.value_columns.at(v));
            }
            stacked.push_back(StackedName{group.sources[v], std::move(pieces)});
        }
    }
    return stacked;
}

std::vector<std::string> split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t found; (found = text.find(separator, start)) != std::string::npos;
         start = found + separator.size()) {
        parts.push_back(text.substr(start, found - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

// Whether cutting every stacked name at each separator gives its pieces: the pattern has one
// separator between all its pieces and no text around them, and no piece holds the separator.
bool cut_at_separator(const NamePattern& pattern, const std::vector<StackedName>& stacked) {
    const std::vector<std::string>& literals = pattern.literals;
    if (pattern.pieces.size() < 2 || !literals.front().empty() || !literals.back().empty()) {
        return false;
    }
    const std::string& separator = literals[1];
    if (separator.empty() ||
        std::any_of(literals.begin() + 1, literals.end() - 1,
                    [&](const std::string& each) { return each != separator; })) {
        return false;
    }
    return std::all_of(stacked.begin(), stacked.end(), [&](const StackedName& each) {
        return split(each.name, separator) == each.pieces;
    });
}

// The pattern's pieces as columns cut from the stacked names: at the separator where that cuts
// every name right, else by looking each name up in what the checker found its pieces to be.
std::string piece_columns(const NamePattern& pattern, const std::vector<StackedName>& stacked,
                          const Helpers& helper) {
    const bool at_separator = cut_at_separator(pattern, stacked);
    std::vector<std::string> pieces;
    for (std::size_t i = 0; i < pattern.pieces.size(); ++i) {
        const PatternPiece& piece = pattern.pieces[i];
        std::string cut = column(helper.name);
        if (at_separator) {
            cut += ".str.split(" + py_string(pattern.literals[1]) + ").list.get(" +
                   std::to_string(i) + ")";
        } else {
            std::vector<std::string> pairs;
            for (const StackedName& each : stacked) {
                pairs.push_back(py_string(each.name) + ": " + py_string(each.pieces.at(i)));
            }
            cut += ".replace_strict({" + joined(pairs, ", ") + "})";
        }
        pieces.push_back(cut + ".alias(" + py_string(piece.is_value ? helper.value : piece.name) +
                         ")");
    }
    return "with_columns(" + joined(pieces, ", ") + ")";
}

std::string unpivot_call(const std::vector<std::string>& index, const std::vector<StackedName>& on,
                         std::string_view variable, std::string_view value) {
    std::vector<std::string> stacked;
    for (const StackedName& each : on) stacked.push_back(each.name);
    return "unpivot(index=" + name_list(index) + ", on=" + name_list(stacked) +
           ", variable_name=" + py_string(variable) + ", value_name=" + py_string(value) + ")";
}

// The aggregate a widen's pivot makes one cell with, when two rows want it.
std::string pivot_aggregate(const Call& call) {
    if (call.function == "unique_count")
        return "pl.element().drop_nulls().n_unique().cast(pl.Int64)";
    if (call.function == "value_count") return "pl.element().count().cast(pl.Int64)";
    // A total of no present values is missing, where polars' sum gives 0.
    if (call.function == "total") {
        return "pl.when(pl.element().count() > 0).then(pl.element().sum())";
    }
    if (call.function == "join_rows") {
        // The separator is written in the sentence: it reads no column.
        return "pl.when(pl.element().count() > 0).then(pl.element().drop_nulls().str.join(" +
               polars_value(call.arguments.at(1), {}).text + "))";
    }
    static constexpr std::pair<std::string_view, std::string_view> kWords[] = {
        {"average", "mean"}, {"median", "median"},          {"smallest", "min"},
        {"largest", "max"},  {"standard_deviation", "std"}, {"first", "first"},
        {"last", "last"},
    };
    for (const auto& [function, word] : kWords) {
        if (function == call.function) return py_string(word);
    }
    unreachable("`" + call.function + "` reached the polars backend without a spelling");
}

// Another table, read into the lazy query.
std::string lazy_table(const TableName& table) {
    return table.text + ".lazy()";
}

}  // namespace

Calls matching_calls(const Matching& matching, bool negated, bool order_read) {
    // The partners are the other table's rows that its own question keeps.
    std::string partners = lazy_table(matching.table);
    if (matching.partners) {
        partners +=
            ".filter(" +
            polars_expression(*matching.partners->question, matching.partners->other_columns) + ")";
    }
    // polars' joins keep no order unless told to, where a keep leaves the rows in theirs.
    return {"join(" + partners + ", " + key_part(matching.keys) + ", how=\"" +
            (negated ? "anti" : "semi") + "\"" + (order_read ? ", maintain_order=\"left\"" : "") +
            ")"};
}

Calls spell(const PlannedStep&, const Join& join) {
    return {"join(" + lazy_table(join.table) + ", " + key_part(join.keys) + ", how=\"" +
            std::string(how_word(join.unmatched)) + "\"" +
            (join.unmatched == Unmatched::Both ? ", coalesce=True" : "") + ")"};
}

Calls spell(const PlannedStep& at, const AddRows& add_rows) {
    // polars stacks by position: the other table's columns are put in this table's order first.
    return {"pipe(lambda d: pl.concat([d, " + lazy_table(add_rows.table) + ".select(" +
            name_list(names_of(at.table)) + ")]))"};
}

Calls spell(const PlannedStep& at, const AddCombinations& combinations) {
    const std::vector<std::string> by = names_of(combinations.by);
    std::string grid;
    std::vector<std::string> keys = by;
    for (const ColumnName& crossed : combinations.columns.names) {
        std::vector<std::string> present = by;
        present.push_back(crossed.text);
        const std::string part = "d.select(" + name_list(present) + ").drop_nulls().unique()";
        if (grid.empty()) {
            grid = part;
        } else if (by.empty()) {
            grid += ".join(" + part + ", how=\"cross\")";
        } else {
            grid += ".join(" + part + ", on=" + name_list(by) + ", how=\"inner\")";
        }
        keys.push_back(crossed.text);
    }
    Calls calls{"pipe(lambda d: d.join(" + grid + ", on=" + name_list(keys) +
                ", how=\"full\", coalesce=True))"};
    // A full join keeps no order: the sort in force is said again.
    if (at.sort != nullptr && at.order_read) calls.push_back(sort_call(*at.sort));
    return calls;
}

Calls spell(const PlannedStep& at, const Lengthen& lengthen) {
    if (!lengthen.plan) unreachable("the checker resolves every lengthen");
    const LengthenPlan& plan = *lengthen.plan;
    const NamePattern pattern =
        lengthen.name ? *lengthen.name
                      : NamePattern{{"", ""}, {PatternPiece{"name", false}}, true, Span{}};
    const std::vector<StackedName> stacked = stacked_names(pattern, plan);
    const bool one_column_of_names = pattern.pieces.size() == 1 && !pattern.pieces[0].is_value &&
                                     pattern.literals.front().empty() &&
                                     pattern.literals.back().empty();
    if (one_column_of_names) {
        return {
            unpivot_call(plan.kept, stacked, plan.name_columns.at(0), plan.value_columns.at(0))};
    }
    std::vector<std::string> outgoing = plan.kept;
    outgoing.insert(outgoing.end(), plan.name_columns.begin(), plan.name_columns.end());
    outgoing.insert(outgoing.end(), plan.value_columns.begin(), plan.value_columns.end());
    const std::string in_order = "select(" + name_list(outgoing) + ")";
    const Helpers helper = lengthen_helpers(at, plan);
    const bool has_value_piece =
        std::any_of(pattern.pieces.begin(), pattern.pieces.end(),
                    [](const PatternPiece& piece) { return piece.is_value; });
    if (!has_value_piece) {
        return {unpivot_call(plan.kept, stacked, helper.name, plan.value_columns.at(0)),
                piece_columns(pattern, stacked, helper), in_order};
    }
    // The `{value}` piece names columns again: each row's stacked values are spread back out,
    // keyed by the row they came from so that rows alike in every kept column stay apart.
    std::vector<std::string> index{helper.row};
    index.insert(index.end(), plan.kept.begin(), plan.kept.end());
    const std::string unpivot = unpivot_call(index, stacked, helper.name, helper.cell);
    index.insert(index.end(), plan.name_columns.begin(), plan.name_columns.end());
    return {"with_row_index(" + py_string(helper.row) + ")", unpivot,
            piece_columns(pattern, stacked, helper),
            "pivot(on=" + py_string(helper.value) +
                ", on_columns=" + name_list(plan.value_columns) + ", index=" + name_list(index) +
                ", values=" + py_string(helper.cell) + ")",
            in_order};
}

Calls spell(const PlannedStep& at, const Widen& widen) {
    if (!widen.plan || !widen.name || !widen.value) unreachable("the checker resolves every widen");
    const WidenPlan& plan = *widen.plan;
    const NamePattern& pattern = *widen.name;
    // The checks that fail the query on rows the widen cannot place read the table itself: the
    // rows are gathered for the widen, and the plan goes on lazily after it.
    Calls calls{"collect()"};

    // The new columns' names: one column's texts as they are, or the pattern spelled out with
    // its literal text around each row's pieces.
    std::string on;
    std::string built_name;
    const bool one_column_of_names =
        pattern.pieces.size() == 1 && pattern.literals.front().empty() &&
        pattern.literals.back().empty() && is_text_column(at.table, plan.name_columns.at(0));
    if (one_column_of_names) {
        on = py_string(plan.name_columns.at(0));
    } else {
        std::vector<std::string> parts;
        for (std::size_t i = 0; i < pattern.literals.size(); ++i) {
            if (!pattern.literals[i].empty()) {
                parts.push_back("pl.lit(" + py_string(pattern.literals[i]) + ")");
            }
            if (i < plan.name_columns.size()) parts.push_back(column(plan.name_columns[i]));
        }
        HelperNames helpers(at.table);
        for (const ColumnName& given : widen.giving.names) helpers.hold(given.text);
        built_name = helpers.name("__name");
        calls.push_back("with_columns(pl.concat_str([" + joined(parts, ", ") + "]).alias(" +
                        py_string(built_name) + "))");
        on = py_string(built_name);
    }

    // The cells: a column, or one aggregate of a column (the backend's check refuses the rest).
    const Value& cell = *widen.value;
    std::string values;
    std::string aggregate = py_string("first");
    if (const auto* bare = std::get_if<Column>(&cell.node)) {
        values = bare->name.text;
    } else if (const auto* call = std::get_if<Call>(&cell.node);
               call != nullptr && !call->arguments.empty() &&
               std::holds_alternative<Column>(call->arguments[0].node)) {
        values = std::get<Column>(call->arguments[0].node).name.text;
        aggregate = pivot_aggregate(*call);
    } else if (call != nullptr && call->arguments.empty()) {
        // The rows are counted; any column serves as the values, and the names' one is there.
        values = one_column_of_names ? plan.name_columns.at(0) : built_name;
        aggregate = py_string("len");
    } else {
        unreachable(
            "the polars check lets a widen cell through only as a column or one aggregate of one");
    }

    // Rows the widen cannot place fail the query rather than vanish from it.
    calls.push_back(py_guard_call("d.get_column(" + on + ").null_count() == 0",
                                  widen_missing_name_message(plan.name_columns)));
    const std::vector<std::string> giving = names_of(widen.giving);
    if (!giving.empty()) {
        calls.push_back(
            py_guard_call("d.get_column(" + on + ").is_in(" + name_list(giving) + ").all()",
                          widen_unlisted_name_message()));
    }
    if (widen_fails_on_shared_cells(widen)) {
        std::vector<std::string> cell_key = plan.identifying;
        cell_key.push_back(one_column_of_names ? plan.name_columns.at(0) : built_name);
        calls.push_back(
            py_guard_call("not d.select(" + name_list(cell_key) + ").is_duplicated().any()",
                          widen_shared_cell_message()));
    }

    // With `giving`, the columns it names, in its order, whether any row fills them or not;
    // without it, the names the rows bring (texts: the column `on` is one), which a polars sort
    // orders by their bytes (polars would keep the order they first appear in).
    const bool found = made_column_order(widen) == MadeColumnOrder::ByNameBytes;
    const std::string pivot =
        "pivot(on=" + on +
        ", on_columns=" + (found ? "d.get_column(" + on + ").unique().sort()" : name_list(giving)) +
        ", index=" + name_list(plan.identifying) + ", values=" + py_string(values) +
        ", aggregate_function=" + aggregate + ")";
    calls.push_back(found ? "pipe(lambda d: d." + pivot + ")" : pivot);
    // polars leaves a cell no row fills missing; a count of no rows is 0.
    if (widen_empty_cell(widen) == EmptyAnswer::Zero) {
        const std::string made = giving.empty() ? "pl.exclude(" + name_list(plan.identifying) + ")"
                                                : "pl.col(" + name_list(giving) + ")";
        calls.push_back("with_columns(" + made + ".fill_null(0).cast(pl.Int64))");
    }
    if (!giving.empty() && widen.missing) {
        calls.push_back("with_columns(pl.col(" + name_list(giving) + ").fill_null(" +
                        polars_filler(*widen.missing, at.table) + "))");
    }
    calls.push_back("lazy()");
    return calls;
}

}  // namespace brell::polars
