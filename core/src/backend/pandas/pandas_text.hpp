#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "parse/syntax_tree.hpp"
#include "text/joined_text.hpp"

namespace brell::pandas {

// The pieces of pandas code every step is written from. Every name and text goes through
// `py_string`, so nothing a column is called can break out of its quotes.

// A column of the frame inside a lambda: `d["region"]`.
std::string frame_column(std::string_view name);

// A Python list of quoted names: `["region", "day"]`.
std::string name_list(const std::vector<std::string>& names);

// The names written in one pair of brackets.
std::vector<std::string> names_of(const ColumnList& list);

// A keyword argument named after a column: `margin=...` when the name can stand bare in Python
// and reads back as itself, else `**{"total sales": ...}`.
std::string keyword_argument(std::string_view name, std::string_view value);

}  // namespace brell::pandas
