// The steps that change the table's shape: add_combinations with tidyr's `complete`, lengthen
// with `pivot_longer` and widen with `pivot_wider`. The checker has resolved each of them, so
// nothing here matches a name pattern again.

#include <algorithm>
#include <set>

#include "backend/dplyr/dplyr_writer.hpp"
#include "backend/dplyr/r_text.hpp"
#include "backend/dplyr/r_values.hpp"
#include "diagnostic/unreachable.hpp"
#include "parse/vocabulary.hpp"
#include "plan/empty_answer.hpp"
#include "plan/helper_names.hpp"
#include "plan/made_column_order.hpp"
#include "plan/value_queries.hpp"
#include "plan/widen_guards.hpp"

namespace brell {
namespace {

bool has_outer_literal(const NamePattern& pattern) {
    return !pattern.literals.front().empty() || !pattern.literals.back().empty();
}

// The one text between every two pieces of a pattern with nothing before its first piece or
// after its last, or nothing when there is no such text.
std::optional<std::string> shared_separator(const NamePattern& pattern) {
    if (pattern.pieces.size() < 2 || has_outer_literal(pattern)) return std::nullopt;
    const std::string& separator = pattern.literals[1];
    for (std::size_t i = 1; i + 1 < pattern.literals.size(); ++i) {
        if (pattern.literals[i] != separator) return std::nullopt;
    }
    return separator;
}

std::size_t occurrences(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

// The word `names_to` reads as "this piece of the name names a column of values".
const std::string kValueWord = ".value";

// A regular expression taking a name apart as the pattern does: each piece is the shortest
// text before the literal that follows it, so the first occurrence of a literal ends a piece.
std::string names_pattern(const NamePattern& pattern) {
    std::string expression = "^" + regex_escaped(pattern.literals.front());
    for (std::size_t i = 0; i < pattern.pieces.size(); ++i) {
        expression += "(.+?)" + regex_escaped(pattern.literals[i + 1]);
    }
    return expression + "$";
}

// `names_to` and how the names are taken apart: `names_sep` splits on every occurrence of its
// text, so it is used only when the pattern has no outer literals and no piece of a stacked name
// holds the separator; otherwise `names_pattern`, which keeps every literal. `names_to` reads
// ".value" as a word of its own, so a name column the user calls that is written as
// `stand_in` there, and renamed after.
std::vector<std::string> name_arguments(const Lengthen& lengthen,
                                        const std::vector<std::string>& stacked,
                                        const std::string& stand_in) {
    const auto made = [&](const std::string& name) {
        return r_text(name == kValueWord ? stand_in : name);
    };
    if (!lengthen.name || lengthen.name->bracketed) {
        return {"names_to = " + made(lengthen.name ? lengthen.name->pieces.front().name : "name")};
    }
    const NamePattern& pattern = *lengthen.name;
    std::vector<std::string> names_to;
    for (const PatternPiece& piece : pattern.pieces) {
        names_to.push_back(piece.is_value ? r_text(kValueWord) : made(piece.name));
    }
    std::vector<std::string> arguments{
        "names_to = " +
        (names_to.size() == 1 ? names_to.front() : "c(" + r_joined(names_to, ", ") + ")")};
    const std::optional<std::string> separator = shared_separator(pattern);
    const bool splits_cleanly =
        separator && std::all_of(stacked.begin(), stacked.end(), [&](const std::string& name) {
            return occurrences(name, *separator) + 1 == pattern.pieces.size();
        });
    if (splits_cleanly) {
        arguments.push_back("names_sep = " + r_text(regex_escaped(*separator)));
    } else if (pattern.pieces.size() > 1 || has_outer_literal(pattern)) {
        arguments.push_back("names_pattern = " + r_text(names_pattern(pattern)));
    }
    return arguments;
}

// `names_glue` writes the new names with the pattern's literals and its pieces in braces; a
// piece is R code there, so a name that is not bare goes in backticks.
std::string names_glue(const NamePattern& pattern) {
    std::string glue = pattern.literals.front();
    for (std::size_t i = 0; i < pattern.pieces.size(); ++i) {
        glue += "{" + r_name(pattern.pieces[i].name) + "}" + pattern.literals[i + 1];
    }
    return glue;
}

// Each cell is worked out first, one row per row of the widened table and name: an aggregate
// over its rows, any other value from its one row (two rows for it fail the query). The cell is
// named so as to be none of the columns it is grouped by, which are all that is left.
std::vector<std::string> cell_calls(const Widen& widen, const std::vector<TableColumn>& table,
                                    std::string& cell_name) {
    const WidenPlan& plan = *widen.plan;
    std::vector<std::string> keys = plan.identifying;
    keys.insert(keys.end(), plan.name_columns.begin(), plan.name_columns.end());
    HelperNames helpers;
    for (const std::string& key : keys) helpers.hold(key);
    cell_name = helpers.name("cell");
    std::string cell = write_r_value(*widen.value, table);
    if (widen_fails_on_shared_cells(widen)) {
        cell = "if (n() > 1) stop(" + r_text(widen_shared_cell_message()) + ") else " + cell;
    }
    return {"summarise(" + r_named(cell_name) + cell + ", .by = " + r_list(keys) + ")"};
}

}  // namespace

Calls spell(const PlannedStep& at, const AddCombinations& combinations) {
    const std::vector<TableColumn>& table = at.table;
    const std::vector<std::string> crossed = names_of(combinations.columns);
    const std::vector<std::string> by = names_of(combinations.by);
    // A missing value is no value to cross: each column is crossed over the values it holds,
    // and a row with a missing one is kept as it is, as the other targets keep it.
    std::vector<std::string> present;
    for (const std::string& name : crossed) {
        present.push_back(r_named(name) + r_name(name) + "[!is.na(" + r_name(name) + ")]");
    }
    const std::string complete = "complete(" + r_joined(present, ", ") + ")";
    std::vector<std::string> calls{complete};
    if (!by.empty()) calls = {"group_by(" + r_names(by) + ")", complete, "ungroup()"};

    // `complete` puts the group columns first, then the crossed ones, then the rest; the step
    // keeps the table's order, so the columns are put back when that moved them.
    std::vector<std::string> completed_order = by;
    completed_order.insert(completed_order.end(), crossed.begin(), crossed.end());
    const std::set<std::string> placed(completed_order.begin(), completed_order.end());
    std::vector<std::string> table_order;
    for (const TableColumn& column : table) {
        table_order.push_back(column.name);
        if (placed.count(column.name) == 0) completed_order.push_back(column.name);
    }
    if (completed_order != table_order) calls.push_back("relocate(" + r_names(table_order) + ")");
    return calls;
}

Calls spell(const PlannedStep& at, const Lengthen& lengthen) {
    const std::vector<TableColumn>& table = at.table;
    if (!lengthen.plan) unreachable("the checker resolves every lengthen");
    const LengthenPlan& plan = *lengthen.plan;
    const std::set<std::string> kept(plan.kept.begin(), plan.kept.end());
    std::vector<std::string> stacked;
    for (const TableColumn& column : table) {
        if (kept.count(column.name) == 0) stacked.push_back(column.name);
    }

    std::vector<std::string> arguments;
    if (lengthen.all_but) {
        arguments.push_back("cols = !c(" + r_names(names_of(lengthen.columns)) + ")");
    } else if (lengthen.chooser) {
        arguments.push_back("cols = c(" + r_names(stacked) + ")");
    } else {
        std::vector<std::string> listed;
        std::set<std::string> seen;
        for (const std::string& name : names_of(lengthen.columns)) {
            if (seen.insert(name).second) listed.push_back(name);
        }
        arguments.push_back("cols = c(" + r_names(listed) + ")");
    }
    HelperNames helpers(table);
    for (const std::string& name : plan.name_columns) helpers.hold(name);
    for (const std::string& name : plan.value_columns) helpers.hold(name);
    const bool stands_in = std::find(plan.name_columns.begin(), plan.name_columns.end(),
                                     kValueWord) != plan.name_columns.end();
    const std::string stand_in = stands_in ? helpers.name("name") : "";
    for (std::string& argument : name_arguments(lengthen, stacked, stand_in)) {
        arguments.push_back(std::move(argument));
    }
    // With a `{value}` piece the value columns are named by the pattern, and there is no one
    // column for `values_to` to name.
    const bool has_value_piece =
        lengthen.name && std::any_of(lengthen.name->pieces.begin(), lengthen.name->pieces.end(),
                                     [](const PatternPiece& piece) { return piece.is_value; });
    if (!has_value_piece) arguments.push_back("values_to = " + r_text(plan.value_columns.front()));
    std::vector<std::string> calls{"pivot_longer(" + r_joined(arguments, ", ") + ")"};
    if (stands_in) calls.push_back("rename(" + r_named(kValueWord) + r_name(stand_in) + ")");
    return calls;
}

// With `giving`, the name columns become factors whose levels are the listed names, so that
// `names_expand` makes every listed column, even one no row fills; a present name that is not
// listed fails the query first. The columns are then picked in the listed order, leaving out the
// combinations of pieces no name lists and the rows' missing names. Without `giving`, the made
// columns come in the order of their names.
std::vector<std::string> giving_calls(const Widen& widen) {
    const WidenPlan& plan = *widen.plan;
    std::vector<std::string> listed;
    std::vector<std::vector<std::string>> levels(plan.name_columns.size());
    for (const std::vector<std::string>& pieces : plan.giving_pieces) {
        std::vector<std::string> equalities;
        for (std::size_t n = 0; n < plan.name_columns.size(); ++n) {
            equalities.push_back(r_name(plan.name_columns[n]) + " == " + r_text(pieces.at(n)));
            const std::string level = r_text(pieces.at(n));
            if (std::find(levels[n].begin(), levels[n].end(), level) == levels[n].end()) {
                levels[n].push_back(level);
            }
        }
        listed.push_back(equalities.size() == 1 ? equalities.front()
                                                : "(" + r_joined(equalities, " & ") + ")");
    }
    for (const std::string& name : plan.name_columns)
        listed.push_back("is.na(" + r_name(name) + ")");
    std::vector<std::string> factors;
    for (std::size_t n = 0; n < plan.name_columns.size(); ++n) {
        const std::string name = r_name(plan.name_columns[n]);
        std::string factor = "factor(" + name + ", levels = c(" + r_joined(levels[n], ", ") + "))";
        if (n == 0) {
            factor = "if (all(" + r_joined(listed, " | ") + ")) " + factor + " else stop(" +
                     r_text(widen_unlisted_name_message()) + ")";
        }
        factors.push_back(r_named(plan.name_columns[n]) + factor);
    }
    return {"mutate(" + r_joined(factors, ", ") + ")"};
}

Calls spell(const PlannedStep& at, const Widen& widen) {
    const std::vector<TableColumn>& table = at.table;
    if (!widen.plan || !widen.name || !widen.value) unreachable("the checker resolves every widen");
    const NamePattern& pattern = *widen.name;
    const bool giving = !widen.giving.empty();
    // A row whose name is missing has no column to go to: the program fails rather than lose it.
    std::vector<std::string> missing_names;
    for (const std::string& name : widen.plan->name_columns) {
        missing_names.push_back("is.na(" + r_name(name) + ")");
    }
    std::vector<std::string> calls = {
        "filter(if (any(" + r_joined(missing_names, " | ") + ")) stop(" +
        r_text(widen_missing_name_message(widen.plan->name_columns)) + ") else TRUE)"};
    if (giving) {
        for (std::string& call : giving_calls(widen)) calls.push_back(std::move(call));
    }
    std::string cell_name;
    for (std::string& call : cell_calls(widen, table, cell_name)) calls.push_back(std::move(call));
    // `pivot_wider` keeps its own columns `.name` and `.value` beside the name columns, so a name
    // column called either is renamed first.
    HelperNames helpers(table);
    helpers.hold(cell_name);
    NamePattern pivoted = pattern;
    std::vector<std::string> name_columns = widen.plan->name_columns;
    std::vector<std::string> renamings;
    for (std::string& name : name_columns) {
        if (name != kValueWord && name != ".name") continue;
        const std::string stand_in = helpers.name("name");
        renamings.push_back(r_named(stand_in) + r_name(name));
        for (PatternPiece& piece : pivoted.pieces) {
            if (piece.name == name) piece.name = stand_in;
        }
        name = stand_in;
    }
    if (!renamings.empty()) calls.push_back("rename(" + r_joined(renamings, ", ") + ")");
    std::vector<std::string> arguments;
    if (!widen.plan->identifying.empty()) {
        arguments.push_back("id_cols = " + r_list(widen.plan->identifying));
    }
    arguments.push_back("names_from = " + r_list(name_columns));
    const bool has_literal =
        std::any_of(pattern.literals.begin(), pattern.literals.end(),
                    [](const std::string& literal) { return !literal.empty(); });
    if (const std::optional<std::string> separator = shared_separator(pattern)) {
        arguments.push_back("names_sep = " + r_text(*separator));
    } else if (has_literal) {
        arguments.push_back("names_glue = " + r_text(names_glue(pivoted)));
    }
    if (giving) arguments.push_back("names_expand = TRUE");
    arguments.push_back("values_from = " + r_name(cell_name));
    if (widen_empty_cell(widen) == EmptyAnswer::Zero) arguments.push_back("values_fill = 0");
    calls.push_back("pivot_wider(" + r_joined(arguments, ", ") + ")");
    const std::vector<std::string>& identifying = widen.plan->identifying;
    switch (made_column_order(widen)) {
        case MadeColumnOrder::AsGiving: {
            std::vector<std::string> kept = identifying;
            for (const std::string& name : names_of(widen.giving)) kept.push_back(name);
            calls.push_back("select(" + r_names(kept) + ")");
            break;
        }
        case MadeColumnOrder::ByNameBytes: {
            // `names_sort` would order the names by the values they are read from (numbers as
            // numbers) and `sort` by the locale's collation; a radix sort orders texts by their
            // bytes.
            std::vector<std::string> quoted;
            for (const std::string& name : identifying) quoted.push_back(r_text(name));
            const std::string made = identifying.empty() ? "tidyselect::peek_vars()"
                                                         : "setdiff(tidyselect::peek_vars(), c(" +
                                                               r_joined(quoted, ", ") + "))";
            calls.push_back("select(" + (identifying.empty() ? "" : r_names(identifying) + ", ") +
                            "all_of(sort(" + made + ", method = \"radix\")))");
            break;
        }
    }
    // The filler goes in every cell left empty: one no row fills (which `values_fill` alone
    // would fill) and one whose row brought a missing value.
    if (widen.missing) {
        calls.push_back("mutate(across(!c(" + r_names(widen.plan->identifying) +
                        "), \\(cell) coalesce(cell, " + write_r_value(*widen.missing, {}) + ")))");
    }
    return calls;
}

}  // namespace brell
