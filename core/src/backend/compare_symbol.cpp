#include "backend/compare_symbol.hpp"

#include "diagnostic/unreachable.hpp"

namespace brell {

std::string_view r_python_compare_symbol(CompareOperator op) {
    switch (op) {
        case CompareOperator::Is:
            return "==";
        case CompareOperator::IsNot:
            return "!=";
        case CompareOperator::Less:
            return "<";
        case CompareOperator::LessOrEqual:
            return "<=";
        case CompareOperator::Greater:
            return ">";
        case CompareOperator::GreaterOrEqual:
            return ">=";
    }
    unreachable("every comparison has a symbol");
}

}  // namespace brell
