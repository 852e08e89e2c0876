#pragma once

#include <optional>
#include <string>
#include <vector>

#include "backend/sql/sql_dialect.hpp"
#include "plan/helper_names.hpp"

namespace brell {

// A row a widen cannot place: the test that finds it, and the message the query fails with.
struct WidenFault {
    std::string test;
    std::string message;
};

// The rows a widen receives (`previous`), as a query that fails with the first fault's message
// when any row meets its test, or with the shared-cell message when `cell_key` (the quoted
// columns that name a cell) is given and two rows name one cell. It must be worked out on exactly
// the rows the step receives, whatever later steps keep: an optimizer may neither move it below
// an earlier filter or join nor move a later filter below it.
std::string widen_placed_rows(const SqlDialect& dialect, const std::vector<WidenFault>& faults,
                              const std::optional<std::string>& cell_key,
                              const std::string& previous, HelperNames& helpers);

}  // namespace brell
