#include "backend/pandas/pandas_writer.hpp"

#include <algorithm>
#include <set>
#include <unordered_map>

#include "backend/aggregates_summary.hpp"
#include "backend/pandas/pandas_text.hpp"
#include "backend/pandas/pandas_values.hpp"
#include "backend/python_text.hpp"
#include "backend/step_walk.hpp"
#include "check/value_types.hpp"
#include "diagnostic/unreachable.hpp"
#include "parse/vocabulary.hpp"
#include "plan/columns_read.hpp"
#include "plan/group_answers.hpp"
#include "plan/helper_names.hpp"
#include "plan/join_filters.hpp"
#include "plan/missing_as_no.hpp"
#include "plan/renamed_names.hpp"
#include "plan/row_wise_argument.hpp"
#include "plan/step_reads.hpp"
#include "plan/taken_order.hpp"
#include "plan/target_profile.hpp"
#include "plan/value_queries.hpp"
#include "text/program_room.hpp"

namespace brell::pandas {
namespace {

std::string groupby_call(const std::vector<std::string>& by, bool as_index) {
    return "groupby(" + name_list(by) + (as_index ? "" : ", as_index=False") + ", dropna=False)";
}

Calls spell(const PlannedStep& at, const Keep& keep) {
    if (const auto membership = kept_membership(keep.condition)) {
        return matching_calls(*membership->matching, membership->negated);
    }
    // A row whose test is missing is left out, as a row whose test says no.
    PandasValues values;
    values.read_as_no(tests_read_as_no(keep.condition));
    std::vector<std::string> questions;
    for (const Value* question : questions_left_to_ask(at)) {
        questions.push_back(holds(values.write(*question)));
    }
    // The join before asked every question: no row is left out, and the columns no later step reads
    // go when a step settles them.
    if (questions.empty()) return {};
    // The rows kept are copied, and only with the columns a later step reads.
    const std::vector<std::string> read = result_columns_read(at);
    const std::string columns = read.empty() ? "" : name_list(read);
    const std::string rows =
        questions.size() == 1 ? questions.front() : "(" + joined(questions, ") & (") + ")";
    return {"loc[lambda d: " + rows + (columns.empty() ? "" : ", " + columns) + "]"};
}

Calls spell(const PlannedStep&, const Pick& pick) {
    const std::string listed = name_list(names_of(pick.columns));
    if (pick.all_but) return {"drop(columns=" + listed + ")"};
    return {"loc[:, " + listed + "]"};
}

// The items as `assign` keyword arguments. `assign` works lambdas out one after another, each on
// what the ones before it made; where a later item could read what an earlier one wrote, every
// value is worked out first, on the frame as the step receives it.
std::vector<std::string> assign_calls(const std::vector<std::string>& names,
                                      const std::vector<std::string>& values, bool together) {
    std::vector<std::string> arguments;
    for (std::size_t i = 0; i < names.size(); ++i) {
        arguments.push_back(keyword_argument(names[i], (together ? "" : "lambda d: ") + values[i]));
    }
    if (together) return {"pipe(lambda d: d.assign(" + joined(arguments, ", ") + "))"};
    return {"assign(" + joined(arguments, ", ") + ")"};
}

// Whether the value is an aggregate whose answer is a text and can be missing (`join_rows` of no
// texts is the empty text).
bool text_aggregate(const Value& value, const ValueTypes& types) {
    const auto* call = std::get_if<Call>(&value.node);
    if (call == nullptr || call->function == "join_rows") return false;
    const FunctionEntry* entry = find_function(call->function);
    if (entry == nullptr || entry->kind != FunctionKind::Aggregate) return false;
    const Result<ColumnType> type = types.type(value);
    return type.ok() && type.value() == ColumnType::Text;
}

std::vector<std::string> add_calls(const Add& add, const Sort* sort,
                                   const std::vector<TableColumn>& table) {
    const PandasValues values(names_of(add.by), table);
    const ColumnIndex index(table);
    const ValueTypes types(index);
    std::vector<std::string> names;
    std::vector<std::string> written;
    for (const NamedValue& item : add.items) {
        names.push_back(item.name.text);
        std::string value = values.write(item.value).text;
        // An aggregate of no texts is NaN, which would make the new column a number column that
        // no test on texts can read: a text answer is held in a text column.
        // (Beside each row of a group, the aggregate's answers are held as texts already.)
        if (profile_of("pandas").missing_text_held_as_number && add.by.empty() &&
            text_aggregate(item.value, types)) {
            value = "pd.Series(" + value + ", index=d.index, dtype=\"object\")";
        }
        written.push_back(value);
    }
    return assign_calls(names, written, add_replaces_unnamed_read(add, sort));
}

Calls taken_apart_calls(const PlannedStep& at, const Summarize& summarize);

Calls spell(const PlannedStep& at, const Summarize& summarize) {
    if (takes_answers_apart(profile_of("pandas"), summarize))
        return taken_apart_calls(at, summarize);
    const std::vector<TableColumn>& table = at.table;
    const std::vector<std::string> by = names_of(summarize.by);
    const PandasValues values;
    if (by.empty()) {
        // A text answer is a text column even when it is missing (an aggregate of no texts is
        // NaN, which a column of its own would hold as a number).
        const ColumnIndex index(table);
        const ValueTypes types(index);
        std::vector<std::string> columns;
        for (const NamedValue& item : summarize.items) {
            const Result<ColumnType> type = types.type(item.value);
            const bool text = profile_of("pandas").missing_text_held_as_number && type.ok() &&
                              type.value() == ColumnType::Text;
            const std::string answer = "[" + values.write(item.value).text + "]";
            columns.push_back(py_string(item.name.text) + ": " +
                              (text ? "pd.Series(" + answer + ", dtype=\"object\")" : answer));
        }
        return {"pipe(lambda d: pd.DataFrame({" + joined(columns, ", ") + "}))"};
    }
    const bool row_wise = std::all_of(
        summarize.items.begin(), summarize.items.end(),
        [](const NamedValue& item) { return aggregates_row_wise_argument(item.value); });
    if (row_wise) {
        // Each answer is its own vectorised method over the groups; they line up on the groups'
        // keys, which become columns again. An argument worked out of each row alone
        // (`total([price] * (1 - [discount]))`) is first a column of its own, over the whole
        // table at once rather than group by group.
        const ColumnIndex index(table);
        const ValueTypes types(index);
        HelperNames helpers(table);
        for (const NamedValue& item : summarize.items) helpers.hold(item.name.text);
        std::vector<std::string> arguments;
        std::vector<std::string> answers;
        for (const NamedValue& item : summarize.items) {
            const Call& call = std::get<Call>(item.value.node);
            std::string column;
            Result<ColumnType> type(ColumnType::Number);
            if (!call.arguments.empty()) {
                const Value& argument = call.arguments.front();
                type = types.type(argument);
                if (is_bare_column(argument)) {
                    column = bare_column_name(argument);
                } else {
                    column = helpers.name("__argument");
                    arguments.push_back(
                        keyword_argument(column, "lambda d: " + series_of(values.write(argument))));
                }
            }
            // A group of no texts answers NaN: a text answer is held as texts, so that a text
            // function of it reads every group.
            const Result<ColumnType> answer_type = types.type(item.value);
            const bool text = profile_of("pandas").missing_text_held_as_number &&
                              answer_type.ok() && answer_type.value() == ColumnType::Text;
            answers.push_back(
                py_string(item.name.text) + ": " +
                grouped_answer(call, column, type.ok() ? type.value() : ColumnType::Opaque) +
                (text ? ".astype(\"object\")" : ""));
        }
        std::vector<std::string> calls;
        if (!arguments.empty()) calls.push_back("assign(" + joined(arguments, ", ") + ")");
        calls.push_back("pipe(lambda d: (lambda g: pd.DataFrame({" + joined(answers, ", ") +
                        "}))(d." + groupby_call(by, true) + "))");
        calls.push_back("reset_index()");
        return calls;
    }
    // An answer worked out of a whole group (an aggregate of a worked-out value, or several
    // aggregates in one value) is written over each group's own rows.
    std::vector<std::string> answers;
    for (const NamedValue& item : summarize.items) {
        answers.push_back(py_string(item.name.text) + ": " + values.write(item.value).text);
    }
    // The columns the answers read are selected by name, the grouping ones among them: pandas
    // warns that an `apply` over the groups will stop handing them the grouping columns unless
    // they are. (A join before may have left the others behind.)
    std::set<std::string> read(by.begin(), by.end());
    for (const NamedValue& item : summarize.items) read.merge(columns_read_by(item.value));
    std::vector<std::string> columns;
    for (const TableColumn& column : table) {
        if (read.contains(column.name)) columns.push_back(column.name);
    }
    return {groupby_call(by, true) + "[" + name_list(columns) + "].apply(lambda d: pd.Series({" +
                joined(answers, ", ") + "}))",
            "reset_index()", "infer_objects()"};
}

// A summary whose answers work something out of a group's answers: inside `apply` a function of
// one group's answer would be worked out on each of the group's rows. The aggregates are
// summarized first, one row per group, and the answers are added on those rows.
Calls taken_apart_calls(const PlannedStep& at, const Summarize& summarize) {
    const GroupAnswers taken_apart = group_answers(summarize, at.table);
    std::vector<std::string> calls = spell(at, aggregates_summary(summarize, taken_apart));
    const std::vector<TableColumn> summary =
        aggregates_summary_table(at.table, summarize, taken_apart);
    Add answers;
    answers.items = taken_apart.answers;
    for (std::string& call : add_calls(answers, nullptr, summary)) calls.push_back(call);
    std::vector<std::string> kept = names_of(summarize.by);
    for (const NamedValue& answer : taken_apart.answers) kept.push_back(answer.name.text);
    calls.push_back("loc[:, " + name_list(kept) + "]");
    return calls;
}

// The first `count` rows in the order of the sort in force, with every row level with the last
// one taken.
std::vector<std::string> take_with_ties_calls(const Take& take, const Sort& sort) {
    const std::vector<std::string> by = names_of(take.by);
    const std::string count = std::to_string(take.count);
    const SortKey& first = sort.keys.front();
    if (sort.keys.size() == 1) {
        const std::string ranked = by.empty() ? frame_column(first.column.text)
                                              : "d.groupby(" + name_list(by) + ", dropna=False)[" +
                                                    py_string(first.column.text) + "]";
        // The rank runs the way the take reads the rows, with the missing values where that
        // order puts them.
        const Sort order = taken_order(sort, take.last);
        const bool ascending = !order.keys.front().descending;
        const bool missing_ranked_first = order.missing_first;
        return {"loc[lambda d: " + ranked + ".rank(method=\"min\", ascending=" +
                    (ascending ? "True" : "False") + ", na_option=\"" +
                    (missing_ranked_first ? "top" : "bottom") + "\") <= " + count + "]",
                sort_call(sort)};
    }
    // Several keys tie only when all of them do. The rows stand in the sort's order, so a row's
    // place with ties is the first place among the rows level with it.
    std::string places;
    if (by.empty()) {
        places = "pd.Series(" +
                 std::string(take.last ? "np.arange(len(d), 0, -1)" : "np.arange(1, len(d) + 1)") +
                 ", index=d.index)";
    } else {
        places = "(d.groupby(" + name_list(by) + ", dropna=False).cumcount(" +
                 (take.last ? "ascending=False" : "") + ") + 1)";
    }
    std::vector<std::string> level;
    for (const std::string& name : by) level.push_back(frame_column(name));
    for (const SortKey& key : sort.keys) level.push_back(frame_column(key.column.text));
    return {"loc[lambda d: " + places + ".groupby([" + joined(level, ", ") +
            "], dropna=False).transform(\"min\") <= " + count + "]"};
}

Calls spell(const PlannedStep& at, const Take& take) {
    const Sort* sort = at.sort;
    const std::string word = take.last ? "tail" : "head";
    const std::string count = std::to_string(take.count);
    if (take.with_ties) {
        if (sort == nullptr) unreachable("ties are only reached after a sort");
        return take_with_ties_calls(take, *sort);
    }
    const TakenRows rows = taken_rows(take);
    if (rows.skipped > 0) {
        const std::string skipped = std::to_string(rows.skipped);
        if (take.by.empty()) return {"iloc[" + skipped + ":" + count + "]"};
        // A row's place in its group, counted from 0 as `cumcount` counts, where the rows stand.
        return {"loc[lambda d: d.groupby(" + name_list(names_of(take.by)) +
                ", dropna=False).cumcount().between(" + skipped + ", " +
                std::to_string(take.count - 1) + ")]"};
    }
    if (take.by.empty()) return {word + "(" + count + ")"};
    std::vector<std::string> calls = {groupby_call(names_of(take.by), false) + "." + word + "(" +
                                      count + ")"};
    if (sort != nullptr) calls.push_back(sort_call(*sort));
    return calls;
}

Calls spell(const PlannedStep& at, const Rename& rename) {
    std::unordered_map<std::string, std::string> leaves_as;
    for (Renaming& renaming : renamed_names(rename)) {
        leaves_as.emplace(std::move(renaming.arrived_as), std::move(renaming.leaves_as));
    }
    std::vector<std::string> pairs;
    for (const TableColumn& column : at.table) {
        const auto renamed = leaves_as.find(column.name);
        if (renamed == leaves_as.end() || renamed->second == column.name) continue;
        pairs.push_back(py_string(column.name) + ": " + py_string(renamed->second));
    }
    return {"rename(columns={" + joined(pairs, ", ") + "})"};
}

Calls spell(const PlannedStep& at, const FillMissing& fill) {
    const PandasValues values;
    std::vector<std::string> names;
    std::vector<std::string> filled;
    for (const NamedValue& item : fill.items) {
        std::string column = frame_column(item.name.text);
        // A truth column with missing values holds Python objects, which `fillna` would turn
        // into a column of booleans, a change pandas warns it will stop making; the column is
        // made one of pandas' own booleans first, which holds a missing value as it is.
        const bool truth = std::any_of(at.table.begin(), at.table.end(), [&](const TableColumn& c) {
            return c.name == item.name.text && c.type == ColumnType::Truth;
        });
        if (truth && !std::holds_alternative<Missing>(item.value.node)) {
            column += ".astype(\"boolean\")";
        }
        // pandas refuses to fill with None, and filling with a missing value changes nothing.
        if (!std::holds_alternative<Missing>(item.value.node)) {
            const Spelled filler = values.write(item.value);
            column +=
                ".fillna(" + (filler.shape == Shape::Array ? series_of(filler) : filler.text) + ")";
        }
        names.push_back(item.name.text);
        filled.push_back(std::move(column));
    }
    return assign_calls(names, filled, fill_reads_filled(fill));
}

Calls spell(const PlannedStep& at, const Add& add) {
    // `assign` copies the frame: from the table as it was given, only the columns it and the steps
    // after it read are taken. (Later, a keep or a join before has taken them already.)
    const std::vector<std::string> read =
        at.index == 0 ? received_columns_read(at) : std::vector<std::string>{};
    Calls calls = add_calls(add, at.sort, at.table);
    if (!read.empty()) calls.insert(calls.begin(), "loc[:, " + name_list(read) + "]");
    return calls;
}

Calls spell(const PlannedStep& at, const Sort& sort) {
    if (!at.order_read) return {};
    return {sort_call(sort)};
}

Calls spell(const PlannedStep&, const DropDuplicates&) {
    return {"drop_duplicates()"};
}

Calls spell(const PlannedStep&, const DropMissing& drop) {
    if (drop.columns.empty()) return {"dropna()"};
    return {"dropna(subset=" + name_list(names_of(drop.columns)) + ")"};
}

}  // namespace

std::string sort_call(const Sort& sort) {
    std::vector<std::string> names;
    std::vector<std::string> directions;
    bool any_descending = false;
    for (const SortKey& key : sort.keys) {
        names.push_back(key.column.text);
        directions.push_back(key.descending ? "False" : "True");
        any_descending = any_descending || key.descending;
    }
    std::string arguments = name_list(names);
    if (any_descending) arguments += ", ascending=[" + joined(directions, ", ") + "]";
    if (sort.missing_first) arguments += ", na_position=\"first\"";
    return "sort_values(" + arguments + ")";
}

std::string write_pandas(const CheckedPipeline& checked, const std::vector<SharedColumns>& tables) {
    // Each call goes straight into the program, so that the calls are never held beside it.
    std::string program = program_room(checked.span.length);
    program += "(" + checked.source;
    bool any_call = false;
    const auto spelled = [](const PlannedStep& at, const auto& node) { return spell(at, node); };
    walk_steps(checked, tables, spelled, [&](const PlannedStep&, const Calls& calls) {
        for (const std::string& call : calls) program += "\n    ." + call;
        any_call = any_call || !calls.empty();
    });
    if (!any_call) return checked.source;
    program += ")";
    return program;
}

}  // namespace brell::pandas
