#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "parse/syntax_tree.hpp"

namespace brell {

// The most decimal places `round_nearest` keeps: a number holds about 15 significant digits.
constexpr std::int64_t kMostPlaces = 15;

// `round_nearest([x], n)` is the number with n decimal places (0 when n is not written) nearest
// to x, a half going away from zero. Engines disagree on halves (some round them to even) and on
// numbers a hair off a half in binary, so every target works it out with the same arithmetic on
// binary floating point, which gives the same bits everywhere:
//
//   s = |x| * scale;  r = floor(s + s / nudge_divisor + 0.5) / scale
//   answer: x where s >= unrounded_from, else r with the sign of x (0 - r, never a -0).
//
// 2.675 is stored a hair below the half it was written as; s / 2^51 (twice the most that storing
// x and scaling it can lose) carries it over, and is too small to carry a number of at most 15
// significant digits that is not a half. From 10^14 on there is no digit left to round: the
// number is its own answer.
struct NearestRounding {
    std::string scale;  // 10^n, written so that every engine reads a floating-point number: "1e2"
    std::string_view nudge_divisor = "2251799813685248";  // 2^51
    std::string_view unrounded_from = "1e14";
};

NearestRounding nearest_rounding(const Call& call);

}  // namespace brell
