// The steps that work on this table alone: keep, pick, add, summarize, sort, take, rename,
// drop_missing and fill_missing.

#include <algorithm>
#include <set>
#include <unordered_map>

#include "check/chooser.hpp"
#include "check/lookup.hpp"
#include "check/seats.hpp"
#include "check/step_checks.hpp"
#include "check/value_types.hpp"
#include "parse/overloaded.hpp"
#include "plan/value_queries.hpp"

namespace brell {
namespace {

std::string phrase(ColumnType type) {
    return std::string(type_phrase(type));
}
// Replaces `value` in a template, in place.
void replace_value_word(Value& value, const std::string& column) {
    if (std::holds_alternative<ValueWord>(value.node)) {
        value.node = Column{ColumnName{column, value.span}};
        return;
    }
    for (Value* child : children(value)) replace_value_word(*child, column);
}

// The `where` form of add and summarize, written out as one item per chosen column.
template <typename Node>
Verdict expand_where(Node& step, const Columns& columns) {
    if (!step.chooser || !step.template_value) return std::nullopt;
    auto chosen = choose_columns(*step.chooser, columns);
    if (!chosen) return chosen.error();
    if (chosen->empty()) {
        return Diagnostic::illegal(
            "no column's name matches that, so this would make nothing. The table has: " +
                column_names(columns),
            step.chooser->span);
    }
    for (const TableColumn& column : *chosen) {
        step.items.push_back(NamedValue{ColumnName{column.name, step.template_value->span},
                                        with_value_as(*step.template_value, column.name)});
    }
    step.chooser.reset();
    step.template_value.reset();
    return std::nullopt;
}

// Two items of one name, and items that read a column made by an earlier item.
Verdict duplicate_items(const std::vector<NamedValue>& items) {
    std::set<std::string> names;
    for (const NamedValue& item : items) {
        if (!names.insert(item.name.text).second) {
            return Diagnostic::illegal(
                "`[" + item.name.text +
                    "]` is made twice in one step, so one of the two would be thrown away. Give "
                    "them different names, or make the second one in a step of its own",
                item.name.span);
        }
    }
    return std::nullopt;
}

Verdict made_in_same_step(const std::vector<NamedValue>& items, std::string_view verb) {
    std::set<std::string> made;
    for (const NamedValue& item : items) {
        if (auto reference = made_here(item.value, made)) {
            const std::string name = reference->text;
            const std::string word(verb);
            return Diagnostic::illegal(
                "`[" + name + "]` is made by this same `" + word +
                    "`, so it is not on the table yet. Every value in one step is worked out from "
                    "the table as it arrives. Make it in a step of its own: `then " +
                    word + " [" + name + "] as ... then " + word + " ...`",
                reference->span);
        }
        made.insert(item.name.text);
    }
    return std::nullopt;
}

}  // namespace

Verdict look_up_all(const ColumnList& names, const ColumnIndex& columns) {
    for (const ColumnName& name : names.names) {
        auto found = look_up_column(name.text, name.span, columns);
        if (!found) return found.error();
    }
    return std::nullopt;
}

Value with_value_as(const Value& template_value, const std::string& column) {
    Value copy = template_value;
    replace_value_word(copy, column);
    return copy;
}

Outgoing check_keep(Keep& step, const StepContext& context) {
    const Columns& columns = context.columns;
    if (auto* over = std::get_if<OverColumns>(&step.condition.node)) {
        BRELL_TRY(Columns chosen, choose_columns(*over->chooser, columns));
        if (chosen.empty()) {
            return Diagnostic::illegal(
                "no column's name matches that, so there is nothing to ask. The table has: " +
                    column_names(columns),
                over->chooser->span);
        }
        const LogicOperator joiner =
            over->quantifier == Quantifier::Any ? LogicOperator::Or : LogicOperator::And;
        const Span span = step.condition.span;
        Value joined = with_value_as(*over->question, chosen[0].name);
        for (std::size_t i = 1; i < chosen.size(); ++i) {
            Value next = with_value_as(*over->question, chosen[i].name);
            joined = Value{span, Logic{joiner, std::move(joined), std::move(next)}};
        }
        step.condition = std::move(joined);
    }
    Value* matching = &step.condition;
    if (auto* negated = std::get_if<Not>(&matching->node)) matching = &*negated->operand;
    if (auto* membership = std::get_if<Matching>(&matching->node)) {
        BRELL_CHECK(check_matching(*membership, context));
        return context.shared;
    }
    const ValueTypes types(context.index);
    BRELL_TRY(ColumnType condition, types.type(step.condition));
    if (holds_aggregate(step.condition)) {
        return seat_refusal(Seat::Condition, FunctionKind::Aggregate, "", step.condition.span);
    }
    if (holds_window(step.condition)) {
        return seat_refusal(Seat::Condition, FunctionKind::Window, "", step.condition.span);
    }
    if (condition != ColumnType::Truth && condition != ColumnType::Opaque) {
        return Diagnostic::illegal(
            "`keep where` needs a question that is either yes or no, and "
            "this is " +
                phrase(condition) + ". Compare it to something: `is`, `>`, `<`, or `in {...}`",
            step.condition.span);
    }
    return context.shared;
}

Outgoing check_pick(Pick& step, const StepContext& context) {
    const Columns& columns = context.columns;
    if (step.chooser) {
        BRELL_TRY(Columns chosen, choose_columns(*step.chooser, columns));
        if (chosen.empty()) {
            return Diagnostic::illegal(
                "no column's name matches that, so this would leave the "
                "table with no columns. It has: " +
                    column_names(columns),
                step.chooser->span);
        }
        step.columns = ColumnList{{}, step.chooser->span};
        for (const TableColumn& column : chosen) {
            step.columns.names.push_back(ColumnName{column.name, step.chooser->span});
        }
        step.chooser.reset();
        step.all_but = false;
        return changed(std::move(chosen));
    }
    BRELL_CHECK(look_up_all(step.columns, context.index));
    std::set<std::string> named;
    for (const ColumnName& name : step.columns.names) {
        if (!named.insert(name.text).second) {
            return Diagnostic::illegal("`" + name.text +
                                           "` is named twice here, and two columns cannot share "
                                           "one name",
                                       name.span);
        }
    }
    Columns outgoing;
    if (step.all_but) {
        for (const TableColumn& column : columns) {
            if (named.count(column.name) == 0) outgoing.push_back(column);
        }
    } else {
        for (const ColumnName& name : step.columns.names) {
            outgoing.push_back(*look_up_column(name.text, name.span, context.index));
        }
    }
    if (outgoing.empty()) {
        return Diagnostic::illegal(
            "this would leave the table with no columns at all. Keep at least one: `pick [a]`, or "
            "name fewer columns to drop",
            context.step_span);
    }
    return changed(std::move(outgoing));
}

Outgoing check_add(Add& step, const StepContext& context) {
    const Columns& columns = context.columns;
    BRELL_CHECK(expand_where(step, columns));
    BRELL_CHECK(look_up_all(step.by, context.index));
    BRELL_CHECK(made_in_same_step(step.items, "add"));
    const ValueTypes types(context.index);
    std::vector<ColumnType> item_types;
    for (const NamedValue& item : step.items) {
        BRELL_TRY(ColumnType item_type, types.type(item.value));
        item_types.push_back(item_type);
        // A window value is worked out within each group too, so `by` does change it.
        if (!step.by.empty() && !holds_aggregate(item.value) && !holds_window(item.value)) {
            context.notes.push_back(Diagnostic::assumption(
                "`[" + item.name.text +
                    "]` does not ask anything about a group, so `by` changes nothing for it. "
                    "Remove `by`, or use a value like `total(...)` that spans the group",
                item.value.span));
        }
    }
    BRELL_CHECK(duplicate_items(step.items));
    // Item names are distinct, so each either replaces a column in its place or comes new.
    Columns outgoing = columns;
    for (std::size_t i = 0; i < step.items.size(); ++i) {
        const std::string& name = step.items[i].name.text;
        if (const TableColumn* existing = context.index.find(name)) {
            outgoing[static_cast<std::size_t>(existing - columns.data())].type = item_types[i];
        } else {
            outgoing.push_back(TableColumn{name, item_types[i]});
        }
    }
    return changed(std::move(outgoing));
}

Outgoing check_summarize(Summarize& step, const StepContext& context) {
    const Columns& columns = context.columns;
    BRELL_CHECK(expand_where(step, columns));
    BRELL_CHECK(look_up_all(step.by, context.index));
    BRELL_CHECK(duplicate_items(step.items));
    BRELL_CHECK(made_in_same_step(step.items, "summarize"));
    // The group columns come out too, so an answer cannot take one of their names.
    std::set<std::string_view> group_names;
    for (const ColumnName& group : step.by.names) group_names.insert(group.text);
    for (const NamedValue& item : step.items) {
        if (group_names.count(item.name.text) == 0) continue;
        return Diagnostic::illegal(
            "`[" + item.name.text +
                "]` says which rows go together, and this would make a second column of that "
                "name. Give the answer a name of its own: `summarize [" +
                item.name.text + "_answer] as ...`",
            item.name.span);
    }
    const ValueTypes types(context.index);
    Columns outgoing;
    for (const ColumnName& name : step.by.names) {
        outgoing.push_back(*look_up_column(name.text, name.span, context.index));
    }
    for (const NamedValue& item : step.items) {
        BRELL_TRY(ColumnType item_type, types.type(item.value));
        if (holds_window(item.value)) {
            return seat_refusal(Seat::GroupAnswer, FunctionKind::Window, item.name.text,
                                item.value.span);
        }
        if (!holds_aggregate(item.value)) {
            return seat_refusal(Seat::GroupAnswer, FunctionKind::Scalar, item.name.text,
                                item.value.span);
        }
        outgoing.push_back(TableColumn{item.name.text, item_type});
    }
    return changed(std::move(outgoing));
}

Outgoing check_sort(const Sort& step, const StepContext& context) {
    for (const SortKey& key : step.keys) {
        BRELL_TRY(TableColumn found,
                  look_up_column(key.column.text, key.column.span, context.index));
        (void)found;
    }
    return context.shared;
}

Outgoing check_take(const Take& step, const StepContext& context) {
    BRELL_CHECK(look_up_all(step.by, context.index));
    return context.shared;
}

Outgoing check_rename(const Rename& step, const StepContext& context) {
    Columns outgoing = context.columns;
    // Where each name stands, kept up to date as the pairs rename one after another.
    std::unordered_map<std::string, std::size_t> position;
    for (std::size_t i = 0; i < outgoing.size(); ++i) position.emplace(outgoing[i].name, i);
    for (const NamedValue& pair : step.pairs) {
        const auto* old_column = std::get_if<Column>(&pair.value.node);
        if (old_column == nullptr) {
            return Diagnostic::illegal(
                "`rename` takes the column to rename, not a value: `rename [" + pair.name.text +
                    "] as [old_name]`. To make a column from a value, use "
                    "`add`",
                pair.value.span);
        }
        const std::string& old_name = old_column->name.text;
        const auto old_position = position.find(old_name);
        if (old_position == position.end()) {
            return look_up_column(old_name, pair.value.span, outgoing).error();
        }
        if (position.count(pair.name.text) > 0) {
            return Diagnostic::illegal("the table already has a column called `" + pair.name.text +
                                           "`, so renaming `" + old_name +
                                           "` to it would leave two of that name. The new name "
                                           "goes first: `rename [new] as [" +
                                           old_name + "]`",
                                       pair.name.span);
        }
        const std::size_t renamed = old_position->second;
        position.erase(old_position);
        position.emplace(pair.name.text, renamed);
        outgoing[renamed].name = pair.name.text;
    }
    return changed(std::move(outgoing));
}

Outgoing check_drop_missing(const DropMissing& step, const StepContext& context) {
    BRELL_CHECK(look_up_all(step.columns, context.index));
    return context.shared;
}

Outgoing check_fill_missing(const FillMissing& step, const StepContext& context) {
    const ValueTypes types(context.index);
    for (const NamedValue& item : step.items) {
        BRELL_TRY(TableColumn column,
                  look_up_column(item.name.text, item.name.span, context.index));
        BRELL_TRY(ColumnType filler, types.type(item.value));
        if (holds_aggregate(item.value)) {
            return seat_refusal(Seat::Filler, FunctionKind::Aggregate, "", item.value.span);
        }
        if (holds_window(item.value)) {
            return seat_refusal(Seat::Filler, FunctionKind::Window, "", item.value.span);
        }
        if (!agree(column.type, filler)) {
            return Diagnostic::illegal("`[" + column.name + "]` is " + phrase(column.type) +
                                           " and this fills it with " + phrase(filler) +
                                           ", which would change what the column holds. Fill it "
                                           "with " +
                                           phrase(column.type) +
                                           " instead, or convert the column first",
                                       item.value.span);
        }
    }
    return context.shared;
}

}  // namespace brell
