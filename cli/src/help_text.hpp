#pragma once

#include <string>

namespace brell {

// What `--help` prints, and what follows every usage error. Ends with one newline. The backends
// and the ways of drawing are read from their own lists.
std::string help_text();

// What `--version` prints: the program's name and the project's version, and a newline.
std::string version_text();

}  // namespace brell
