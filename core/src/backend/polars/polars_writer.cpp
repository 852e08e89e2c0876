#include "backend/polars/polars_writer.hpp"

#include <algorithm>

#include "backend/aggregates_summary.hpp"
#include "backend/polars/polars_values.hpp"
#include "backend/python_text.hpp"
#include "backend/step_walk.hpp"
#include "diagnostic/unreachable.hpp"
#include "plan/group_answers.hpp"
#include "plan/renamed_names.hpp"
#include "plan/taken_order.hpp"
#include "plan/target_profile.hpp"
#include "plan/value_queries.hpp"
#include "text/program_room.hpp"

namespace brell::polars {
namespace {

// `[name] as value` items as `value.alias("name")`.
std::vector<std::string> aliased(const std::vector<NamedValue>& items,
                                 const std::vector<TableColumn>& table,
                                 const std::vector<std::string>& over) {
    std::vector<std::string> written;
    for (const NamedValue& item : items) {
        written.push_back(polars_receiver(item.value, table, over) + ".alias(" +
                          py_string(item.name.text) + ")");
    }
    return written;
}

Calls spell(const PlannedStep& at, const Keep& keep) {
    if (const auto membership = kept_membership(keep.condition)) {
        return matching_calls(*membership->matching, membership->negated, at.order_read);
    }
    return {"filter(" + polars_expression(keep.condition, at.table) + ")"};
}

Calls spell(const PlannedStep&, const Pick& pick) {
    return {(pick.all_but ? "drop(" : "select(") + name_list(names_of(pick.columns)) + ")"};
}

Calls spell(const PlannedStep& at, const Add& add) {
    Calls calls{"with_columns(" + joined(aliased(add.items, at.table, names_of(add.by)), ", ") +
                ")"};
    // After values worked out along the rows, the sort in force is said again; but not when an
    // item gives a sorted column new values: the rows stay in the order of the values they had.
    const bool has_window =
        std::any_of(add.items.begin(), add.items.end(),
                    [](const NamedValue& item) { return holds_window(item.value); });
    const auto rewritten = [&](const SortKey& key) {
        return std::any_of(add.items.begin(), add.items.end(), [&](const NamedValue& item) {
            return item.name.text == key.column.text;
        });
    };
    if (has_window && at.sort != nullptr && at.order_read &&
        std::none_of(at.sort->keys.begin(), at.sort->keys.end(), rewritten)) {
        calls.push_back(sort_call(*at.sort));
    }
    return calls;
}

Calls spell(const PlannedStep& at, const Summarize& summarize) {
    if (takes_answers_apart(profile_of("polars"), summarize)) {
        // Over the whole table, polars may work a repeated group's answer out once per row, and
        // over no rows that is no row at all: the aggregates come first, on their one row.
        const GroupAnswers taken_apart = group_answers(summarize, at.table);
        const std::vector<TableColumn> summary =
            aggregates_summary_table(at.table, summarize, taken_apart);
        return {"select(" + joined(aliased(taken_apart.aggregates, at.table, {}), ", ") + ")",
                "select(" + joined(aliased(taken_apart.answers, summary, {}), ", ") + ")"};
    }
    const std::string items = joined(aliased(summarize.items, at.table, {}), ", ");
    if (summarize.by.empty()) return {"select(" + items + ")"};
    const std::string by = name_list(names_of(summarize.by));
    return {"group_by(" + by + ").agg(" + items + ")"};
}

// A row's place in the order a take counts in (`taken_order`), rows level on every key sharing
// the first place among them. Each key is first turned into a number that places its missing
// values where that order puts them (polars leaves a missing value's rank missing).
std::string taken_place(const Sort& order) {
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < order.keys.size(); ++i) {
        const SortKey& key = order.keys[i];
        std::string ranked = "pl.col(" + py_string(key.column.text) + ").rank(\"dense\"" +
                             (key.descending ? ", descending=True" : "") + ").fill_null(" +
                             (order.missing_first ? "0" : "pl.len() + 1") + ")";
        if (order.keys.size() > 1) ranked += ".alias(" + py_string(std::to_string(i)) + ")";
        keys.push_back(std::move(ranked));
    }
    const std::string levels =
        keys.size() == 1 ? keys.front() : "pl.struct(" + joined(keys, ", ") + ")";
    return levels + ".rank(\"min\")";
}

Calls spell(const PlannedStep& at, const Take& take) {
    const std::string count = std::to_string(take.count);
    const std::string end = take.last ? "tail" : "head";
    if (take.with_ties) {
        if (at.sort == nullptr) unreachable("ties are only reached after a sort");
        // The rows level with the last one taken stand no further than it.
        std::string place = taken_place(taken_order(*at.sort, take.last));
        if (!take.by.empty()) place += ".over(" + name_list(names_of(take.by)) + ")";
        return {"filter(" + place + " <= " + count + ")", sort_call(*at.sort)};
    }
    const TakenRows rows = taken_rows(take);
    if (rows.skipped > 0) {
        if (take.by.empty()) {
            return {"slice(" + std::to_string(rows.skipped) + ", " +
                    std::to_string(rows.most_kept()) + ")"};
        }
        // Each row's place in its group, counted from 1, where the rows stand.
        return {"filter(pl.int_range(1, pl.len() + 1).over(" + name_list(names_of(take.by)) +
                ").is_between(" + std::to_string(rows.first()) + ", " + count + "))"};
    }
    // polars' grouped head of nought rows gives each group a row of missing values.
    if (take.by.empty() || take.count == 0) return {end + "(" + count + ")"};
    // A grouped head puts the group's columns first: the table's order is said again.
    Calls calls{"group_by(" + name_list(names_of(take.by)) + ")." + end + "(" + count + ")",
                "select(" + name_list(names_of(at.table)) + ")"};
    if (at.sort != nullptr) calls.push_back(sort_call(*at.sort));
    return calls;
}

Calls spell(const PlannedStep&, const Rename& rename) {
    // polars renames every pair at once; the sentence renames them one after another, so each
    // column is renamed once, from the name it arrives with to the name it leaves with.
    std::vector<std::string> entries;
    for (const Renaming& renaming : renamed_names(rename)) {
        if (renaming.leaves_as == renaming.arrived_as) continue;
        entries.push_back(py_string(renaming.arrived_as) + ": " + py_string(renaming.leaves_as));
    }
    return {"rename({" + joined(entries, ", ") + "})"};
}

Calls spell(const PlannedStep&, const DropMissing& drop) {
    if (drop.columns.empty()) return {"drop_nulls()"};
    return {"drop_nulls(" + name_list(names_of(drop.columns)) + ")"};
}

Calls spell(const PlannedStep& at, const FillMissing& fill) {
    std::vector<std::string> items;
    for (const NamedValue& item : fill.items) {
        items.push_back("pl.col(" + py_string(item.name.text) + ").fill_null(" +
                        polars_filler(item.value, at.table) + ")");
    }
    return {"with_columns(" + joined(items, ", ") + ")"};
}

Calls spell(const PlannedStep& at, const Sort& sort) {
    return at.order_read ? Calls{sort_call(sort)} : Calls{};
}

Calls spell(const PlannedStep&, const DropDuplicates&) {
    return {"unique()"};
}

}  // namespace

std::vector<std::string> names_of(const ColumnList& list) {
    std::vector<std::string> names;
    for (const ColumnName& name : list.names) names.push_back(name.text);
    return names;
}

std::vector<std::string> names_of(const std::vector<TableColumn>& table) {
    std::vector<std::string> names;
    for (const TableColumn& column : table) names.push_back(column.name);
    return names;
}

std::string sort_call(const Sort& sort) {
    std::vector<std::string> keys;
    std::vector<std::string> descending;
    for (const SortKey& key : sort.keys) {
        keys.push_back(key.column.text);
        descending.push_back(key.descending ? "True" : "False");
    }
    std::string call = "sort(" + name_list(keys);
    if (std::any_of(sort.keys.begin(), sort.keys.end(),
                    [](const SortKey& key) { return key.descending; })) {
        call += ", descending=[" + joined(descending, ", ") + "]";
    }
    return call + ", nulls_last=" + (sort.missing_first ? "False" : "True") + ")";
}

std::string write_polars(const CheckedPipeline& checked, const std::vector<SharedColumns>& tables) {
    // Each call goes straight into the program, so that the calls are never held beside it.
    std::string program = program_room(checked.span.length);
    // The steps build one lazy query, so that polars plans it whole (a filter after a join runs
    // before it, a column no step reads is never read), and it runs once, at the end. A step that
    // reads the rows themselves (a widen's checks) gathers them, and the query goes on lazily.
    constexpr std::string_view kLazy = ".lazy()";
    constexpr std::string_view kGathered = "collect()";
    program += "(" + checked.source + std::string(kLazy);
    bool any_call = false;
    const auto spelled = [](const PlannedStep& at, const auto& node) { return spell(at, node); };
    walk_steps(checked, tables, spelled, [&](const PlannedStep&, const Calls& calls) {
        for (const std::string& call : calls) {
            any_call = true;
            if (call == kGathered && program.ends_with(kLazy)) {
                // Made lazy only to be gathered again: neither is written.
                program.resize(program.size() - kLazy.size());
                if (program.ends_with("\n    ")) program.resize(program.size() - 5);
                continue;
            }
            program += "\n    ." + call;
        }
    });
    if (!any_call) return checked.source;
    if (program.ends_with(kLazy)) {
        program.resize(program.size() - kLazy.size());
        if (program.ends_with("\n    ")) program.resize(program.size() - 5);
        return program + ")";
    }
    return program + "\n    .collect())";
}

}  // namespace brell::polars
