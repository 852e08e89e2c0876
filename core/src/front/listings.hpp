#pragma once

#include <string>

#include "parse/syntax_tree.hpp"

namespace brell {

// Every word of the language, one per line: "verb", a function's kind, or "word", a tab, the word.
std::string vocabulary_listing();

// Every cell of the seat table, one per line: seat, where it stands, kind, verdict, note.
std::string seats_listing();

// The tables a pipeline reads, one per line: the source first, then every table a `keep`
// condition's `matching(...)`, an `add_rows` or a `join` names, in order of first appearance.
std::string needs_listing(const Pipeline& pipeline);

}  // namespace brell
