#pragma once

#include <vector>

#include "parse/column_type.hpp"
#include "parse/syntax_tree.hpp"
#include "plan/group_answers.hpp"

namespace brell {

// The summary of a taken-apart summary's aggregates alone: its `by` and one helper per aggregate.
Summarize aggregates_summary(const Summarize& summarize, const GroupAnswers& taken_apart);

// The columns that summary leaves, with their types, for the answers worked out on it. `table`
// is the table the summary reads.
std::vector<TableColumn> aggregates_summary_table(const std::vector<TableColumn>& table,
                                                  const Summarize& summarize,
                                                  const GroupAnswers& taken_apart);

}  // namespace brell
