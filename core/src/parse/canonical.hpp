#pragma once

#include <string>
#include <vector>

#include "parse/syntax_tree.hpp"

namespace brell {

// The language's own one spelling of a value: every operator fully parenthesised.
std::string canonical_value(const Value& value);

// One step in its canonical spelling, without a joining `then`.
std::string canonical_step(const Step& step);

// A column list in one pair of brackets: `[region, revenue]`.
std::string canonical_column_list(const std::vector<ColumnName>& names);

// How a name pattern is written: `[x]` for a single piece with no literal text, else quoted.
std::string canonical_name_spec(const NamePattern& pattern);

// The whole sentence: the source name, then each step on its own line as "  then {step}".
std::string write_canonical(const std::string& source, const std::vector<Step>& steps);

}  // namespace brell
