#include "plan/widen_guards.hpp"

#include "diagnostic/unreachable.hpp"
#include "parse/vocabulary.hpp"

namespace brell {

bool widen_fails_on_shared_cells(const Widen& widen) {
    if (!widen.value) unreachable("the checker resolves every widen");
    const auto* call = std::get_if<Call>(&widen.value->node);
    if (call == nullptr) return true;
    const FunctionEntry* entry = find_function(call->function);
    return entry == nullptr || entry->kind != FunctionKind::Aggregate;
}

}  // namespace brell
