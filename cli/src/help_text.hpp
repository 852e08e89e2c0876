#pragma once

#include <string_view>

namespace brell {

// What `--help` prints, and what follows every usage error. Ends with one newline.
std::string_view help_text();

}  // namespace brell
