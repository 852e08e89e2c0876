#include "check/checked_pipeline.hpp"

#include "parse/overloaded.hpp"

namespace brell {

std::vector<TableDescription> described_tables(std::vector<TableDescription> named,
                                               std::vector<TableColumn> head_columns,
                                               const std::string& source) {
    named.push_back(TableDescription{source, std::move(head_columns)});
    return named;
}

bool order_settled_after(const StepNode& step, bool settled_before) {
    const auto keeps = [&](const auto&) { return settled_before; };
    const auto unsettles = [](const auto&) { return false; };
    return std::visit(Overloaded{
                          [](const Sort&) { return true; },
                          [&](const Keep& node) { return keeps(node); },
                          [&](const Pick& node) { return keeps(node); },
                          [&](const Add& node) { return keeps(node); },
                          [&](const Summarize& node) { return unsettles(node); },
                          [&](const Take& node) { return keeps(node); },
                          [&](const AddRows& node) { return unsettles(node); },
                          [&](const AddCombinations& node) { return keeps(node); },
                          [&](const DropDuplicates& node) { return unsettles(node); },
                          [&](const Rename& node) { return keeps(node); },
                          [&](const DropMissing& node) { return keeps(node); },
                          [&](const FillMissing& node) { return keeps(node); },
                          [&](const Lengthen& node) { return unsettles(node); },
                          [&](const Widen& node) { return unsettles(node); },
                          [&](const Join& node) { return unsettles(node); },
                      },
                      step);
}

const Sort* sort_in_force(const CheckedPipeline& checked, std::size_t index) {
    const std::optional<std::size_t> sort = checked.sort_in_force.at(index);
    return sort ? &std::get<Sort>(checked.steps.at(*sort).node) : nullptr;
}

}  // namespace brell
