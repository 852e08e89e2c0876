#include "plan/finite_answer.hpp"

namespace brell {

bool may_answer_non_finite(std::string_view function) {
    return function == "power";
}

}  // namespace brell
