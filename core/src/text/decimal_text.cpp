#include "text/decimal_text.hpp"

#include <array>
#include <charconv>
#include <cstdlib>

namespace brell {

std::string positional_decimal(double number) {
    // The shortest digits that read back as the same number, in scientific form ("1.5e-07"),
    // then laid out positionally with as many zeros as the exponent asks for.
    std::array<char, 64> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number,
                                       std::chars_format::scientific);
    const std::string scientific(buffer.data(), written.ptr);
    const std::size_t e = scientific.find('e');
    std::string mantissa = scientific.substr(0, e);
    const int exponent = std::atoi(scientific.c_str() + e + 1);
    const bool negative = !mantissa.empty() && mantissa[0] == '-';
    if (negative) mantissa.erase(0, 1);
    std::string digits;
    for (char character : mantissa) {
        if (character != '.') digits += character;
    }
    // `digits` is d.ddd: the point stands after the first digit, moved by the exponent.
    const int point = 1 + exponent;
    std::string whole;
    std::string fraction;
    if (point <= 0) {
        whole = "0";
        fraction = std::string(static_cast<std::size_t>(-point), '0') + digits;
    } else if (static_cast<std::size_t>(point) >= digits.size()) {
        whole = digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
    } else {
        whole = digits.substr(0, static_cast<std::size_t>(point));
        fraction = digits.substr(static_cast<std::size_t>(point));
    }
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    return (negative ? "-" : "") + whole + "." + (fraction.empty() ? "0" : fraction);
}

}  // namespace brell
