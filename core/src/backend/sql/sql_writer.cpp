#include "backend/sql/sql_writer.hpp"

#include <algorithm>
#include <unordered_map>

#include "backend/sql/sql_values.hpp"
#include "backend/step_walk.hpp"
#include "check/lookup.hpp"
#include "diagnostic/unreachable.hpp"
#include "plan/helper_names.hpp"
#include "plan/renamed_names.hpp"
#include "plan/step_reads.hpp"
#include "plan/step_values.hpp"
#include "plan/taken_order.hpp"
#include "plan/value_queries.hpp"
#include "text/program_room.hpp"

namespace brell {
namespace {

std::vector<std::string> names_of(const ColumnList& list) {
    std::vector<std::string> names;
    for (const ColumnName& name : list.names) names.push_back(name.text);
    return names;
}

std::string spell(const SqlStep& at, const Keep& keep) {
    if (const auto membership = kept_membership(keep.condition)) {
        return matching_body(at, *membership->matching, membership->negated);
    }
    return "SELECT * FROM " + at.previous + " WHERE " + write_value(at.dialect, keep.condition, {});
}

std::string spell(const SqlStep& at, const Pick& pick) {
    const std::string listed = quoted_names(at.dialect, names_of(pick.columns));
    if (pick.all_but) {
        std::vector<std::string> left_out;
        for (const std::string& name : names_of(pick.columns)) {
            left_out.push_back(quote_name(at.dialect, name));
        }
        return "SELECT " + all_but(at, "", left_out, at.result) + " FROM " + at.previous;
    }
    return "SELECT " + listed + " FROM " + at.previous;
}

std::string spell(const SqlStep& at, const Add& add) {
    const std::string place = row_place_for(at.dialect, values_of_step(at.step), at.table);
    const ValueContext context{at.sort, names_of(add.by), true, place};
    const auto item_sql = [&](const NamedValue& item) {
        return write_value(at.dialect, item.value, context) + " AS " +
               quote_name(at.dialect, item.name.text);
    };
    const ColumnIndex table(at.table);
    const auto replaces = [&](const NamedValue& item) { return table.contains(item.name.text); };
    std::unordered_map<std::string_view, const NamedValue*> item_named;
    for (const NamedValue& item : add.items) item_named.emplace(item.name.text, &item);
    std::string list;
    const auto append = [&](const std::string& entry) {
        list += (list.empty() ? "" : ", ") + entry;
    };
    if (place.empty() && std::none_of(add.items.begin(), add.items.end(), replaces)) {
        append("*");
    } else {
        // A replaced column keeps its place: the list is written out in the table's order.
        for (const TableColumn& column : at.table) {
            const auto item = item_named.find(column.name);
            append(item == item_named.end() ? quote_name(at.dialect, column.name)
                                            : item_sql(*item->second));
        }
    }
    for (const NamedValue& item : add.items) {
        if (!replaces(item)) append(item_sql(item));
    }
    // Window functions, and the aggregates an add works out over windows, may hand the rows back
    // in another order: the sort in force puts them back.
    const bool has_window =
        std::any_of(add.items.begin(), add.items.end(), [](const NamedValue& item) {
            return holds_window(item.value) || holds_aggregate(item.value);
        });
    // When the add gives a sort key new values, the rows keep the order of the values they had.
    const bool rewrites_key = add_replaces_sort_key(add, at.sort);
    const std::string order =
        has_window && at.sort != nullptr
            ? order_clause(at, write_keys(at.dialect, *at.sort, rewrites_key ? at.previous : ""))
            : "";
    return "SELECT " + list + " FROM " + with_row_place(at.dialect, at.previous, place) + order;
}

std::string spell(const SqlStep& at, const Summarize& summarize) {
    std::vector<std::string> list;
    const std::vector<std::string> by = names_of(summarize.by);
    ValueContext context;
    context.place = row_place_for(at.dialect, values_of_step(at.step), at.table);
    for (const std::string& name : by) list.push_back(quote_name(at.dialect, name));
    for (const NamedValue& item : summarize.items) {
        list.push_back(write_value(at.dialect, item.value, context) + " AS " +
                       quote_name(at.dialect, item.name.text));
    }
    std::string body = "SELECT ";
    for (std::size_t i = 0; i < list.size(); ++i) body += (i == 0 ? "" : ", ") + list[i];
    body += " FROM " + with_row_place(at.dialect, at.previous, context.place);
    if (by.empty()) return body;
    return body + " GROUP BY " + quoted_names(at.dialect, by);
}

std::string spell(const SqlStep& at, const Take& take) {
    const std::string count = std::to_string(take.count);
    const TakenRows rows = taken_rows(take);
    if (!take.with_ties && take.by.empty() && !take.last) {
        if (rows.skipped == 0) return "SELECT * FROM " + at.previous + " LIMIT " + count;
        return "SELECT * FROM " + at.previous + " LIMIT " + std::to_string(rows.most_kept()) +
               " OFFSET " + std::to_string(rows.skipped);
    }
    if (at.sort == nullptr) {
        unreachable(take.with_ties     ? "ties are only reached after a sort"
                    : !take.by.empty() ? "a grouped take is only reached after a sort"
                                       : "take_last is only reached after a sort");
    }
    const std::string outer = write_keys(at.dialect, *at.sort);
    const std::string row = quote_name(at.dialect, HelperNames(at.table).name("__brell_row"));
    if (take.with_ties || !take.by.empty()) {
        const std::string inner = write_keys(at.dialect, taken_order(*at.sort, take.last));
        const std::string numbering = take.with_ties ? "RANK()" : "ROW_NUMBER()";
        return "SELECT " + all_but(at, "", {row}, at.result) + " FROM (SELECT *, " + numbering +
               " OVER (" + partition_clause(at.dialect, names_of(take.by)) + "ORDER BY " + inner +
               ") AS " + row + " FROM " + at.previous + ") WHERE " + row +
               (rows.skipped == 0 ? " <= " + count
                                  : " BETWEEN " + std::to_string(rows.first()) + " AND " + count) +
               order_clause(at, outer);
    }
    return "SELECT * FROM (SELECT * FROM " + at.previous + " ORDER BY " +
           write_keys(at.dialect, taken_order(*at.sort, true)) + " LIMIT " + count + ")" +
           order_clause(at, outer);
}

std::string spell(const SqlStep& at, const Rename& rename) {
    std::unordered_map<std::string, std::string> leaves_as;
    for (Renaming& renaming : renamed_names(rename)) {
        leaves_as.emplace(std::move(renaming.arrived_as), std::move(renaming.leaves_as));
    }
    std::string list;
    for (const TableColumn& column : at.table) {
        std::string entry = quote_name(at.dialect, column.name);
        const auto renamed = leaves_as.find(column.name);
        if (renamed != leaves_as.end() && renamed->second != column.name) {
            entry += " AS " + quote_name(at.dialect, renamed->second);
        }
        list += (list.empty() ? "" : ", ") + entry;
    }
    return "SELECT " + list + " FROM " + at.previous;
}

std::string spell(const SqlStep& at, const DropMissing& drop) {
    std::vector<std::string> names = names_of(drop.columns);
    if (names.empty()) {
        for (const TableColumn& column : at.table) names.push_back(column.name);
    }
    std::string tests;
    for (const std::string& name : names) {
        tests += (tests.empty() ? "" : " AND ") + quote_name(at.dialect, name) + " IS NOT NULL";
    }
    return "SELECT * FROM " + at.previous + " WHERE " + tests;
}

std::string spell(const SqlStep& at, const FillMissing& fill_step) {
    // The first item that fills each column.
    std::unordered_map<std::string_view, const NamedValue*> filling;
    for (const NamedValue& item : fill_step.items) filling.emplace(item.name.text, &item);
    std::string list;
    for (const TableColumn& column : at.table) {
        const std::string name = quote_name(at.dialect, column.name);
        std::string entry = name;
        const auto item = filling.find(column.name);
        if (item != filling.end()) {
            entry = "COALESCE(" + name + ", " + write_value(at.dialect, item->second->value, {}) +
                    ") AS " + name;
        }
        list += (list.empty() ? "" : ", ") + entry;
    }
    return "SELECT " + list + " FROM " + at.previous;
}

std::string spell(const SqlStep& at, const Sort& sort) {
    return "SELECT * FROM " + at.previous + order_clause(at, write_keys(at.dialect, sort));
}

std::string spell(const SqlStep& at, const DropDuplicates&) {
    return "SELECT DISTINCT * FROM " + at.previous;
}

}  // namespace

std::string order_clause(const SqlStep& at, const std::string& keys) {
    return at.order_read ? " ORDER BY " + keys : "";
}

std::string table_columns(const SqlStep& at) {
    std::string list;
    for (const TableColumn& column : at.table) {
        list += (list.empty() ? "" : ", ") + quote_name(at.dialect, column.name);
    }
    return list;
}

std::string all_but(const SqlStep& at, std::string_view relation,
                    const std::vector<std::string>& left_out, std::span<const TableColumn> kept) {
    const std::string prefix = relation.empty() ? "" : std::string(relation) + ".";
    if (!at.dialect.spark) {
        std::string names;
        for (const std::string& name : left_out) names += (names.empty() ? "" : ", ") + name;
        return prefix + "* " + std::string(at.dialect.except_keyword) + " (" + names + ")";
    }
    std::string list;
    for (const TableColumn& column : kept) {
        list += (list.empty() ? "" : ", ") + prefix + quote_name(at.dialect, column.name);
    }
    return list;
}

std::string write_sql(const SqlDialect& dialect, const CheckedPipeline& checked,
                      const std::vector<SharedColumns>& tables) {
    std::string query = program_room(checked.span.length);
    query += "WITH step0 AS (SELECT * FROM " + quote_table(dialect, checked.source) + ")";
    const auto spelled = [&](const PlannedStep& at, const auto& node) {
        return spell(SqlStep{at, dialect, "step" + std::to_string(at.index)}, node);
    };
    walk_steps(checked, tables, spelled, [&](const PlannedStep& at, const std::string& body) {
        query += ",\n     step" + std::to_string(at.index + 1) + " AS (" + body + ")";
    });
    query += "\nSELECT * FROM step" + std::to_string(checked.steps.size());
    return query;
}

}  // namespace brell
