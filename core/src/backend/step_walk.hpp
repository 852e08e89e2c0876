#pragma once

#include <variant>
#include <vector>

#include "check/checked_pipeline.hpp"
#include "plan/planned_step.hpp"

namespace brell {

// The pipeline's steps, in order, each with what is decided around it. `tables` holds the table
// each step receives.
std::vector<PlannedStep> planned_steps(const CheckedPipeline& checked,
                                       const std::vector<SharedColumns>& tables);

// The one walk over a pipeline's steps that every program writer shares. `spell(at, node)`
// spells one step of any kind (a writer lacking the spelling of a kind does not compile), and
// `use(at, spelled)` takes each step's spelling as soon as it is made.
template <typename Spell, typename Use>
void walk_steps(const CheckedPipeline& checked, const std::vector<SharedColumns>& tables,
                const Spell& spell, Use&& use) {
    for (const PlannedStep& at : planned_steps(checked, tables)) {
        use(at, std::visit([&](const auto& node) { return spell(at, node); }, at.step.node));
    }
}

}  // namespace brell
