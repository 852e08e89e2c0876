#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "diagnostic/result.hpp"
#include "parse/column_type.hpp"
#include "parse/syntax_tree.hpp"

namespace brell {

// A table's columns found by name in the same time however wide the table is. The index reads
// the list it was made from, which must outlive it unchanged.
class ColumnIndex {
  public:
    explicit ColumnIndex(const std::vector<TableColumn>& columns);

    const std::vector<TableColumn>& columns() const { return *columns_; }
    // The column of that exact name, or null.
    const TableColumn* find(std::string_view name) const;
    bool contains(std::string_view name) const { return find(name) != nullptr; }

  private:
    const std::vector<TableColumn>* columns_;
    // Position by name; left empty for narrow tables, which a scan reads faster.
    std::unordered_map<std::string_view, std::size_t> positions_;
};

// The names of the columns, joined by ", ".
std::string column_names(const std::vector<TableColumn>& columns);

// The column of that exact name, or the refusal "there is no column called ..." under `span`,
// with the closest name offered and every column listed.
Result<TableColumn> look_up_column(std::string_view name, Span span, const ColumnIndex& columns);
Result<TableColumn> look_up_column(std::string_view name, Span span,
                                   const std::vector<TableColumn>& columns);

// The described table of that exact name (it lives as long as `described`), or the refusal that
// begins with `opening` ("this joins a table called"), says which tables were described, and offers
// the closest name. The pipeline's own table, described last, is searched too but not listed as
// another table.
Result<const TableDescription*> look_up_table(const TableName& table,
                                              const std::vector<TableDescription>& described,
                                              std::string_view opening);

}  // namespace brell
