// The walk over the steps: one dplyr call per step (a few for a grouped `add_combinations` and
// the steps whose columns dplyr would otherwise put in another order), joined into one pipe chain.

#include "backend/dplyr/dplyr_writer.hpp"

#include <algorithm>
#include <set>
#include <unordered_map>

#include "backend/dplyr/r_text.hpp"
#include "backend/dplyr/r_values.hpp"
#include "backend/step_walk.hpp"
#include "diagnostic/unreachable.hpp"
#include "plan/renamed_names.hpp"
#include "plan/taken_order.hpp"
#include "plan/target_profile.hpp"
#include "plan/value_queries.hpp"
#include "text/program_room.hpp"

namespace brell {
namespace {

// A missing key matches nothing, as in a database join: dplyr pairs missing keys with each other
// unless told `na_matches = "never"`.
std::string missing_keys_unpaired() {
    return profile_of("dplyr").joins_pair_missing_keys ? ", na_matches = \"never\"" : "";
}

// Join keys as `join_by` reads them: this table's column, then the other's.
std::string key_pairs(const std::vector<KeyPair>& keys) {
    std::vector<std::string> pairs;
    for (const KeyPair& key : keys) {
        pairs.push_back(r_name(key.left.text) + " == " + r_name(key.right.text));
    }
    return "join_by(" + r_joined(pairs, ", ") + ")";
}

Calls spell(const PlannedStep& at, const Keep& keep) {
    if (const auto membership = kept_membership(keep.condition)) {
        const Matching& matching = *membership->matching;
        // The partners are the other table's rows that its own question keeps.
        std::string partners = r_name(matching.table.text);
        if (matching.partners) {
            partners =
                "filter(" + partners + ", " +
                write_r_value(*matching.partners->question, matching.partners->other_columns) + ")";
        }
        return {std::string(membership->negated ? "anti_join" : "semi_join") + "(" + partners +
                ", by = " + key_pairs(matching.keys) + missing_keys_unpaired() + ")"};
    }
    return {"filter(" + write_r_value(keep.condition, at.table) + ")"};
}

// The items of `mutate` or `summarise`, and `.by` when the step groups.
std::string items_call(std::string_view verb, const std::vector<NamedValue>& items,
                       const ColumnList& by, const std::vector<TableColumn>& table) {
    std::vector<std::string> arguments;
    for (const NamedValue& item : items) {
        arguments.push_back(r_named(item.name.text) + write_r_value(item.value, table));
    }
    if (!by.empty()) arguments.push_back(".by = " + r_list(names_of(by)));
    return std::string(verb) + "(" + r_joined(arguments, ", ") + ")";
}

std::string sort_call(const Sort& sort) {
    std::vector<std::string> keys;
    for (const SortKey& key : sort.keys) {
        const std::string column = r_name(key.column.text);
        if (sort.missing_first) keys.push_back("!is.na(" + column + ")");
        keys.push_back(key.descending ? "desc(" + column + ")" : column);
    }
    return "arrange(" + r_joined(keys, ", ") + ")";
}

// `take ... with ties` keeps the rows whose rank in the sort's order (from the other end for
// `take_last`), missing values placed as the sort places them, is within the count. A filter
// leaves the kept rows in the sort's order, where dplyr's `slice_min` and `slice_max` would
// reorder them and leave out missing values.
std::string ties_call(const Take& take, const Sort& sort) {
    const Sort order = taken_order(sort, take.last);
    std::vector<std::string> keys;
    std::vector<std::string> directions;
    std::vector<std::string> missing;
    for (const SortKey& key : order.keys) {
        keys.push_back(r_name(key.column.text));
        directions.push_back(key.descending ? "\"desc\"" : "\"asc\"");
        // A missing value comes first as the smallest going up, and as the largest going down.
        missing.push_back(order.missing_first == key.descending ? "\"largest\"" : "\"smallest\"");
    }
    const bool one = keys.size() == 1;
    const std::string rank =
        "vctrs::vec_rank(" + (one ? keys.front() : "tibble(" + r_joined(keys, ", ") + ")") +
        ", ties = \"min\", direction = " +
        (one ? directions.front() : "c(" + r_joined(directions, ", ") + ")") +
        ", na_value = " + (one ? missing.front() : "c(" + r_joined(missing, ", ") + ")") + ")";
    std::string call = "filter(" + rank + " <= " + std::to_string(take.count);
    if (!take.by.empty()) call += ", .by = " + r_list(names_of(take.by));
    return call + ")";
}

// A grouped take keeps each group's first (or last) rows where they stand in the sort's order;
// dplyr's `slice_head(by = )` would gather them group by group.
Calls spell(const PlannedStep& at, const Take& take) {
    const std::string count = std::to_string(take.count);
    if (take.with_ties) {
        if (at.sort == nullptr) unreachable("ties are only reached after a sort");
        return {ties_call(take, *at.sort)};
    }
    const TakenRows rows = taken_rows(take);
    if (rows.skipped > 0) {
        // `slice(11:15)` would build the whole sequence of places, however far it reaches.
        std::string call =
            "filter(between(row_number(), " + std::to_string(rows.first()) + ", " + count + ")";
        if (!take.by.empty()) call += ", .by = " + r_list(names_of(take.by));
        return {call + ")"};
    }
    if (!take.by.empty()) {
        return {std::string("filter(") +
                (take.last ? "row_number() > n() - " + count : "row_number() <= " + count) +
                ", .by = " + r_list(names_of(take.by)) + ")"};
    }
    return {std::string(take.last ? "tail" : "head") + "(" + count + ")"};
}

// Renames apply one after another, while `rename` renames all at once; a pair that renames a
// column an earlier pair made is folded into that pair, so each column is renamed once.
Calls spell(const PlannedStep&, const Rename& rename) {
    std::vector<std::string> pairs;
    for (const Renaming& renaming : renamed_names(rename)) {
        if (renaming.leaves_as == renaming.arrived_as) continue;
        pairs.push_back(r_named(renaming.leaves_as) + r_name(renaming.arrived_as));
    }
    return {"rename(" + r_joined(pairs, ", ") + ")"};
}

void gather_columns_read(const Value& value, std::set<std::string_view>& read) {
    if (const auto* column = std::get_if<Column>(&value.node)) read.insert(column->name.text);
    for (const Value* part : children(value)) gather_columns_read(*part, read);
}

// `mutate` works its items out one after another, each seeing the columns the items before it
// made, while every filler reads the table as it arrives. So an item whose filler reads a column
// that another item fills is written before that item. (Two fillers that each read the other's
// column cannot both come first; they keep the order they were written in.)
Calls spell(const PlannedStep& at, const FillMissing& fill_step) {
    const std::vector<NamedValue>& items = fill_step.items;
    std::unordered_map<std::string_view, std::vector<std::size_t>> items_filling;
    for (std::size_t i = 0; i < items.size(); ++i) items_filling[items[i].name.text].push_back(i);
    // For each item, the other items whose columns its filler reads; and for each item, how many
    // items not yet written read its column, so must come before it.
    std::vector<std::vector<std::size_t>> reads(items.size());
    std::vector<std::size_t> waiting_readers(items.size(), 0);
    for (std::size_t reader = 0; reader < items.size(); ++reader) {
        std::set<std::string_view> read;
        gather_columns_read(items[reader].value, read);
        for (std::string_view name : read) {
            const auto filled = items_filling.find(name);
            if (filled == items_filling.end()) continue;
            for (std::size_t item : filled->second) {
                if (item == reader) continue;
                reads[reader].push_back(item);
                ++waiting_readers[item];
            }
        }
    }
    // Each time, the first item in the written order that no unwritten item reads, or else the
    // first unwritten item.
    std::set<std::size_t> remaining;
    std::set<std::size_t> ready;
    for (std::size_t i = 0; i < items.size(); ++i) {
        remaining.insert(i);
        if (waiting_readers[i] == 0) ready.insert(i);
    }
    std::vector<std::string> arguments;
    bool cycle = false;
    while (!remaining.empty()) {
        cycle = cycle || ready.empty();
        const std::size_t next = ready.empty() ? *remaining.begin() : *ready.begin();
        remaining.erase(next);
        ready.erase(next);
        for (std::size_t item : reads[next]) {
            if (--waiting_readers[item] == 0 && remaining.count(item) > 0) ready.insert(item);
        }
        const std::string& name = items[next].name.text;
        arguments.push_back(r_named(name) + "coalesce(" + r_name(name) + ", " +
                            write_r_value(items[next].value, at.table) + ")");
    }
    // Fillers that read each other's columns round a cycle are all worked out at once, as the
    // arguments of one function, whose columns `mutate` then puts in place.
    if (cycle) {
        return {"mutate(vctrs::data_frame(" + r_joined(arguments, ", ") +
                ", .name_repair = \"minimal\"))"};
    }
    return {"mutate(" + r_joined(arguments, ", ") + ")"};
}

Calls spell(const PlannedStep&, const Join& join) {
    const std::string_view word = join.unmatched == Unmatched::This   ? "left_join"
                                  : join.unmatched == Unmatched::None ? "inner_join"
                                                                      : "full_join";
    return {std::string(word) + "(" + r_name(join.table.text) + ", by = " + key_pairs(join.keys) +
            missing_keys_unpaired() + ")"};
}

Calls spell(const PlannedStep&, const Pick& pick) {
    const std::string names = r_names(names_of(pick.columns));
    return {pick.all_but ? "select(!c(" + names + "))" : "select(" + names + ")"};
}

Calls spell(const PlannedStep& at, const Add& add) {
    return {items_call("mutate", add.items, add.by, at.table)};
}

Calls spell(const PlannedStep& at, const Summarize& summarize) {
    return {items_call("summarise", summarize.items, summarize.by, at.table)};
}

Calls spell(const PlannedStep& at, const Sort& sort) {
    return at.order_read ? Calls{sort_call(sort)} : Calls{};
}

Calls spell(const PlannedStep&, const AddRows& add_rows) {
    return {"bind_rows(" + r_name(add_rows.table.text) + ")"};
}

Calls spell(const PlannedStep&, const DropDuplicates&) {
    return {"distinct()"};
}

Calls spell(const PlannedStep&, const DropMissing& drop) {
    return {"drop_na(" + r_names(names_of(drop.columns)) + ")"};
}

}  // namespace

std::vector<std::string> names_of(const ColumnList& list) {
    std::vector<std::string> names;
    for (const ColumnName& name : list.names) names.push_back(name.text);
    return names;
}

std::string write_dplyr(const CheckedPipeline& checked, const std::vector<SharedColumns>& tables) {
    std::string program = program_room(checked.span.length);
    program += r_name(checked.source);
    const auto spelled = [](const PlannedStep& at, const auto& node) { return spell(at, node); };
    walk_steps(checked, tables, spelled, [&](const PlannedStep&, const Calls& calls) {
        for (const std::string& call : calls) program += " |>\n  " + call;
    });
    return program;
}

}  // namespace brell
