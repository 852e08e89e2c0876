#include "plan/join_filters.hpp"

#include <algorithm>
#include <set>
#include <string>

#include "plan/columns_read.hpp"

namespace brell {
namespace {

void and_parts(const Value& value, std::vector<const Value*>& parts) {
    if (const auto* logic = std::get_if<Logic>(&value.node);
        logic && logic->op == LogicOperator::And) {
        and_parts(*logic->left, parts);
        and_parts(*logic->right, parts);
        return;
    }
    parts.push_back(&value);
}

// Whether the value asks another table (`matching`), which is asked of the joined rows alone.
bool asks_another_table(const Value& value) {
    if (std::holds_alternative<Matching>(value.node)) return true;
    const std::vector<const Value*> parts = children(value);
    return std::any_of(parts.begin(), parts.end(),
                       [](const Value* part) { return asks_another_table(*part); });
}

}  // namespace

std::vector<const Value*> other_table_questions(const PlannedStep& at) {
    const auto& join = std::get<Join>(at.step.node);
    if (join.unmatched != Unmatched::None || at.index + 1 >= at.steps.size()) return {};
    const auto* keep = std::get_if<Keep>(&at.steps[at.index + 1].node);
    if (keep == nullptr) return {};
    const std::set<std::string> brought = columns_brought_by(at);
    std::vector<const Value*> parts;
    and_parts(keep->condition, parts);
    std::vector<const Value*> questions;
    for (const Value* part : parts) {
        const std::set<std::string> read = columns_read_by(*part);
        if (!read.empty() && !asks_another_table(*part) &&
            std::all_of(read.begin(), read.end(),
                        [&](const std::string& name) { return brought.contains(name); })) {
            questions.push_back(part);
        }
    }
    return questions;
}

std::vector<const Value*> questions_asked_before(const PlannedStep& at) {
    if (at.index == 0 || at.previous_table == nullptr) return {};
    const Step& before = at.steps[at.index - 1];
    if (!std::holds_alternative<Join>(before.node)) return {};
    return other_table_questions(PlannedStep{before, at.index - 1, at.steps, *at.previous_table,
                                             at.table, nullptr, false, nullptr});
}

std::vector<const Value*> questions_left_to_ask(const PlannedStep& at) {
    const Value& condition = std::get<Keep>(at.step.node).condition;
    const std::vector<const Value*> asked = questions_asked_before(at);
    if (asked.empty()) return {&condition};
    std::vector<const Value*> parts;
    and_parts(condition, parts);
    std::erase_if(parts, [&](const Value* part) {
        return std::find(asked.begin(), asked.end(), part) != asked.end();
    });
    return parts;
}

}  // namespace brell
