// The steps that bring in another table or more rows: join, keep ... matching(...), add_rows
// and add_combinations.

#include <algorithm>
#include <map>
#include <set>

#include "check/lookup.hpp"
#include "check/seats.hpp"
#include "check/step_checks.hpp"
#include "check/value_types.hpp"
#include "parse/canonical.hpp"
#include "plan/value_queries.hpp"
#include "text/suggest.hpp"

namespace brell {
namespace {

std::string phrase(ColumnType type) {
    return std::string(type_phrase(type));
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

// The column names both tables share, in this table's order.
std::vector<std::string> shared_names(const Columns& here, const ColumnIndex& there) {
    std::vector<std::string> shared;
    for (const TableColumn& column : here) {
        if (there.contains(column.name)) shared.push_back(column.name);
    }
    return shared;
}

// The keys a join or `matching(...)` names: looked up on both sides, and of types that can meet.
Verdict check_keys(const std::vector<KeyPair>& keys, const ColumnIndex& here,
                   const TableDescription& other, const ColumnIndex& there) {
    for (const KeyPair& key : keys) {
        auto left = look_up_column(key.left.text, key.left.span, here);
        if (!left) return left.error();
        const TableColumn* right = there.find(key.right.text);
        // `by [id]` names one column for both sides; the same words stand for both.
        const bool written_once = key.left.span == key.right.span;
        if (right == nullptr) {
            std::vector<std::string> candidates;
            for (const TableColumn& column : other.columns) candidates.push_back(column.name);
            const std::string hint =
                written_once ? " If `" + other.name + "` calls it something else, say both: `by [" +
                                   key.left.text + "] is [their_name]`."
                             : "";
            return Diagnostic::illegal("`" + other.name + "` has no column called `" +
                                           key.right.text + "`." +
                                           did_you_mean(suggest(key.right.text, candidates)) +
                                           hint + " It has: " + column_names(other.columns),
                                       key.right.span);
        }
        if (!agree(left->type, right->type)) {
            const std::string named =
                key.left.text == key.right.text
                    ? "`[" + key.left.text + "]`"
                    : "`[" + key.left.text + "]` against `[" + key.right.text + "]`";
            return Diagnostic::illegal(
                named + " is " + phrase(left->type) + " here and " + phrase(right->type) + " in `" +
                    other.name +
                    "`, so the two can never match. Convert one of them "
                    "first",
                written_once ? key.left.span : cover(key.left.span, key.right.span));
        }
    }
    return std::nullopt;
}

// The shared names written in as keys, each naming one column on both sides.
std::vector<KeyPair> inferred_keys(const std::vector<std::string>& shared, Span span) {
    std::vector<KeyPair> keys;
    for (const std::string& name : shared) {
        keys.push_back(KeyPair{ColumnName{name, span}, ColumnName{name, span}});
    }
    return keys;
}

// The question of `matching(..., where ...)`: a yes or no of one row of the other table.
Verdict check_partner_question(const Value& question, const TableDescription& other,
                               const ColumnIndex& there) {
    const ValueTypes types(there);
    BRELL_TRY(ColumnType type, types.type(question));
    if (holds_aggregate(question)) {
        return seat_refusal(Seat::Condition, FunctionKind::Aggregate, "", question.span);
    }
    if (holds_window(question)) {
        return seat_refusal(Seat::Condition, FunctionKind::Window, "", question.span);
    }
    if (type != ColumnType::Truth && type != ColumnType::Opaque) {
        return Diagnostic::illegal(
            "the `where` of `matching` asks which rows of " + other.name +
                " count, so it needs a question that is either yes or no, and this is " +
                phrase(type) + ". Compare it to something: `is`, `>`, `<`, or `in {...}`",
            question.span);
    }
    return std::nullopt;
}

// A name for this table's `name`, clear of every column on either side and of the names
// chosen before it.
std::string free_name(const std::string& name, const ColumnIndex& here, const ColumnIndex& there,
                      const std::set<std::string>& taken) {
    const auto free = [&](const std::string& candidate) {
        return !here.contains(candidate) && !there.contains(candidate) &&
               taken.count(candidate) == 0;
    };
    std::string candidate = name + "_here";
    for (int number = 2; !free(candidate); ++number) {
        candidate = name + "_here_" + std::to_string(number);
    }
    return candidate;
}

// The refusal of a join that would bring back two columns of one name. The way out that always
// works is to rename this table's clashing columns before the join, the join then reading a
// renamed key by its new name: the other table's columns cannot be renamed from here, and
// dropping this table's would drop a key the join reads. The sentence is written out in full,
// from the steps as checked, so that it checks as offered.
Diagnostic clash_refusal(const Join& step, const std::vector<std::string>& clashes,
                         const StepContext& context, const ColumnIndex& there) {
    Rename rename;
    std::map<std::string, std::string> renamed;
    std::set<std::string> taken;
    for (const std::string& name : clashes) {
        const std::string new_name = free_name(name, context.index, there, taken);
        taken.insert(new_name);
        renamed.emplace(name, new_name);
        rename.pairs.push_back(
            NamedValue{ColumnName{new_name, {}}, Value{{}, Column{ColumnName{name, {}}}}});
    }
    Join rewritten = step;
    bool key_renamed = false;
    for (KeyPair& key : rewritten.keys) {
        const auto found = renamed.find(key.left.text);
        if (found == renamed.end()) continue;
        key.left.text = found->second;
        key_renamed = true;
    }
    std::string sentence(context.source);
    for (const Step& before : context.steps_before) sentence += " then " + canonical_step(before);
    sentence += " then " + canonical_step(Step{{}, std::move(rename)});
    sentence += " then " + canonical_step(Step{{}, std::move(rewritten)});
    return Diagnostic::illegal(
        "both tables have " + joined(clashes) +
            ", and a join would bring back two columns of that name. Rename them on this side "
            "before the join" +
            (key_renamed ? ", and join on the key by its new name" : "") + ": `" + sentence + "`",
        context.step_span);
}

}  // namespace

Verdict check_matching(Matching& matching, const StepContext& context) {
    auto found = look_up_table(matching.table, context.described,
                               "this asks for rows matching a table called");
    if (!found) return found.error();
    const TableDescription& other = **found;
    const ColumnIndex there(other.columns);
    if (matching.partners) {
        BRELL_CHECK(check_partner_question(*matching.partners->question, other, there));
        matching.partners->other_columns = other.columns;
    }
    if (matching.keys.empty()) {
        const std::vector<std::string> shared = shared_names(context.columns, there);
        if (shared.empty()) {
            return Diagnostic::illegal(
                "`matching` needs to know which columns say that two rows correspond, and these "
                "tables share no column name. Write it: `matching(" +
                    matching.table.text + ", by [id])`",
                context.step_span);
        }
        matching.keys = inferred_keys(shared, matching.table.span);
        BRELL_CHECK(check_keys(matching.keys, context.index, other, there));
        context.notes.push_back(Diagnostic::assumption(
            "`matching` used " + joined(shared) +
                ", the column names both tables share. Say it to be sure: `matching(" +
                matching.table.text + ", by [" + joined(shared) + "])`",
            context.step_span));
        return std::nullopt;
    }
    return check_keys(matching.keys, context.index, other, there);
}

Outgoing check_join(Join& step, const StepContext& context) {
    const Columns& here = context.columns;
    BRELL_TRY(const TableDescription* found,
              look_up_table(step.table, context.described, "this joins a table called"));
    const TableDescription& other = *found;
    const ColumnIndex there(other.columns);
    if (step.keys.empty()) {
        const std::vector<std::string> shared = shared_names(here, there);
        if (shared.empty()) {
            return Diagnostic::illegal(
                "`join` needs to know which columns say that two rows correspond, and these tables "
                "share no column name. Write it: `join " +
                    step.table.text + " by [id]`, or `join " + step.table.text +
                    " by [customer_id] is [id]` where each table names it differently",
                context.step_span);
        }
        step.keys = inferred_keys(shared, step.table.span);
        // Shared names are keys only if the two columns can ever be equal.
        BRELL_CHECK(check_keys(step.keys, context.index, other, there));
        context.notes.push_back(Diagnostic::assumption(
            "`join` matched on " + joined(shared) +
                ", the column names both tables share. Say it to be sure: `join " +
                step.table.text + " by [" + joined(shared) + "]`",
            context.step_span));
    } else {
        BRELL_CHECK(check_keys(step.keys, context.index, other, there));
    }
    std::set<std::string> right_keys;
    for (const KeyPair& key : step.keys) right_keys.insert(key.right.text);
    // The other table's key columns stay behind; every other column of it crosses over, and
    // must not take the name of a column here, a key column here included.
    std::vector<std::string> clashes;
    for (const TableColumn& column : here) {
        if (right_keys.count(column.name) == 0 && there.contains(column.name)) {
            clashes.push_back(column.name);
        }
    }
    if (!clashes.empty()) return clash_refusal(step, clashes, context, there);
    Columns outgoing = here;
    for (const TableColumn& column : other.columns) {
        if (right_keys.count(column.name) == 0) outgoing.push_back(column);
    }
    return changed(std::move(outgoing));
}

Outgoing check_add_rows(const AddRows& step, const StepContext& context) {
    const Columns& here = context.columns;
    BRELL_TRY(const TableDescription* found,
              look_up_table(step.table, context.described, "this adds rows from a table called"));
    const TableDescription& other = *found;
    const ColumnIndex there(other.columns);
    std::vector<std::string> only_here;
    std::vector<std::string> only_there;
    for (const TableColumn& column : here) {
        if (!there.contains(column.name)) only_here.push_back(column.name);
    }
    for (const TableColumn& column : other.columns) {
        if (!context.index.contains(column.name)) only_there.push_back(column.name);
    }
    if (!only_here.empty() || !only_there.empty()) {
        std::vector<std::string> parts;
        if (!only_here.empty()) {
            parts.push_back("this table has " + joined(only_here) + " and `" + other.name +
                            "` does not");
        }
        if (!only_there.empty()) {
            parts.push_back("`" + other.name + "` has " + joined(only_there) +
                            " and this table does not");
        }
        std::string both = parts[0];
        if (parts.size() == 2) both += ", and " + parts[1];
        return Diagnostic::illegal("`add_rows` needs both tables to have the same columns: " +
                                       both + ". Add what is missing, or drop it with `pick`",
                                   context.step_span);
    }
    for (const TableColumn& column : here) {
        const TableColumn& stacked_on = *there.find(column.name);
        if (!agree(column.type, stacked_on.type)) {
            return Diagnostic::illegal("`[" + column.name + "]` is " + phrase(column.type) +
                                           " here and " + phrase(stacked_on.type) + " in `" +
                                           other.name +
                                           "`, so the two columns cannot be stacked. Convert one "
                                           "of them first, or drop it from both with `pick all_but "
                                           "[" +
                                           column.name + "]`",
                                       context.step_span);
        }
    }
    return context.shared;
}

Outgoing check_add_combinations(const AddCombinations& step, const StepContext& context) {
    BRELL_CHECK(look_up_all(step.columns, context.index));
    BRELL_CHECK(look_up_all(step.by, context.index));
    if (step.columns.names.size() < 2) {
        const bool one = step.columns.names.size() == 1;
        const std::string example = one ? "`add_combinations [" + step.columns.names[0].text +
                                              ", ...]` needs a second column to cross `" +
                                              step.columns.names[0].text + "` against"
                                        : "`add_combinations [region, product]`";
        return Diagnostic::illegal(
            "`add_combinations` crosses two columns or more, and this names " +
                std::string(one ? "one" : "none") +
                ". One column on its own has no combinations to make — its distinct values are "
                "already the values it holds — so the table would come back unchanged. " +
                example,
            step.columns.span);
    }
    // Each column held fixed, with where `by` first names it.
    std::map<std::string_view, Span> held_fixed;
    for (const ColumnName& held : step.by.names) held_fixed.emplace(held.text, held.span);
    for (const ColumnName& crossed : step.columns.names) {
        const auto held = held_fixed.find(crossed.text);
        if (held == held_fixed.end()) continue;
        return Diagnostic::illegal(
            "`[" + crossed.text +
                "]` is being crossed and held fixed at once, and it can only be one. Take it "
                "out of `by` to cross it, or out of the brackets to keep it as the group",
            held->second);
    }
    return context.shared;
}

}  // namespace brell
