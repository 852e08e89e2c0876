#pragma once

#include <cstddef>
#include <functional>

namespace brell {

// The stack one run gets. Values may nest a thousand levels deep, and parsing, checking and
// writing each walk that depth recursively; a thread's default stack is too small for that,
// the more so under the sanitizers.
inline constexpr std::size_t kDeepStackBytes = std::size_t{1} << 30;

// A text this short nests at most this many levels (a level takes at least one byte), and its
// run fits in a quarter of the smallest main-thread stack it is run on (kMainStackBytes): an
// opening parenthesis, the dearest level, costs under 8 KiB of stack in an optimised build.
inline constexpr std::size_t kShortTextBytes = 256;
inline constexpr std::size_t kMainStackBytes = std::size_t{8} << 20;

// Runs the work to its end on a stack deep enough for a text of `text_bytes`, and waits for it:
// on a thread with the deep stack, or where it stands when that is deep enough already (inside
// another deep run; or, in an optimised build without the sanitizers, a short text on the
// process's main thread whose stack may grow to kMainStackBytes). Starting a thread costs more
// than a short job does.
void run_with_deep_stack(const std::function<void()>& work,
                         std::size_t text_bytes = kDeepStackBytes);

}  // namespace brell
