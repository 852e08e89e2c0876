#pragma once

#include <span>
#include <string_view>

namespace brell {

// The names of the backends `--as` can choose, in the fixed order of every listing.
std::span<const std::string_view> backend_names();

// The names joined by ", ", as every message lists them.
std::string_view backend_list();

}  // namespace brell
