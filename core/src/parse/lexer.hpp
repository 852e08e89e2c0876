#pragma once

#include <string_view>
#include <vector>

#include "diagnostic/result.hpp"
#include "parse/token.hpp"

namespace brell {

// The whole text as tokens, or the first lexical refusal (kind Illegal) under the character at
// fault. Any byte sequence is accepted as input; bytes that are not UTF-8 are refused as
// characters that mean nothing.
Result<std::vector<Token>> lex(std::string_view text);

}  // namespace brell
