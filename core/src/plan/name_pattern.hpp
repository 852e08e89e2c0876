#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "parse/syntax_tree.hpp"

namespace brell {

// The texts of a pattern's pieces in a column's name, one per piece in order, or none when the
// name does not have the pattern's shape. The first occurrence of each literal ends a piece, and
// no piece may be empty.
std::optional<std::vector<std::string>> match(const NamePattern& pattern, std::string_view name);

// The pattern as written: `[x]` for a bracketed column, else `"{question}_{year}"`.
std::string write(const NamePattern& pattern);

}  // namespace brell
