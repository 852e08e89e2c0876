#pragma once

#include "parse/syntax_tree.hpp"

namespace brell {

// Whether the call is a `replace_text` that looks for the empty text, written as such, and puts a
// written text in its place. The empty text is found nowhere, so the text stays as it is (some
// engines would find it between every two characters and put the new text there).
bool replaces_the_empty_text(const Call& call);

}  // namespace brell
