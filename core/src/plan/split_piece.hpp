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

// The empty text is found nowhere, as `replace_text` finds it nowhere: a text cut at it is one
// piece, the whole text, and every other piece is missing (engines would cut it between every
// two characters, give nothing, or fail). What a writer asks of the separator:
enum class SplitSeparator {
    // Written as the empty text: the text is not cut at all.
    Empty,
    // Written as any other value: the text is cut at it on every row.
    Written,
    // Read from a column or worked out: empty on some rows, perhaps, and those are not cut.
    PerRow,
};

SplitSeparator split_separator(const Value& separator);

}  // namespace brell
