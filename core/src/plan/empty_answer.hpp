#pragma once

#include "parse/syntax_tree.hpp"

namespace brell {

// What an aggregate answers over no rows: over an empty group, or in a widen's cell that no row
// fills. A count (of rows, of values, of different values) is 0; every other aggregate's answer,
// `join_rows` included, is missing.
enum class EmptyAnswer { Missing, Zero };

EmptyAnswer answer_over_no_rows(const Call& aggregate);

// What a widen's cell holds where no row fills it, before `missing` fills it: the answer of its
// aggregate over no rows when the cell is one aggregate, else missing.
EmptyAnswer widen_empty_cell(const Widen& widen);

}  // namespace brell
