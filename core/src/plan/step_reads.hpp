#pragma once

#include "parse/syntax_tree.hpp"

namespace brell {

// Every value of one step is worked out from the table as the step receives it. A writer that
// works a step's items out one after another, each on what the one before it wrote, must work
// them out together where a later item could read what an earlier one wrote. These say where.

// Whether a filler of the step reads a column that an earlier filler of the same step fills
// (`fill_missing [a] as [b], [b] as [a]`).
bool fill_reads_filled(const FillMissing& fill);

// Whether an item of the add gives new values to a key of the sort in force (null when none),
// which orders the rows that the add's values worked out along them read.
bool add_replaces_sort_key(const Add& add, const Sort* sort);

// Whether an item of the add gives new values to a column that the add's values read without
// naming it: a key of the sort in force, or a `by` column, which groups every value of the step.
bool add_replaces_unnamed_read(const Add& add, const Sort* sort);

}  // namespace brell
