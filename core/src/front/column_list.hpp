#pragma once

#include <string_view>

#include "brell/brell.hpp"

namespace brell {

// One `--columns` list read into columns, or what is wrong with it.
front::ColumnsRead read_column_list(std::string_view list);

}  // namespace brell
