#pragma once

#include <span>
#include <string>
#include <string_view>

#include "diagnostic/span.hpp"

namespace brell {

// Words other query languages use where this grammar has a word of its own, each with the word
// that replaces it. They are not words of the grammar: `--vocabulary` never lists them, and they
// are only ever read to refuse them with the grammar's word.
enum class BorrowedSeat { Verb, Function };

struct BorrowedWord {
    std::string_view written;  // lowercase; matched with ASCII case ignored
    BorrowedSeat seat;
    // What the word is rewritten as: a verb, a function's name, or a whole call (ending in `()`)
    // for a function whose arguments differ. Empty when nothing stands in for it.
    std::string_view ours;
    std::string_view note;  // said after the rewritten sentence, or empty
};

std::span<const BorrowedWord> borrowed_words();

// The entry for a word written where the grammar expects a word of that seat, or null.
const BorrowedWord* find_borrowed(std::string_view word, BorrowedSeat seat);

// The sentence with the text under `replaced` swapped for `replacement`, white space around it
// trimmed and its line breaks laid flat, as a refusal quotes it.
std::string sentence_with(std::string_view sentence, Span replaced, std::string_view replacement);

// The refusal's message: the word, the grammar's word for it, and the sentence rewritten.
std::string borrowed_message(std::string_view written, std::string_view ours,
                             const std::string& rewritten, std::string_view note);

}  // namespace brell
