#include "backend/pyspark/pyspark_writer.hpp"

#include <algorithm>

#include "backend/pyspark/pyspark_text.hpp"
#include "backend/pyspark/pyspark_values.hpp"
#include "backend/python_text.hpp"
#include "backend/step_walk.hpp"
#include "diagnostic/unreachable.hpp"
#include "plan/helper_names.hpp"
#include "plan/step_reads.hpp"
#include "plan/step_values.hpp"
#include "plan/taken_order.hpp"
#include "plan/value_queries.hpp"
#include "text/program_room.hpp"

namespace brell {
namespace pyspark {
namespace {

// The helper column that numbers the rows of a take with ties or by groups, or keeps their order
// through an add that gives a sort key new values.
constexpr std::string_view kPlace = "__place";

Calls spell(const PlannedStep& at, const Keep& keep) {
    if (const auto membership = kept_membership(keep.condition)) {
        return matching_calls(at, *membership->matching, membership->negated);
    }
    return {"filter(" + write_column(keep.condition, {}) + ")"};
}

Calls spell(const PlannedStep&, const Pick& pick) {
    const std::vector<std::string> names = names_of(pick.columns);
    if (pick.all_but) return {"drop(" + python_names(names) + ")"};
    return {"select(" + column_references(names) + ")"};
}

// The columns as `withColumn` calls, each worked out on what the ones before it wrote, or, where a
// later one could read what an earlier one wrote, as one `withColumns`, every value worked out on
// the table as the step receives it.
Calls with_columns(const std::vector<std::string>& names, const std::vector<std::string>& columns,
                   bool together) {
    std::vector<std::string> entries;
    Calls calls;
    for (std::size_t i = 0; i < names.size(); ++i) {
        entries.push_back(py_string(names[i]) + ": " + columns[i]);
        calls.push_back("withColumn(" + py_string(names[i]) + ", " + columns[i] + ")");
    }
    if (together) return {"withColumns({" + comma_joined(entries) + "})"};
    return calls;
}

// The name of the column that numbers the rows for the ordered aggregates among `values`, or
// empty when they hold none. It is free at the step, beside the names in `made`.
std::string ordered_place(const PlannedStep& at, const std::vector<std::string>& made) {
    const std::vector<const Value*> values = values_of_step(at.step);
    if (std::none_of(values.begin(), values.end(),
                     [](const Value* value) { return holds_ordered_aggregate(*value); })) {
        return "";
    }
    HelperNames helpers(at.table);
    for (const std::string& name : made) helpers.hold(name);
    return helpers.name(kPlace);
}

std::string number_rows(const std::string& place) {
    return "withColumn(" + py_string(place) + ", F.monotonically_increasing_id())";
}

Calls spell(const PlannedStep& at, const Add& add) {
    std::vector<std::string> names;
    for (const NamedValue& item : add.items) names.push_back(item.name.text);
    const ValueContext context{at.sort, names_of(add.by), true, ordered_place(at, names)};
    std::vector<std::string> columns;
    for (const NamedValue& item : add.items) columns.push_back(write_column(item.value, context));
    Calls calls = with_columns(names, columns, add_replaces_unnamed_read(add, at.sort));
    if (!context.place.empty()) {
        calls.insert(calls.begin(), number_rows(context.place));
        if (at.sort != nullptr && at.order_read) {
            calls.push_back("orderBy(" + py_string(context.place) + ")");
        }
        calls.push_back("drop(" + py_string(context.place) + ")");
        return calls;
    }
    // Window functions, and the aggregates an add works out over windows, hand the rows back in
    // another order: the sort in force puts them back.
    const bool has_window =
        std::any_of(add.items.begin(), add.items.end(), [](const NamedValue& item) {
            return holds_window(item.value) || holds_aggregate(item.value);
        });
    if (!has_window || at.sort == nullptr || !at.order_read) return calls;
    if (!add_replaces_sort_key(add, at.sort)) {
        calls.push_back("orderBy(" + order_keys(*at.sort) + ")");
        return calls;
    }
    // The add gives a sort key new values, so no column holds the order the rows keep: their
    // places are numbered before the windows move them.
    HelperNames helpers(at.table);
    for (const std::string& name : names) helpers.hold(name);
    const std::string place = helpers.name(kPlace);
    calls.insert(calls.begin(), number_rows(place));
    calls.push_back("orderBy(" + py_string(place) + ")");
    calls.push_back("drop(" + py_string(place) + ")");
    return calls;
}

Calls spell(const PlannedStep& at, const Summarize& summarize) {
    ValueContext context;
    context.place = ordered_place(at, {});
    std::vector<std::string> aggregates;
    for (const NamedValue& item : summarize.items) {
        aggregates.push_back(write_receiver(item.value, context) + ".alias(" +
                             py_string(item.name.text) + ")");
    }
    Calls calls;
    if (!context.place.empty()) calls.push_back(number_rows(context.place));
    if (summarize.by.empty()) {
        calls.push_back("agg(" + comma_joined(aggregates) + ")");
        return calls;
    }
    const std::vector<std::string> by = names_of(summarize.by);
    calls.push_back("groupBy(" + column_references(by) + ").agg(" + comma_joined(aggregates) + ")");
    return calls;
}

Calls spell(const PlannedStep& at, const Take& take) {
    const std::string count = std::to_string(take.count);
    const TakenRows rows = taken_rows(take);
    if (!take.with_ties && take.by.empty() && !take.last) {
        if (rows.skipped == 0) return {"limit(" + count + ")"};
        return {"offset(" + std::to_string(rows.skipped) + ")",
                "limit(" + std::to_string(rows.most_kept()) + ")"};
    }
    if (at.sort == nullptr) {
        unreachable(take.with_ties     ? "ties are only reached after a sort"
                    : !take.by.empty() ? "a grouped take is only reached after a sort"
                                       : "take_last is only reached after a sort");
    }
    const std::string outer = order_keys(*at.sort);
    const std::string inner = order_keys(taken_order(*at.sort, take.last));
    if (!take.with_ties && take.by.empty()) {
        return ordered_by(at, {"orderBy(" + inner + ")", "limit(" + count + ")"}, outer);
    }
    const std::string place = HelperNames(at.table).name(kPlace);
    const std::string window =
        "Window.partitionBy(" + column_references(names_of(take.by)) + ").orderBy(" + inner + ")";
    return ordered_by(
        at,
        {"withColumn(" + py_string(place) + ", " +
             (take.with_ties ? "F.rank()" : "F.row_number()") + ".over(" + window + "))",
         "filter(" + column_of(place) +
             (rows.skipped == 0 ? " <= " + count
                                : ".between(" + std::to_string(rows.first()) + ", " + count + ")") +
             ")",
         "drop(" + py_string(place) + ")"},
        outer);
}

Calls spell(const PlannedStep&, const Rename& rename) {
    Calls calls;
    for (const NamedValue& pair : rename.pairs) {
        const std::string& old_name = std::get<Column>(pair.value.node).name.text;
        calls.push_back("withColumnRenamed(" + py_string(old_name) + ", " +
                        py_string(pair.name.text) + ")");
    }
    return calls;
}

Calls spell(const PlannedStep&, const DropMissing& drop) {
    if (drop.columns.empty()) return {"dropna()"};
    return {"dropna(subset=" + column_reference_list(names_of(drop.columns)) + ")"};
}

Calls spell(const PlannedStep&, const FillMissing& fill) {
    std::vector<std::string> names;
    std::vector<std::string> columns;
    for (const NamedValue& item : fill.items) {
        names.push_back(item.name.text);
        columns.push_back("F.coalesce(" + column_of(item.name.text) + ", " +
                          write_column(item.value, {}) + ")");
    }
    return with_columns(names, columns, fill_reads_filled(fill));
}

Calls spell(const PlannedStep& at, const Sort& sort) {
    return ordered_by(at, {}, order_keys(sort));
}

Calls spell(const PlannedStep&, const DropDuplicates&) {
    return {"dropDuplicates()"};
}

}  // namespace

Calls ordered_by(const PlannedStep& at, Calls calls, const std::string& keys) {
    if (at.order_read) calls.push_back("orderBy(" + keys + ")");
    return calls;
}

Calls in_order(const std::vector<std::string>& left_in, const std::vector<std::string>& wanted) {
    if (left_in == wanted) return {};
    return {"select(" + column_references(wanted) + ")"};
}

}  // namespace pyspark

std::string write_pyspark(const CheckedPipeline& checked,
                          const std::vector<SharedColumns>& tables) {
    using namespace pyspark;
    const std::string source = spark_table(checked.source);
    // Each call goes straight into the program, so that the calls are never held beside it.
    std::string program = program_room(checked.span.length);
    program += "(" + source;
    bool any_call = false;
    const auto spelled = [](const PlannedStep& at, const auto& node) { return spell(at, node); };
    walk_steps(checked, tables, spelled, [&](const PlannedStep&, const Calls& calls) {
        for (const std::string& call : calls) program += "\n    ." + call;
        any_call = any_call || !calls.empty();
    });
    if (!any_call) return source;
    program += ")";
    return program;
}

}  // namespace brell
