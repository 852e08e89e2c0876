#pragma once

#include <cstddef>
#include <string_view>

namespace brell {

// How many terminal columns a text takes: one per character, two for the wide East Asian
// characters and the emoji.
std::size_t display_width(std::string_view text);

}  // namespace brell
