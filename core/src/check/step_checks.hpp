#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "check/checked_pipeline.hpp"
#include "check/lookup.hpp"
#include "diagnostic/result.hpp"
#include "parse/column_type.hpp"
#include "parse/syntax_tree.hpp"

namespace brell {

using Columns = std::vector<TableColumn>;

// What checking one step may read and add to.
struct StepContext {
    const SharedColumns& shared;  // the table as the step receives it
    const Columns& columns;       // the same table's columns
    const ColumnIndex& index;     // the same columns by name
    const std::vector<TableDescription>& described;
    Span step_span;
    std::vector<Diagnostic>& notes;
    // The sentence so far, as checked: its source table and the steps before this one. A
    // refusal that offers a rewritten sentence writes it from these.
    std::string_view source;
    std::span<const Step> steps_before;
};

// Each verb's checks: the step is refused, or rewritten in place and the outgoing columns given:
// the very list it received when the step leaves the columns as they were, so that steps share
// one list.
using Outgoing = Result<SharedColumns>;

// A new list of outgoing columns, kept at its own size: the checked pipeline holds one for
// every step that changes the columns.
inline SharedColumns changed(Columns columns) {
    columns.shrink_to_fit();
    return std::make_shared<const Columns>(std::move(columns));
}

Outgoing check_keep(Keep& step, const StepContext& context);
Outgoing check_pick(Pick& step, const StepContext& context);
Outgoing check_add(Add& step, const StepContext& context);
Outgoing check_summarize(Summarize& step, const StepContext& context);
Outgoing check_sort(const Sort& step, const StepContext& context);
Outgoing check_take(const Take& step, const StepContext& context);
Outgoing check_rename(const Rename& step, const StepContext& context);
Outgoing check_drop_missing(const DropMissing& step, const StepContext& context);
Outgoing check_fill_missing(const FillMissing& step, const StepContext& context);
Outgoing check_add_combinations(const AddCombinations& step, const StepContext& context);
Outgoing check_add_rows(const AddRows& step, const StepContext& context);
Outgoing check_join(Join& step, const StepContext& context);
Verdict check_matching(Matching& matching, const StepContext& context);
Outgoing check_lengthen(Lengthen& step, const StepContext& context);
Outgoing check_widen(Widen& step, const StepContext& context);

// Every column of `names` looked up in the table, in order.
Verdict look_up_all(const ColumnList& names, const ColumnIndex& columns);

// The value with every `value` word replaced by the column of that name.
Value with_value_as(const Value& template_value, const std::string& column);

}  // namespace brell
