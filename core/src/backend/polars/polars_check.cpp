#include "backend/polars/polars_check.hpp"

#include <algorithm>

#include "backend/python_text.hpp"
#include "parse/canonical.hpp"
#include "parse/overloaded.hpp"
#include "parse/vocabulary.hpp"
#include "plan/step_values.hpp"
#include "plan/value_queries.hpp"

namespace brell::polars {
namespace {

// A polars program reads each table from the Python variable of its name (`schema.orders` from
// an attribute), so every part of the name has to be a Python name, and the first cannot be `pl`,
// which the program reads polars from.
Verdict table_name_refusal(const std::string& table, Span span) {
    const std::size_t first_dot = std::min(table.find('.'), table.size());
    if (table.substr(0, first_dot) == "pl") {
        return Diagnostic::illegal(
            "a polars program reads each table from a Python variable of its name, and `pl` "
            "cannot be one: the program already uses it for polars. Hand the table to polars "
            "under another name and write that: `" +
                table.substr(0, first_dot) + "_table" + table.substr(first_dot) + "`",
            span);
    }
    std::size_t start = 0;
    while (start <= table.size()) {
        const std::size_t dot = std::min(table.find('.', start), table.size());
        const std::string part = table.substr(start, dot - start);
        if (!is_python_identifier(part)) {
            if (!is_python_keyword(part)) {
                return Diagnostic::illegal(
                    "a polars program reads each table from a Python variable of its name, and `" +
                        part +
                        "` holds a character Python does not allow in a name. Give the table a "
                        "name of letters, digits and `_`: `sales_2024`",
                    span);
            }
            const std::string renamed = table.substr(0, dot) + "_table" + table.substr(dot);
            return Diagnostic::illegal(
                "a polars program reads each table from a Python variable of its name, and `" +
                    part +
                    "` is one of Python's own words, so no variable can be called that. Give the "
                    "table another name, here and where the program runs: `" +
                    renamed + "`",
                span);
        }
        start = dot + 1;
    }
    return std::nullopt;
}

// polars' pivot reads its cells from one column, through one aggregate at most.
Verdict widen_cell_refusal(const Step& step, const Widen& widen) {
    if (!widen.value) return std::nullopt;
    const Value& cell = *widen.value;
    if (std::holds_alternative<Column>(cell.node)) return std::nullopt;
    const auto* call = std::get_if<Call>(&cell.node);
    const FunctionEntry* function = call != nullptr ? find_function(call->function) : nullptr;
    const bool aggregate = function != nullptr && function->kind == FunctionKind::Aggregate;
    if (aggregate &&
        (call->arguments.empty() || std::holds_alternative<Column>(call->arguments[0].node))) {
        return std::nullopt;
    }
    // The way out: what the cell works out made a column of its own, then widened.
    const Value made{cell.span, Column{ColumnName{"cell", cell.span}}};
    Widen mended = widen;
    std::string worked_out;
    if (aggregate && !call->arguments.empty()) {
        worked_out = canonical_value(call->arguments[0]);
        Call through = *call;
        through.arguments[0] = made;
        mended.value = Value{cell.span, std::move(through)};
    } else if (aggregate) {
        // An aggregate of no column counts rows: each row brings a one to add up.
        worked_out = "1";
        mended.value = Value{cell.span, Call{"total", cell.span, {made}}};
    } else {
        worked_out = canonical_value(cell);
        mended.value = made;
    }
    return Diagnostic::illegal(
        "polars widens with `pivot`, which reads every cell from one column, so a cell here is a "
        "column or one aggregate of a column. Make this value a column first: `then add [cell] "
        "as " +
            worked_out + " then " + canonical_step(Step{step.span, std::move(mended)}) + "`",
        cell.span);
}

// polars' `str.replace_all` looks for one pattern in every row: what to look for cannot be read
// from a column, whose texts may differ in length from row to row.
Verdict pattern_per_row_refusal(const Step& step) {
    const auto per_row = [](const Call& call) {
        return call.arguments.size() == 3 && !std::holds_alternative<Text>(call.arguments[1].node);
    };
    for (const Value* value : values_of_step(step)) {
        const Call* call = first_call(*value, "replace_text", per_row);
        if (call == nullptr) continue;
        Call written = *call;
        written.arguments[1] = Value{call->arguments[1].span, Text{"-"}};
        return Diagnostic::illegal(
            "polars looks for the same text in every row, so what `replace_text` looks for has to "
            "be written in the sentence, not read from a column. Write it out: `" +
                canonical_value(Value{call->function_span, std::move(written)}) +
                "`, or run this sentence on another target",
            call->arguments[1].span);
    }
    return std::nullopt;
}

Verdict step_refusal(const Step& step) {
    const auto nothing = [](const auto&) -> Verdict { return std::nullopt; };
    return std::visit(
        Overloaded{
            [](const Keep& node) -> Verdict {
                const Value* condition = &node.condition;
                if (const auto* inverted = std::get_if<Not>(&condition->node)) {
                    condition = &*inverted->operand;
                }
                const auto* matching = std::get_if<Matching>(&condition->node);
                if (matching == nullptr) return std::nullopt;
                return table_name_refusal(matching->table.text, matching->table.span);
            },
            [&](const Pick& node) { return nothing(node); },
            [&](const Add& node) { return nothing(node); },
            [&](const Summarize& node) { return nothing(node); },
            [&](const Sort& node) { return nothing(node); },
            [&](const Take& node) { return nothing(node); },
            [](const AddRows& node) {
                return table_name_refusal(node.table.text, node.table.span);
            },
            [&](const AddCombinations& node) { return nothing(node); },
            [&](const DropDuplicates& node) { return nothing(node); },
            [&](const Rename& node) { return nothing(node); },
            [&](const DropMissing& node) { return nothing(node); },
            [&](const FillMissing& node) { return nothing(node); },
            [&](const Lengthen& node) { return nothing(node); },
            [&](const Widen& node) { return widen_cell_refusal(step, node); },
            [](const Join& node) { return table_name_refusal(node.table.text, node.table.span); },
        },
        step.node);
}

}  // namespace

Verdict check_polars(const CheckedPipeline& checked) {
    BRELL_CHECK(table_name_refusal(checked.source, checked.source_span));
    for (const Step& step : checked.steps) {
        BRELL_CHECK(step_refusal(step));
        BRELL_CHECK(pattern_per_row_refusal(step));
    }
    return std::nullopt;
}

}  // namespace brell::polars
