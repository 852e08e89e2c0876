#pragma once

#include "check/checked_pipeline.hpp"
#include "diagnostic/result.hpp"

namespace brell::polars {

// What polars cannot be written for, of a pipeline the checker accepted: a table whose name is
// not a Python name, and a widen cell that is not read from one column.
Verdict check_polars(const CheckedPipeline& checked);

}  // namespace brell::polars
