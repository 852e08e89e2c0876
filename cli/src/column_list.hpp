#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "arguments.hpp"
#include "check/column_type.hpp"

namespace brell {

// One `--columns` list read into columns, or the usage error that refuses it.
std::variant<std::vector<TableColumn>, UsageError> read_column_list(std::string_view list);

}  // namespace brell
