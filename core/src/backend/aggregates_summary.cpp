#include "backend/aggregates_summary.hpp"

#include "check/value_types.hpp"

namespace brell {

Summarize aggregates_summary(const Summarize& summarize, const GroupAnswers& taken_apart) {
    Summarize aggregates;
    aggregates.items = taken_apart.aggregates;
    aggregates.by = summarize.by;
    return aggregates;
}

std::vector<TableColumn> aggregates_summary_table(const std::vector<TableColumn>& table,
                                                  const Summarize& summarize,
                                                  const GroupAnswers& taken_apart) {
    const ColumnIndex index(table);
    const ValueTypes types(index);
    const auto typed = [&](const std::string& name, const Value& value) {
        const Result<ColumnType> type = types.type(value);
        return TableColumn{name, type.ok() ? type.value() : ColumnType::Opaque};
    };
    std::vector<TableColumn> columns;
    for (const ColumnName& key : summarize.by.names) {
        columns.push_back(typed(key.text, Value{key.span, Column{key}}));
    }
    for (const NamedValue& aggregate : taken_apart.aggregates) {
        columns.push_back(typed(aggregate.name.text, aggregate.value));
    }
    return columns;
}

}  // namespace brell
