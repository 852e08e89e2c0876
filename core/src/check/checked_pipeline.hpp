#pragma once

#include <string>
#include <vector>

#include "check/column_type.hpp"
#include "diagnostic/diagnostic.hpp"
#include "parse/syntax_tree.hpp"

namespace brell {

// What the checker hands on when it accepts a pipeline. The writers and drawings only read it.
struct CheckedPipeline {
    std::string source;
    // The steps as the checker leaves them: `pick where`, `add|summarize where` and
    // `keep where any|every` rewritten into their plain forms, inferred join and matching keys
    // written in, and every lengthen and widen resolved.
    std::vector<Step> steps;
    Span span;
    std::vector<TableColumn> columns;                      // the table after the last step
    std::vector<std::vector<TableColumn>> columns_before;  // the table entering each step
    std::vector<Diagnostic> notes;                         // Assumption diagnostics, in order
};

// The described tables as the checker searches them: the named tables in the order given, then
// the head table under the pipeline's own source name.
std::vector<TableDescription> described_tables(std::vector<TableDescription> named,
                                               std::vector<TableColumn> head_columns,
                                               const std::string& source);

// Whether a sort has said what order the rows are in, after a step, given whether it had before:
// `sort` settles it; summarize, add_rows, drop_duplicates, lengthen, widen and join unsettle it;
// every other verb leaves it as it was.
bool order_settled_after(const StepNode& step, bool settled_before);

}  // namespace brell
