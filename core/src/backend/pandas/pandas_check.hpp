#pragma once

#include "check/checked_pipeline.hpp"
#include "diagnostic/result.hpp"

namespace brell::pandas {

// What pandas cannot spell of a pipeline the checker accepted: a grouped aggregate of a worked-
// out value in `add ... by`, a `widen` cell that is not one column (or one aggregate of one),
// and a table whose name cannot stand bare in Python code.
Verdict check_for_pandas(const CheckedPipeline& checked);

}  // namespace brell::pandas
