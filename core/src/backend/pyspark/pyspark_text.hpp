#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "parse/column_type.hpp"
#include "parse/syntax_tree.hpp"

// The small pieces of Python that the PySpark writer builds its calls from.
namespace brell::pyspark {

// The parts joined by ", ".
std::string comma_joined(const std::vector<std::string>& parts);

// The names as Python strings joined by ", ": `"a", "b"`.
std::string python_names(const std::vector<std::string>& names);

// The names as one Python list: `["a", "b"]`.
std::string python_list(const std::vector<std::string>& names);

// Spark reads a column named by a string as a path, so that `a.b` is the field `b` of a column
// `a`. Every argument that reads an existing column by its name (`F.col`, `select`, `groupBy`,
// `pivot`, `unpivot`, `Window.partitionBy`, `dropna` and `fillna` subsets) takes a name that
// holds a dot or a backtick in backticks, each backtick inside doubled, so that it is taken whole.
// The calls that match names as they are (`withColumnRenamed`, `drop` of strings, `dropDuplicates`,
// a join's `on`) take the plain name: a backticked one would match nothing.

// One column read by its name: `F.col("`a.b`")`.
std::string column_of(std::string_view name);

// The names as Python strings that read the columns whole: `"`a.b`", "`c`"`.
std::string column_references(const std::vector<std::string>& names);

// The same as one Python list: `["`a.b`", "`c`"]`.
std::string column_reference_list(const std::vector<std::string>& names);

// The texts of a bracketed list, in order.
std::vector<std::string> names_of(const ColumnList& list);

// The names of a table's columns, in order.
std::vector<std::string> names_of(const std::vector<TableColumn>& table);

// One sort key: `F.col("x").desc_nulls_last()`.
std::string order_key(std::string_view column, bool descending, bool missing_first);

// A sort step's keys, in written order, joined by ", ".
std::string order_keys(const Sort& sort);

// The columns as ascending keys with missing values last, joined by ", ".
std::string ascending_keys(const std::vector<std::string>& names);

// Another table (or the source) as read from the catalogue: `spark.table("sales")`.
std::string spark_table(std::string_view name);

}  // namespace brell::pyspark
