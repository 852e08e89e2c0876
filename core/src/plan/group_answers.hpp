#pragma once

#include <span>
#include <vector>

#include "parse/column_type.hpp"
#include "parse/syntax_tree.hpp"

namespace brell {

// A summary's answers taken apart into the aggregates they ask of each group and what each
// answer works out of them. `round_nearest(total([x]), 2)` is the total of the group, put in a
// helper column, and then the rounding of that column on the summary's one row per group.
// Targets whose engines cannot work a function of a group's answer out inside the grouping
// itself write the summary in these two steps; the answers are the same.
struct GroupAnswers {
    // One helper column per aggregate call, in reading order: its name and the call.
    std::vector<NamedValue> aggregates;
    // Each answer of the summary, its aggregate calls replaced by their helper columns.
    std::vector<NamedValue> answers;
};

// Whether every answer is an aggregate call of its own, which needs no taking apart.
bool answers_are_aggregates(const Summarize& summarize);

// The answers of the summary, taken apart. `table` is the table the summary reads: the helper
// names are none of its columns, nor of the answers' names.
GroupAnswers group_answers(const Summarize& summarize, std::span<const TableColumn> table);

}  // namespace brell
