#pragma once

#include <cstdint>
#include <optional>

#include "parse/syntax_tree.hpp"

namespace brell {

// The pieces of `split_text` count from 1. A piece the text does not have, past the last or
// before the first, is missing; a piece that is there and empty ("a,,b" has an empty second
// piece) is an empty text. A piece written as a whole number from 1 up is the same on every row,
// so only whether the text reaches it is left to ask; any other (read from a column, worked out,
// or written below 1) is asked row by row whether it is 1 or more too. This gives the written
// piece, or none.
std::optional<std::int64_t> written_piece(const Value& piece);

}  // namespace brell
