#pragma once

#include <optional>
#include <string>

#include "parse/borrowed_words.hpp"
#include "parse/token_cursor.hpp"

namespace brell {

// The refusal of a word another language uses where a verb stands (the current token), with the
// sentence rewritten in this grammar's words.
std::string borrowed_verb_refusal(const TokenCursor& cursor, const BorrowedWord& borrowed);

// Where a step ends and the next token is not `then`, what that token shows the writer meant,
// when it is known: `descending` for `desc`, `by` for `on`, one bracket after `by`, a comma
// before `value`. Nothing when the token says nothing more than that a `then` is missing.
std::optional<std::string> expected_instead_of_then(const TokenCursor& cursor);

}  // namespace brell
