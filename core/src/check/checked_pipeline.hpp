#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "diagnostic/diagnostic.hpp"
#include "parse/column_type.hpp"
#include "parse/syntax_tree.hpp"

namespace brell {

// One table's columns, shared between the steps that leave it as it is.
using SharedColumns = std::shared_ptr<const std::vector<TableColumn>>;

// What the checker hands on when it accepts a pipeline. The writers and drawings only read it.
struct CheckedPipeline {
    std::string source;
    Span source_span;  // where the source table's name stands in the sentence
    // The steps as the checker leaves them: `pick where`, `add|summarize where` and
    // `keep where any|every` rewritten into their plain forms, inferred join and matching keys
    // written in, and every lengthen and widen resolved.
    std::vector<Step> steps;
    Span span;
    std::vector<TableColumn> columns;           // the table after the last step
    std::vector<SharedColumns> columns_before;  // the table entering each step
    std::vector<Diagnostic> notes;              // Assumption diagnostics, in order
    // The sort in force when each step is reached: the index of the sort step that settled the
    // order the rows are in, or none when nothing has (or a later step undid it, or took away
    // one of its columns). Every writer reads its order from here.
    std::vector<std::optional<std::size_t>> sort_in_force;
};

// The described tables as the checker searches them: the named tables in the order given, then
// the head table under the pipeline's own source name.
std::vector<TableDescription> described_tables(std::vector<TableDescription> named,
                                               std::vector<TableColumn> head_columns,
                                               const std::string& source);

// The sort step in force when step `index` is reached, or null.
const Sort* sort_in_force(const CheckedPipeline& checked, std::size_t index);

}  // namespace brell
