#include "plan/step_values.hpp"

#include "parse/overloaded.hpp"

namespace brell {
namespace {

std::vector<const Value*> item_values(const std::vector<NamedValue>& items) {
    std::vector<const Value*> values;
    for (const NamedValue& item : items) values.push_back(&item.value);
    return values;
}

// A keep's condition, and the question `matching` asks of the other table's rows.
std::vector<const Value*> keep_values(const Keep& keep) {
    std::vector<const Value*> values{&keep.condition};
    const Value* asked = &keep.condition;
    if (const auto* inverted = std::get_if<Not>(&asked->node)) asked = &*inverted->operand;
    const auto* matching = std::get_if<Matching>(&asked->node);
    if (matching != nullptr && matching->partners) values.push_back(&*matching->partners->question);
    return values;
}

}  // namespace

std::vector<const Value*> values_of_step(const Step& step) {
    using Values = std::vector<const Value*>;
    const auto none = [](const auto&) { return Values{}; };
    return std::visit(Overloaded{
                          [](const Keep& node) { return keep_values(node); },
                          [&](const Pick& node) { return none(node); },
                          [](const Add& node) { return item_values(node.items); },
                          [](const Summarize& node) { return item_values(node.items); },
                          [&](const Sort& node) { return none(node); },
                          [&](const Take& node) { return none(node); },
                          [&](const AddRows& node) { return none(node); },
                          [&](const AddCombinations& node) { return none(node); },
                          [&](const DropDuplicates& node) { return none(node); },
                          [&](const Rename& node) { return none(node); },
                          [&](const DropMissing& node) { return none(node); },
                          [](const FillMissing& node) { return item_values(node.items); },
                          [&](const Lengthen& node) { return none(node); },
                          [](const Widen& node) {
                              Values values;
                              if (node.value) values.push_back(&*node.value);
                              if (node.missing) values.push_back(&*node.missing);
                              return values;
                          },
                          [&](const Join& node) { return none(node); },
                      },
                      step.node);
}

}  // namespace brell
