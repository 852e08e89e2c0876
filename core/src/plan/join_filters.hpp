#pragma once

#include <vector>

#include "parse/syntax_tree.hpp"
#include "plan/planned_step.hpp"

namespace brell {

// The questions a join step can ask of its other table before joining: the parts (joined by
// `and`) of the `keep` right after an inner join that read only columns the join brings in from
// the other table, not its keys. Keeping the joined rows that answer yes is keeping the other
// table's rows that do, then joining; an engine that joins what it is given (pandas) joins far
// fewer rows so. The keep still asks them after the join, to the same answer. Empty for any other
// join, or when no part reads the other table alone.
std::vector<const Value*> other_table_questions(const PlannedStep& at);

}  // namespace brell
