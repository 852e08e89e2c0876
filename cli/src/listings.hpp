#pragma once

#include <string>

namespace brell {

// Every word of the language, one per line: "verb", a function's kind, or "word", a tab, the word.
std::string vocabulary_listing();

// Every cell of the seat table, one per line: seat, where it stands, kind, verdict, note.
std::string seats_listing();

}  // namespace brell
