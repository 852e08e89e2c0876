#include "plan/whole_number_width.hpp"

#include <cstdint>
#include <limits>
#include <optional>

namespace brell {
namespace {

struct WholeResult {
    std::int64_t number = 0;
    bool passed_32_bits = false;
};

bool outside_32_bits(std::int64_t number) {
    return number < std::numeric_limits<std::int32_t>::min() ||
           number > std::numeric_limits<std::int32_t>::max();
}

std::optional<WholeResult> work_out(const Value& value);

// One step of arithmetic on written whole numbers: its value, and whether it or any step before
// it left 32 bits. Nothing when a side is anything else, or for a division (not whole numbers on
// any engine); an overflow of 64 bits counts as leaving 32.
std::optional<WholeResult> combine(ArithmeticOperator op, const Value& left_value,
                                   const Value& right_value) {
    const std::optional<WholeResult> left = work_out(left_value);
    const std::optional<WholeResult> right = work_out(right_value);
    if (!left || !right) return std::nullopt;
    std::int64_t result = 0;
    bool overflowed = false;
    switch (op) {
        case ArithmeticOperator::Plus:
            overflowed = __builtin_add_overflow(left->number, right->number, &result);
            break;
        case ArithmeticOperator::Minus:
            overflowed = __builtin_sub_overflow(left->number, right->number, &result);
            break;
        case ArithmeticOperator::Times:
            overflowed = __builtin_mul_overflow(left->number, right->number, &result);
            break;
        case ArithmeticOperator::DividedBy:
            return std::nullopt;
    }
    return WholeResult{result, overflowed || left->passed_32_bits || right->passed_32_bits ||
                                   outside_32_bits(result)};
}

std::optional<WholeResult> work_out(const Value& value) {
    if (const auto* whole = std::get_if<Whole>(&value.node)) {
        return WholeResult{whole->number, outside_32_bits(whole->number)};
    }
    if (const auto* arithmetic = std::get_if<Arithmetic>(&value.node)) {
        return combine(arithmetic->op, *arithmetic->left, *arithmetic->right);
    }
    return std::nullopt;
}

}  // namespace

bool whole_arithmetic_passes_32_bits(const Arithmetic& arithmetic) {
    const std::optional<WholeResult> result =
        combine(arithmetic.op, *arithmetic.left, *arithmetic.right);
    return result && result->passed_32_bits;
}

}  // namespace brell
