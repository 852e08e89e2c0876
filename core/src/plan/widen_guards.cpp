#include "plan/widen_guards.hpp"

#include "diagnostic/unreachable.hpp"
#include "parse/vocabulary.hpp"

namespace brell {

std::string widen_missing_name_message(const std::vector<std::string>& name_columns) {
    std::string named;
    for (const std::string& column : name_columns) {
        named += std::string(named.empty() ? "" : " or ") + "`[" + column + "]`";
    }
    const std::string& first = name_columns.front();
    return "a row here has a missing " + named +
           ", which names the column its value goes to, so widening would drop it without "
           "saying so. Fill it first: `fill_missing [" +
           first + "] as \"none\"`, or leave such rows out: `drop_missing [" + first + "]`";
}

std::string widen_unlisted_name_message() {
    return "this holds a value that `giving` does not list, so widening would drop those rows "
           "without saying so. Add it to `giving`, or keep only the rows you meant first";
}

std::string widen_shared_cell_message() {
    return "two rows want the same cell, and nothing here says which of them wins. Say what to do "
           "about that with `value average(...)` or `value first(...)`, or summarize before "
           "widening";
}

bool widen_fails_on_shared_cells(const Widen& widen) {
    if (!widen.value) unreachable("the checker resolves every widen");
    const auto* call = std::get_if<Call>(&widen.value->node);
    if (call == nullptr) return true;
    const FunctionEntry* entry = find_function(call->function);
    return entry == nullptr || entry->kind != FunctionKind::Aggregate;
}

}  // namespace brell
