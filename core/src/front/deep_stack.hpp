#pragma once

#include <cstddef>
#include <functional>

namespace brell {

// The stack one run gets. Values may nest a thousand levels deep, and parsing, checking and
// writing each walk that depth recursively; a thread's default stack is too small for that,
// the more so under the sanitizers.
inline constexpr std::size_t kDeepStackBytes = std::size_t{1} << 30;

// Runs the work to its end on a thread with the deep stack, and waits for it.
void run_with_deep_stack(const std::function<void()>& work);

}  // namespace brell
