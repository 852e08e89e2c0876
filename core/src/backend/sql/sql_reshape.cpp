// The bodies of the steps that bring in another table or change the table's shape: keep ...
// matching(...), join, add_rows, add_combinations, lengthen and widen.

#include <algorithm>
#include <set>
#include <unordered_map>

#include "backend/sql/sql_values.hpp"
#include "backend/sql/sql_widen_guard.hpp"
#include "backend/sql/sql_writer.hpp"
#include "diagnostic/unreachable.hpp"
#include "parse/vocabulary.hpp"
#include "plan/helper_names.hpp"
#include "plan/made_column_order.hpp"
#include "plan/value_queries.hpp"
#include "plan/widen_guards.hpp"
#include "text/joined_text.hpp"

namespace brell {
// The other table is cut down to its keys: inside the test Spark reads a name like `step0."a"`
// first as a field of a column `step0` of the tables in reach, so the only columns there are the
// keys, and the step before and the keys go by names none of the keys holds.
std::string matching_body(const SqlStep& at, const Matching& matching, bool negated) {
    const std::string other = quote_table(at.dialect, matching.table.text);
    std::vector<std::string> right_keys;
    HelperNames helpers;
    for (const KeyPair& key : matching.keys) {
        const std::string quoted = quote_name(at.dialect, key.right.text);
        if (std::find(right_keys.begin(), right_keys.end(), quoted) == right_keys.end()) {
            right_keys.push_back(quoted);
        }
        helpers.hold(key.right.text);
    }
    const std::string outer = helpers.name(at.previous);
    const std::string inner = helpers.name("__brell_keys");
    std::vector<std::string> conditions;
    for (const KeyPair& key : matching.keys) {
        conditions.push_back(inner + "." + quote_name(at.dialect, key.right.text) + " = " + outer +
                             "." + quote_name(at.dialect, key.left.text));
    }
    // The partners are the other table's rows that its own question keeps.
    const std::string partners =
        matching.partners
            ? " WHERE " + write_value(at.dialect, *matching.partners->question, ValueContext{})
            : "";
    return "SELECT * FROM " + at.previous + (outer == at.previous ? "" : " " + outer) + " WHERE " +
           (negated ? "NOT " : "") + "EXISTS (SELECT 1 FROM (SELECT " + joined(right_keys, ", ") +
           " FROM " + other + partners + ") " + inner + " WHERE " + joined(conditions, " AND ") +
           ")";
}

std::string spell(const SqlStep& at, const Join& join) {
    // A dotted table is read under a name of one part: DuckDB parses no `"shop"."st".*`. The
    // name is none of the columns of either table, which Spark would read first.
    const bool dotted = join.table.text.find('.') != std::string::npos;
    const std::string other = dotted ? HelperNames(at.result).name("__brell_other")
                                     : quote_table(at.dialect, join.table.text);
    const std::string from_other =
        quote_table(at.dialect, join.table.text) + (dotted ? " " + other : "");
    const std::string word = join.unmatched == Unmatched::This   ? "LEFT JOIN"
                             : join.unmatched == Unmatched::None ? "JOIN"
                                                                 : "FULL JOIN";
    std::vector<std::string> conditions;
    std::vector<std::string> right_keys;
    for (const KeyPair& key : join.keys) {
        conditions.push_back(at.previous + "." + quote_name(at.dialect, key.left.text) + " = " +
                             other + "." + quote_name(at.dialect, key.right.text));
        right_keys.push_back(quote_name(at.dialect, key.right.text));
    }
    std::string left = at.previous + ".*";
    if (join.unmatched == Unmatched::Both) {
        // A row from either side alone still carries its key, under this table's name for it.
        std::vector<std::string> entries;
        for (const TableColumn& column : at.table) {
            const std::string name = quote_name(at.dialect, column.name);
            const auto key =
                std::find_if(join.keys.begin(), join.keys.end(),
                             [&](const KeyPair& pair) { return pair.left.text == column.name; });
            entries.push_back(key == join.keys.end()
                                  ? at.previous + "." + name
                                  : "COALESCE(" + at.previous + "." + name + ", " + other + "." +
                                        quote_name(at.dialect, key->right.text) + ") AS " + name);
        }
        left = joined(entries, ", ");
    }
    // The other table's columns follow this table's in the joined table.
    const std::span<const TableColumn> brought =
        std::span(at.result).subspan(std::min(at.table.size(), at.result.size()));
    return "SELECT " + left + ", " + all_but(at, other, right_keys, brought) + " FROM " +
           at.previous + " " + word + " " + from_other + " ON " + joined(conditions, " AND ");
}

std::string spell(const SqlStep& at, const AddRows& add_rows) {
    const std::string columns = table_columns(at);
    return "SELECT " + columns + " FROM " + at.previous + " UNION ALL SELECT " + columns +
           " FROM " + quote_table(at.dialect, add_rows.table.text);
}

std::string spell(const SqlStep& at, const AddCombinations& combinations) {
    std::vector<std::string> by;
    for (const ColumnName& name : combinations.by.names) by.push_back(name.text);
    // The table aliases, none of them a column's name: Spark reads `a.b` as a field of the column
    // `a` when one such stands in a table in reach, before it looks for a table called `a`.
    HelperNames helpers(at.table);
    std::vector<std::string> grids;
    for (std::size_t k = 0; k < combinations.columns.names.size(); ++k) {
        grids.push_back(helpers.name("__brell_grid" + std::to_string(k)));
    }
    const std::string rows = helpers.name("__brell_rows");
    const auto grid = [&](std::size_t k) { return grids.at(k); };
    std::string grid_sql;
    for (std::size_t k = 0; k < combinations.columns.names.size(); ++k) {
        const std::string& column = combinations.columns.names[k].text;
        std::vector<std::string> selected = by;
        selected.push_back(column);
        const std::string part = "(SELECT DISTINCT " + quoted_names(at.dialect, selected) +
                                 " FROM " + at.previous + " WHERE " +
                                 quote_name(at.dialect, column) + " IS NOT NULL) " + grid(k);
        if (k == 0) {
            grid_sql = part;
        } else if (by.empty()) {
            grid_sql += " CROSS JOIN " + part;
        } else {
            std::vector<std::string> same_group;
            for (const std::string& name : by) {
                const std::string quoted = quote_name(at.dialect, name);
                same_group.push_back(grid(0) + "." + quoted + " = " + grid(k) + "." + quoted);
            }
            grid_sql += " JOIN " + part + " ON " + joined(same_group, " AND ");
        }
    }
    std::unordered_map<std::string_view, std::size_t> crossed_at;  // the first place named
    for (std::size_t k = 0; k < combinations.columns.names.size(); ++k) {
        crossed_at.emplace(combinations.columns.names[k].text, k);
    }
    const std::set<std::string_view> held(by.begin(), by.end());
    std::vector<std::string> new_rows;
    for (const TableColumn& column : at.table) {
        const std::string quoted = quote_name(at.dialect, column.name);
        const auto crossed = crossed_at.find(column.name);
        if (crossed != crossed_at.end()) {
            new_rows.push_back(grid(crossed->second) + "." + quoted);
        } else if (held.count(column.name) > 0) {
            new_rows.push_back(grid(0) + "." + quoted);
        } else {
            new_rows.push_back("NULL AS " + quoted);
        }
    }
    std::vector<std::string> absent;
    for (std::size_t k = 0; k < combinations.columns.names.size(); ++k) {
        const std::string quoted = quote_name(at.dialect, combinations.columns.names[k].text);
        absent.push_back(rows + "." + quoted + " = " + grid(k) + "." + quoted);
    }
    for (const std::string& name : by) {
        const std::string quoted = quote_name(at.dialect, name);
        absent.push_back(rows + "." + quoted + " = " + grid(0) + "." + quoted);
    }
    const std::string columns = table_columns(at);
    return "SELECT " + columns + " FROM " + at.previous + " UNION ALL SELECT " +
           joined(new_rows, ", ") + " FROM " + grid_sql + " WHERE NOT EXISTS (SELECT 1 FROM " +
           at.previous + " " + rows + " WHERE " + joined(absent, " AND ") + ")";
}

std::string spell(const SqlStep& at, const Lengthen& lengthen) {
    if (!lengthen.plan) unreachable("the checker resolves every lengthen");
    const LengthenPlan& plan = *lengthen.plan;
    std::vector<std::string> selects;
    for (const LengthenGroup& group : plan.groups) {
        std::vector<std::string> list;
        for (const std::string& kept : plan.kept) list.push_back(quote_name(at.dialect, kept));
        for (std::size_t n = 0; n < plan.name_columns.size(); ++n) {
            list.push_back(quote_text(at.dialect, group.name_pieces.at(n)) + " AS " +
                           quote_name(at.dialect, plan.name_columns[n]));
        }
        for (std::size_t v = 0; v < plan.value_columns.size(); ++v) {
            list.push_back(quote_name(at.dialect, group.sources.at(v)) + " AS " +
                           quote_name(at.dialect, plan.value_columns[v]));
        }
        selects.push_back("SELECT " + joined(list, ", ") + " FROM " + at.previous);
    }
    return joined(selects, " UNION ALL ");
}

std::string spell(const SqlStep& at, const Widen& widen) {
    if (!widen.plan || !widen.name || !widen.value) unreachable("the checker resolves every widen");
    const WidenPlan& plan = *widen.plan;
    const NamePattern& pattern = *widen.name;
    const SqlDialect& dialect = at.dialect;

    // The new column's name, as each row spells it.
    const bool has_literal =
        std::any_of(pattern.literals.begin(), pattern.literals.end(),
                    [](const std::string& literal) { return !literal.empty(); });
    std::string name_expression;
    if (plan.name_columns.size() == 1 && !has_literal) {
        name_expression = quote_name(dialect, plan.name_columns[0]);
    } else {
        std::vector<std::string> parts;
        for (std::size_t i = 0; i <= plan.name_columns.size(); ++i) {
            if (!pattern.literals[i].empty())
                parts.push_back(quote_text(dialect, pattern.literals[i]));
            if (i < plan.name_columns.size())
                parts.push_back(quote_name(dialect, plan.name_columns[i]));
        }
        name_expression = joined(parts, " || ");
    }

    // The cell each row brings, and the aggregate that makes one cell of them.
    const Value& value = *widen.value;
    const auto* call = std::get_if<Call>(&value.node);
    const FunctionEntry* function = call != nullptr ? find_function(call->function) : nullptr;
    const bool aggregate = function != nullptr && function->kind == FunctionKind::Aggregate;
    // The helper columns stand beside every column the widen reads, and beside each other.
    HelperNames helpers(at.table);
    const std::string cell_name = quote_name(dialect, helpers.name("__brell_cell"));
    const std::string place = row_place_for(dialect, {&value}, at.table);
    std::string cell;
    std::string over_cell;
    if (aggregate && !call->arguments.empty()) {
        cell = write_value(dialect, call->arguments[0], {});
        over_cell = write_aggregate(dialect, *call, cell_name, place);
    } else if (aggregate) {
        cell = "1";  // an aggregate of no column counts the rows: every row brings one
        over_cell = "count(" + cell_name + ")";
    } else {
        cell = write_value(dialect, value, {});
        over_cell = "max(" + cell_name + ")";
    }

    // Each `giving` name as a test on the name columns.
    std::vector<std::string> giving_tests;
    for (const std::vector<std::string>& pieces : plan.giving_pieces) {
        std::vector<std::string> equalities;
        for (std::size_t n = 0; n < plan.name_columns.size(); ++n) {
            equalities.push_back(quote_name(dialect, plan.name_columns[n]) + " = " +
                                 quote_text(dialect, pieces.at(n)));
        }
        giving_tests.push_back(joined(equalities, " AND "));
    }
    // Rows the widen cannot place fail the query instead of vanishing from it. The test stands
    // in a filter, which the engine must work out for every row, rather than in the cell, which
    // an engine leaves out when no later step reads the columns made. The filter must also see
    // exactly the rows this step receives: an optimizer that moved it below an earlier join would
    // fail on rows the join leaves out, and one that moved a later filter below it would let rows
    // it should fail on go unseen.
    std::vector<std::string> missing_names;
    for (const std::string& column : plan.name_columns) {
        missing_names.push_back(quote_name(dialect, column) + " IS NULL");
    }
    std::vector<WidenFault> faults = {
        {joined(missing_names, " OR "), widen_missing_name_message(plan.name_columns)}};
    if (!giving_tests.empty()) {
        std::vector<std::string> wrapped;
        for (const std::string& test : giving_tests) wrapped.push_back("(" + test + ")");
        faults.push_back({"NOT (" + joined(wrapped, " OR ") + ")", widen_unlisted_name_message()});
    }
    std::optional<std::string> cell_key;
    if (!aggregate) {
        std::vector<std::string> key = plan.identifying;
        key.insert(key.end(), plan.name_columns.begin(), plan.name_columns.end());
        cell_key = quoted_names(dialect, key);
    }
    const std::string placed_rows =
        widen_placed_rows(dialect, faults, cell_key, at.previous, helpers);
    const std::string numbered =
        place.empty() ? "" : ", " + std::string(dialect.row_place) + " AS " + place;
    const std::string source =
        "(SELECT *, " + cell + " AS " + cell_name + numbered + " FROM " + placed_rows + ")";
    const std::string identifying = quoted_names(dialect, plan.identifying);

    // A PIVOT that finds its names makes each a text and orders them by its bytes.
    if (made_column_order(widen) == MadeColumnOrder::ByNameBytes) {
        return "SELECT * FROM (PIVOT " + source + " ON " + name_expression + " USING " + over_cell +
               " GROUP BY " + identifying + ")";
    }
    std::vector<std::string> columns;
    const bool filtered_by_value =
        aggregate && call->function == "join_rows" && !dialect.string_agg_takes_filter;
    for (std::size_t g = 0; g < widen.giving.names.size(); ++g) {
        std::string column =
            filtered_by_value
                ? write_aggregate(dialect, *call,
                                  "CASE WHEN " + giving_tests[g] + " THEN " + cell_name + " END",
                                  place)
                : over_cell + " FILTER (WHERE " + giving_tests[g] + ")";
        if (widen.missing) {
            column = "COALESCE(" + column + ", " + write_value(dialect, *widen.missing, {}) + ")";
        }
        columns.push_back(column + " AS " + quote_name(dialect, widen.giving.names[g].text));
    }
    return "SELECT " + identifying + ", " + joined(columns, ", ") + " FROM " + source +
           " GROUP BY " + identifying;
}

}  // namespace brell
