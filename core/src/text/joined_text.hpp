#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brell {

// The parts in order with the separator between each two of them.
std::string joined(const std::vector<std::string>& parts, std::string_view separator);

}  // namespace brell
