// The steps that reshape the table: lengthen turns columns into rows, widen rows into columns.
// Both are resolved here completely, so that no writer matches a name pattern again.

#include <algorithm>
#include <map>
#include <set>

#include "check/chooser.hpp"
#include "check/lookup.hpp"
#include "check/seats.hpp"
#include "check/step_checks.hpp"
#include "check/value_types.hpp"
#include "plan/empty_answer.hpp"
#include "plan/name_pattern.hpp"
#include "plan/value_queries.hpp"

namespace brell {
namespace {

std::string phrase(ColumnType type) {
    return std::string(type_phrase(type));
}

std::set<std::string> column_name_set(const Columns& columns) {
    std::set<std::string> names;
    for (const TableColumn& column : columns) names.insert(column.name);
    return names;
}

// A pattern naming one column, as `[x]` does.
NamePattern single_column(const std::string& name, Span span) {
    return NamePattern{{"", ""}, {PatternPiece{name, false}}, true, span};
}

// The columns a lengthen stacks: listed, all but the listed, or chosen by their names.
Result<Columns> stacked_columns(const Lengthen& step, const StepContext& context) {
    const Columns& columns = context.columns;
    Columns stacked;
    if (step.chooser) {
        BRELL_TRY(stacked, choose_columns(*step.chooser, columns));
        if (stacked.empty()) {
            return Diagnostic::illegal(
                "no column's name matches that, so there would be nothing to stack. The table "
                "has: " +
                    column_names(columns),
                step.chooser->span);
        }
        return stacked;
    }
    BRELL_CHECK(look_up_all(step.columns, context.index));
    std::set<std::string> listed;
    for (const ColumnName& name : step.columns.names) listed.insert(name.text);
    if (step.all_but) {
        for (const TableColumn& column : columns) {
            if (listed.count(column.name) == 0) stacked.push_back(column);
        }
    } else {
        std::set<std::string> taken;
        for (const ColumnName& name : step.columns.names) {
            if (taken.insert(name.text).second) {
                stacked.push_back(*look_up_column(name.text, name.span, context.index));
            }
        }
    }
    if (stacked.empty()) {
        return Diagnostic::illegal(
            "this leaves no columns to stack, so the table would not change. Name the columns that "
            "become rows: `lengthen [q1, q2, q3]`",
            context.step_span);
    }
    return stacked;
}

}  // namespace

Outgoing check_lengthen(Lengthen& step, const StepContext& context) {
    BRELL_TRY(Columns stacked, stacked_columns(step, context));
    ColumnType agreed = stacked[0].type;
    const TableColumn* agreed_from = &stacked[0];
    for (const TableColumn& column : stacked) {
        if (!agree(agreed, column.type)) {
            return Diagnostic::illegal("`[" + agreed_from->name + "]` is " + phrase(agreed) +
                                           " and `[" + column.name + "]` is " +
                                           phrase(column.type) +
                                           ", so stacking them would put two kinds of thing in one "
                                           "column. Convert one of them first, or lengthen them "
                                           "separately",
                                       context.step_span);
        }
        if (agreed == ColumnType::Opaque && column.type != ColumnType::Opaque) {
            agreed = column.type;
            agreed_from = &column;
        }
    }

    const NamePattern pattern = step.name ? *step.name : single_column("name", context.step_span);
    const auto value_piece = std::find_if(pattern.pieces.begin(), pattern.pieces.end(),
                                          [](const PatternPiece& piece) { return piece.is_value; });
    const bool has_value_piece = value_piece != pattern.pieces.end();
    const std::size_t value_index = static_cast<std::size_t>(value_piece - pattern.pieces.begin());

    // Take every stacked name apart by the pattern.
    std::vector<std::vector<std::string>> pieces_of;
    for (const TableColumn& column : stacked) {
        auto pieces = match(pattern, column.name);
        if (!pieces) {
            return Diagnostic::illegal("`" + column.name + "` does not look like `" +
                                           write(pattern) +
                                           "`, so there is no way to say which piece of it is "
                                           "which. Every column being stacked has to have the same "
                                           "shape of name",
                                       pattern.span);
        }
        pieces_of.push_back(std::move(*pieces));
    }

    LengthenPlan plan;
    Columns outgoing;
    std::set<std::string> stacked_names;
    for (const TableColumn& column : stacked) stacked_names.insert(column.name);
    for (const TableColumn& column : context.columns) {
        if (stacked_names.count(column.name) == 0) {
            plan.kept.push_back(column.name);
            outgoing.push_back(column);
        }
    }
    for (std::size_t i = 0; i < pattern.pieces.size(); ++i) {
        if (has_value_piece && i == value_index) continue;
        plan.name_columns.push_back(pattern.pieces[i].name);
    }

    // The rows: one group per stacked column, or, with `{value}`, one per combination of the
    // other pieces, each reading one stacked column per value text.
    std::vector<ColumnType> value_types;
    if (!has_value_piece) {
        plan.value_columns.push_back(step.value ? step.value->text : "value");
        value_types.push_back(agreed);
        for (std::size_t c = 0; c < stacked.size(); ++c) {
            plan.groups.push_back(LengthenGroup{pieces_of[c], {stacked[c].name}});
        }
    } else {
        // Value texts and combinations in the order they first appear, each kept once.
        std::vector<std::vector<std::string>> combinations;
        std::set<std::string> value_texts_seen;
        std::set<std::vector<std::string>> combinations_seen;
        std::map<std::pair<std::vector<std::string>, std::string>, std::size_t> column_of;
        for (std::size_t c = 0; c < stacked.size(); ++c) {
            std::vector<std::string> others = pieces_of[c];
            const std::string value_text = others[value_index];
            others.erase(others.begin() + static_cast<std::ptrdiff_t>(value_index));
            if (value_texts_seen.insert(value_text).second) {
                plan.value_columns.push_back(value_text);
            }
            if (combinations_seen.insert(others).second) combinations.push_back(others);
            column_of[{others, value_text}] = c;
        }
        value_types.assign(plan.value_columns.size(), ColumnType::Opaque);
        for (const std::vector<std::string>& others : combinations) {
            LengthenGroup group{others, {}};
            for (std::size_t v = 0; v < plan.value_columns.size(); ++v) {
                const auto found = column_of.find({others, plan.value_columns[v]});
                if (found == column_of.end()) {
                    std::string rest;
                    for (const std::string& piece : others)
                        rest += (rest.empty() ? "" : ", ") + piece;
                    return Diagnostic::illegal(
                        "there is no column for `" + plan.value_columns[v] +
                            "` where the rest of the name is `" + rest +
                            "`, so that row would have a hole in it. Every combination has to be "
                            "there, or the ones that are not have to be left out of the pattern",
                        pattern.span);
                }
                group.sources.push_back(stacked[found->second].name);
                value_types[v] = agreed_type(value_types[v], stacked[found->second].type);
            }
            plan.groups.push_back(std::move(group));
        }
    }

    const std::set<std::string_view> kept(plan.kept.begin(), plan.kept.end());
    std::set<std::string> made;
    const auto make = [&](const std::string& name, ColumnType type) -> Verdict {
        if (kept.count(name) > 0 && made.count(name) == 0) {
            return Diagnostic::illegal("the table already has a column called `" + name +
                                           "`, and this would make a second one. Name them: "
                                           "`lengthen ... as name [question], value [answer]`",
                                       context.step_span);
        }
        if (!made.insert(name).second) {
            return Diagnostic::illegal(
                "`" + name + "` is named twice here, and two columns cannot share one name",
                context.step_span);
        }
        outgoing.push_back(TableColumn{name, type});
        return std::nullopt;
    };
    for (const std::string& name : plan.name_columns) BRELL_CHECK(make(name, ColumnType::Text));
    for (std::size_t v = 0; v < plan.value_columns.size(); ++v) {
        BRELL_CHECK(make(plan.value_columns[v], value_types[v]));
    }
    step.plan = std::move(plan);
    return changed(std::move(outgoing));
}

Outgoing check_widen(Widen& step, const StepContext& context) {
    const Columns& columns = context.columns;
    const auto missing_default = [&](const std::string& what_it_reads) {
        return Diagnostic::illegal(
            "`widen` reads " + what_it_reads +
                " unless it is told otherwise, and this table has no such column. Say where they "
                "come from: `widen name [question], value [answer]`. The table has: " +
                column_names(columns),
            context.step_span);
    };
    if (!step.name) {
        if (!context.index.contains("name")) {
            return missing_default("the new column names out of `[name]`");
        }
        step.name = single_column("name", context.step_span);
    }
    for (const PatternPiece& piece : step.name->pieces) {
        BRELL_TRY(TableColumn found, look_up_column(piece.name, step.name->span, context.index));
        (void)found;
    }
    if (!step.value) {
        if (!context.index.contains("value")) {
            return missing_default("the cells' values out of `[value]`");
        }
        step.value = Value{context.step_span, Column{ColumnName{"value", context.step_span}}};
    }
    const ValueTypes types(context.index);
    BRELL_TRY(ColumnType cell, types.type(*step.value));
    if (holds_window(*step.value)) {
        return seat_refusal(Seat::CellValue, FunctionKind::Window, "", step.value->span);
    }
    // A cell is one value, or one aggregate that picks it; an aggregate worked into a larger
    // value has no pivot that can spell it.
    const auto* whole_call = std::get_if<Call>(&step.value->node);
    const bool aggregate_is_whole =
        whole_call != nullptr && value_kind(*step.value) == FunctionKind::Aggregate &&
        std::none_of(whole_call->arguments.begin(), whole_call->arguments.end(),
                     [](const Value& argument) { return holds_aggregate(argument); });
    if (holds_aggregate(*step.value) && !aggregate_is_whole) {
        return Diagnostic::illegal(
            "a cell of `widen` holds one value, or one aggregate of a value when two rows want the "
            "cell, and this works an aggregate into a larger value. The larger value is an `add` "
            "away: `then add [v] as ... then widen name [question], value total([v])`",
            step.value->span);
    }

    // A truth aggregate's answer over no rows is no or yes, which no engine's pivot fills in.
    if (const std::optional<bool> over_none =
            aggregate_is_whole ? answer_over_no_truths(whole_call->function) : std::nullopt) {
        const std::string name = whole_call->function;
        const std::string word = *over_none ? "yes" : "no";
        return Diagnostic::illegal(
            "`" + name +
                "` cannot make a cell of `widen`: a cell that no row fills asks about no "
                "truths, which `" +
                name + "` answers " + word +
                ", and a pivot leaves such a cell "
                "missing. Ask it with `summarize` first, then widen the answers, filling the cells "
                "no "
                "row fills: `then summarize [v] as " +
                name +
                "(...) by [...] then widen name [...], "
                "value [v] missing " +
                word + " giving [...]`",
            step.value->span);
    }

    // The columns the names and the cells are read from.
    std::set<std::string> used;
    for (const PatternPiece& piece : step.name->pieces) used.insert(piece.name);
    const auto gather = [&](const Value& value, const auto& self) -> void {
        if (const auto* column = std::get_if<Column>(&value.node)) used.insert(column->name.text);
        for (const Value* child : children(value)) self(*child, self);
    };
    gather(*step.value, gather);

    BRELL_CHECK(look_up_all(step.by, context.index));
    WidenPlan plan;
    for (const PatternPiece& piece : step.name->pieces) plan.name_columns.push_back(piece.name);
    if (!step.by.empty()) {
        for (const ColumnName& name : step.by.names) {
            if (used.count(name.text) > 0) {
                return Diagnostic::illegal(
                    "`[" + name.text +
                        "]` is already being used for the names or the "
                        "values, so it cannot also say which rows go together",
                    name.span);
            }
            plan.identifying.push_back(name.text);
        }
    } else {
        for (const TableColumn& column : columns) {
            if (used.count(column.name) == 0) plan.identifying.push_back(column.name);
        }
        if (plan.identifying.empty()) {
            return Diagnostic::illegal(
                "every column here is either the one holding the names or the one holding the "
                "values, so there is nothing left to say which rows go together and the answer "
                "would be one row. Say what identifies a row: `by [student]`",
                context.step_span);
        }
        std::string others;
        for (const std::string& name : plan.identifying)
            others += (others.empty() ? "" : ", ") + name;
        context.notes.push_back(Diagnostic::assumption(
            "`by` was not given, so the rows that go together are the ones agreeing on every other "
            "column: " +
                others + ". Say it outright if that is not what you meant: `by [student]`",
            context.step_span));
    }

    if (step.missing) {
        BRELL_TRY(ColumnType filler, types.type(*step.missing));
        if (holds_aggregate(*step.missing)) {
            return Diagnostic::illegal(
                "`missing` fills one cell at a time, so it cannot be a value that spans a group",
                step.missing->span);
        }
        // An empty cell has no row behind it, so there is no column to read the filler from.
        if (auto read = made_here(*step.missing, column_name_set(columns))) {
            return Diagnostic::illegal(
                "`missing` fills a cell that no row arrived for, so there is no row to read `[" +
                    read->text + "]` from. Write the filler out: `missing 0`",
                read->span);
        }
        if (step.giving.empty()) {
            return Diagnostic::illegal(
                "to say what an empty cell holds, the grammar has to know which cells there are, "
                "and these column names come from the data. Say what this makes: `giving [q1, q2, "
                "q3]`",
                step.missing->span);
        }
        if (!agree(cell, filler)) {
            return Diagnostic::illegal("the cells hold " + phrase(cell) +
                                           " and this fills the empty ones with " + phrase(filler) +
                                           ", which would put two kinds of thing in one column. "
                                           "Fill them with " +
                                           phrase(cell) + " instead",
                                       step.missing->span);
        }
    }

    Columns outgoing;
    const std::set<std::string_view> identifying(plan.identifying.begin(), plan.identifying.end());
    for (const std::string& name : plan.identifying) {
        outgoing.push_back(*look_up_column(name, context.step_span, context.index));
    }
    std::set<std::string> given;
    for (const ColumnName& name : step.giving.names) {
        if (identifying.count(name.text) > 0 && given.count(name.text) == 0) {
            return Diagnostic::illegal("the table already has a column called `" + name.text +
                                           "`, and this would make a second one",
                                       name.span);
        }
        auto pieces = match(*step.name, name.text);
        if (!pieces) {
            return Diagnostic::illegal("`" + name.text + "` does not look like `" +
                                           write(*step.name) +
                                           "`, so this could never make a column of that name",
                                       name.span);
        }
        if (!given.insert(name.text).second) {
            return Diagnostic::illegal(
                "`" + name.text + "` is named twice here, and two columns cannot share one name",
                name.span);
        }
        plan.giving_pieces.push_back(std::move(*pieces));
        outgoing.push_back(TableColumn{name.text, cell});
    }
    step.plan = std::move(plan);
    return changed(std::move(outgoing));
}

}  // namespace brell
