#include "plan/between_bounds.hpp"

namespace brell {

Value between_as_comparisons(const Call& between) {
    const Value& subject = between.arguments.at(0);
    const Value& low = between.arguments.at(1);
    const Value& high = between.arguments.at(2);
    Value above{low.span, Compare{CompareOperator::GreaterOrEqual, subject, low}};
    Value below{high.span, Compare{CompareOperator::LessOrEqual, subject, high}};
    return Value{between.function_span,
                 Logic{LogicOperator::And, std::move(above), std::move(below)}};
}

}  // namespace brell
