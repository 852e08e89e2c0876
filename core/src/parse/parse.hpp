#pragma once

#include <string_view>

#include "diagnostic/result.hpp"
#include "parse/syntax_tree.hpp"

namespace brell {

// The sentence as a syntax tree, or the first refusal (lexical or grammatical) under the words
// at fault.
Result<Pipeline> parse(std::string_view text);

}  // namespace brell
