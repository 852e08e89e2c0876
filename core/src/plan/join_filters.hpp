#pragma once

#include <vector>

#include "parse/syntax_tree.hpp"
#include "plan/planned_step.hpp"

namespace brell {

// The questions a join step can ask of its other table before joining: the parts (joined by
// `and`) of the `keep` right after an inner join that read only columns the join brings in from
// the other table, not its keys. Keeping the joined rows that answer yes is keeping the other
// table's rows that do, then joining; an engine that joins what it is given (pandas) joins far
// fewer rows so. Empty for any other join, or when no part reads the other table alone.
std::vector<const Value*> other_table_questions(const PlannedStep& at);

// The parts of this keep that the join right before it asked of its other table. Every joined row
// answers them yes, so the keep need not ask them again, nor the join carry what only they read.
std::vector<const Value*> questions_asked_before(const PlannedStep& at);

// What this keep still asks: its condition whole when the join before it asked none of its parts,
// else the parts it did not ask (none when it asked them all).
std::vector<const Value*> questions_left_to_ask(const PlannedStep& at);

}  // namespace brell
