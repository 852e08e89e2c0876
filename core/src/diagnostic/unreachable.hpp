#pragma once

#include <string_view>

namespace brell {

// Stops the program for a state the checker promises never to pass on. These are faults of
// the program, never answers to input: the text names the broken promise.
[[noreturn]] void unreachable(std::string_view broken_promise);

}  // namespace brell
