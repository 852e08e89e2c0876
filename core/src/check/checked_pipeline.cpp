#include "check/checked_pipeline.hpp"

namespace brell {

std::vector<TableDescription> described_tables(std::vector<TableDescription> named,
                                               std::vector<TableColumn> head_columns,
                                               const std::string& source) {
    named.push_back(TableDescription{source, std::move(head_columns)});
    return named;
}

const Sort* sort_in_force(const CheckedPipeline& checked, std::size_t index) {
    const std::optional<std::size_t> sort = checked.sort_in_force.at(index);
    return sort ? &std::get<Sort>(checked.steps.at(*sort).node) : nullptr;
}

}  // namespace brell
