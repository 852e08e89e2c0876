#include "backend/dplyr/dplyr_backend.hpp"

#include "backend/dplyr/dplyr_writer.hpp"
#include "parse/vocabulary.hpp"

namespace brell {
namespace {

// `pivot_wider` reads each cell from one column (`values_from`), summed up by a function when two
// rows want the same cell (`values_fn`). A cell that is a column, or one aggregate of a column,
// has that spelling; a cell worked out from anything else has none.
Verdict check_cell(const Value& cell) {
    if (std::holds_alternative<Column>(cell.node)) return std::nullopt;
    const auto* call = std::get_if<Call>(&cell.node);
    const FunctionEntry* entry = call != nullptr ? find_function(call->function) : nullptr;
    const bool aggregate = entry != nullptr && entry->kind == FunctionKind::Aggregate;
    if (aggregate && call->arguments.empty()) {
        return Diagnostic::illegal(
            "dplyr's `pivot_wider` reads the cells from one column, and `" + call->function +
                "()` reads none. Count a column of ones instead: `then add [one] as 1 then widen "
                "... value total([one])`",
            cell.span);
    }
    if (aggregate && std::holds_alternative<Column>(call->arguments.front().node)) {
        return std::nullopt;
    }
    const std::string example =
        aggregate ? "`then add [cell] as ... then widen ... value " + call->function + "([cell])`"
                  : "`then add [cell] as ... then widen ... value [cell]`";
    return Diagnostic::illegal(
        "dplyr's `pivot_wider` reads the cells from one column, so a cell worked out from a value "
        "has no spelling here. Make the value a column with `add` first: " +
            example,
        cell.span);
}

class DplyrBackend final : public Backend {
  public:
    std::string_view name() const override { return "dplyr"; }

    Verdict check(const CheckedPipeline& checked) const override {
        for (const Step& step : checked.steps) {
            const auto* widen = std::get_if<Widen>(&step.node);
            if (widen == nullptr || !widen->value) continue;
            if (Verdict refused = check_cell(*widen->value)) return refused;
        }
        return std::nullopt;
    }

    std::string write(const CheckedPipeline& checked,
                      const std::vector<SharedColumns>& tables) const override {
        return write_dplyr(checked, tables);
    }
};

}  // namespace

std::unique_ptr<Backend> make_dplyr_backend() {
    return std::make_unique<DplyrBackend>();
}

}  // namespace brell
