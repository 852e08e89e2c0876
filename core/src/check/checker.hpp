#pragma once

#include <vector>

#include "check/checked_pipeline.hpp"
#include "diagnostic/result.hpp"
#include "parse/column_type.hpp"
#include "parse/syntax_tree.hpp"

namespace brell {

// Follows the columns through every step of the pipeline against the described tables (the
// named ones, then the head table under the pipeline's source name). Returns the checked
// pipeline, with its rewritten steps and its notes, or the first refusal.
Result<CheckedPipeline> check(Pipeline pipeline, const std::vector<TableDescription>& described);

}  // namespace brell
