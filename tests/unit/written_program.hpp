#pragma once

#include <string>
#include <vector>

#include "backend/backend.hpp"
#include "diagnostic/result.hpp"
#include "parse/column_type.hpp"

namespace brell {

// The sentence parsed and checked against one table of `columns`; a parse refusal fails the test.
Result<CheckedPipeline> check_text(const std::string& text,
                                   const std::vector<TableColumn>& columns);

// The program `backend` writes for a sentence the checker and the backend accept; either refusal
// fails the test and gives "".
std::string written_program(const Backend& backend, const std::string& text,
                            const std::vector<TableColumn>& columns);

// The backend's refusal of a sentence the checker accepts, or nothing; a checker refusal fails
// the test.
Verdict backend_refusal(const Backend& backend, const std::string& text,
                        const std::vector<TableColumn>& columns);

}  // namespace brell
