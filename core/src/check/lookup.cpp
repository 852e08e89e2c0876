#include "check/lookup.hpp"

#include <algorithm>

#include "text/suggest.hpp"

namespace brell {
namespace {

// Below this many columns a scan finds a name sooner than a hash would.
constexpr std::size_t kScannedColumns = 16;

}  // namespace

ColumnIndex::ColumnIndex(const std::vector<TableColumn>& columns) : columns_(&columns) {
    if (columns.size() <= kScannedColumns) return;
    positions_.reserve(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) positions_.emplace(columns[i].name, i);
}

const TableColumn* ColumnIndex::find(std::string_view name) const {
    if (positions_.empty()) {
        for (const TableColumn& column : *columns_) {
            if (column.name == name) return &column;
        }
        return nullptr;
    }
    const auto found = positions_.find(name);
    return found == positions_.end() ? nullptr : &(*columns_)[found->second];
}

std::string column_names(const std::vector<TableColumn>& columns) {
    std::string names;
    for (const TableColumn& column : columns) {
        if (!names.empty()) names += ", ";
        names += column.name;
    }
    return names;
}

namespace {

Diagnostic no_column_called(std::string_view name, Span span,
                            const std::vector<TableColumn>& columns) {
    std::vector<std::string> candidates;
    candidates.reserve(columns.size());
    for (const TableColumn& column : columns) candidates.push_back(column.name);
    return Diagnostic::illegal("there is no column called `" + std::string(name) + "`." +
                                   did_you_mean(suggest(name, candidates)) +
                                   " The table has: " + column_names(columns),
                               span);
}

}  // namespace

Result<TableColumn> look_up_column(std::string_view name, Span span, const ColumnIndex& index) {
    if (const TableColumn* found = index.find(name)) return *found;
    return no_column_called(name, span, index.columns());
}

Result<TableColumn> look_up_column(std::string_view name, Span span,
                                   const std::vector<TableColumn>& columns) {
    for (const TableColumn& column : columns) {
        if (column.name == name) return column;
    }
    return no_column_called(name, span, columns);
}

Result<const TableDescription*> look_up_table(const TableName& table,
                                              const std::vector<TableDescription>& described,
                                              std::string_view opening) {
    for (const TableDescription& description : described) {
        if (description.name == table.text) return &description;
    }
    // The last described table is the pipeline's own; the others are the ones named for it.
    std::vector<std::string> candidates;
    std::string others;
    for (std::size_t i = 0; i < described.size(); ++i) {
        candidates.push_back(described[i].name);
        if (i + 1 == described.size()) continue;
        others += (others.empty() ? "" : ", ") + described[i].name;
    }
    const std::string middle =
        others.empty() ? "no other table was described" : "the tables described are: " + others;
    // A name close to a described one is a slip; any other is a table still to describe.
    const auto close = suggest(table.text, candidates);
    const std::string advice =
        close ? did_you_mean(close)
              : " Describe it with one more `--columns`, named for it: `--columns '" + table.text +
                    "=name:type,...'`";
    return Diagnostic::illegal(
        std::string(opening) + " `" + table.text + "`, and " + middle + "." + advice, table.span);
}

}  // namespace brell
