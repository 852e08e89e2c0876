#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "check/column_type.hpp"
#include "parse/syntax_tree.hpp"

// The small pieces of Python that the PySpark writer builds its calls from.
namespace brell::pyspark {

// The parts joined by ", ".
std::string comma_joined(const std::vector<std::string>& parts);

// The names as Python strings joined by ", ": `"a", "b"`.
std::string python_names(const std::vector<std::string>& names);

// The names as one Python list: `["a", "b"]`.
std::string python_list(const std::vector<std::string>& names);

// The texts of a bracketed list, in order.
std::vector<std::string> names_of(const ColumnList& list);

// The names of a table's columns, in order.
std::vector<std::string> names_of(const std::vector<TableColumn>& table);

// One sort key: `F.col("x").desc_nulls_last()`.
std::string order_key(std::string_view column, bool descending, bool missing_first);

// A sort step's keys, in written order, joined by ", ".
std::string order_keys(const Sort& sort);

// The sort turned round: every key the other way, missing values at the other end.
Sort reversed(const Sort& sort);

// The columns as ascending keys with missing values last, joined by ", ".
std::string ascending_keys(const std::vector<std::string>& names);

// Another table (or the source) as read from the catalogue: `spark.table("sales")`.
std::string spark_table(std::string_view name);

}  // namespace brell::pyspark
