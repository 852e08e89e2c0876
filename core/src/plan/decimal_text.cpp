#include "plan/decimal_text.hpp"

#include <array>
#include <charconv>

namespace brell {

std::string positional_decimal(double number) {
    // The largest double has 309 digits before the point; the smallest 1074 after it.
    std::array<char, 1100> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number,
                                       std::chars_format::fixed);
    std::string text(buffer.data(), written.ptr);
    if (text.find('.') == std::string::npos) text += ".0";
    return text;
}

}  // namespace brell
