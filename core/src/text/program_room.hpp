#pragma once

#include <cstddef>
#include <string>

namespace brell {

// An empty text with room made for what is written from a sentence of `sentence_bytes` bytes:
// eight bytes for each, more than any writer or the text drawing writes for an ordinary step.
// The room is reserved, not written, and the pages of it never written are never resident: a
// program that fits costs only its own size, where a text that grows by doubling holds its old
// and its new copy at once at each doubling. A program longer than the room grows by doubling
// from there.
std::string program_room(std::size_t sentence_bytes);

}  // namespace brell
