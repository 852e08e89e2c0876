#include "plan/zero_divisor.hpp"

namespace brell {

bool divisor_may_be_zero(const Value& divisor) {
    if (const auto* whole = std::get_if<Whole>(&divisor.node)) return whole->number == 0;
    if (const auto* decimal = std::get_if<Decimal>(&divisor.node)) return decimal->number == 0;
    return true;
}

bool divides_by_second(std::string_view function) {
    return function == "remainder" || function == "whole_quotient" ||
           function == "quotient_remainder";
}

bool divides(const Arithmetic& arithmetic) {
    return arithmetic.op == ArithmeticOperator::DividedBy;
}

}  // namespace brell
