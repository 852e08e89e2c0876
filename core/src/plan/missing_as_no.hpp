#pragma once

#include <unordered_set>

#include "parse/syntax_tree.hpp"

namespace brell {

// The tests of a keep's condition whose missing answer may be written as no: the condition itself
// and what it reaches through `and` and `or` alone. `keep` leaves out a row whose condition is
// missing as it leaves out one whose condition says no, and `and` and `or` answer missing only
// where, each missing answer read as no, they would answer no. Every other reader of a test
// (`not`, a comparison of truths, `when`, a function) may tell missing from no, so a comparison
// under one keeps its missing answer.
std::unordered_set<const Value*> tests_read_as_no(const Value& condition);

}  // namespace brell
