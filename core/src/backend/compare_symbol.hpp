#pragma once

#include <string_view>

#include "parse/syntax_tree.hpp"

namespace brell {

// A comparison as R and Python write it: `==`, `!=`, `<`, `<=`, `>`, `>=`.
std::string_view r_python_compare_symbol(CompareOperator op);

}  // namespace brell
