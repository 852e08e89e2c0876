#pragma once

#include <string>
#include <vector>

#include "parse/syntax_tree.hpp"

namespace brell::pyspark {

// What a value is written within: the sort in force and the partition (an add step's `by`) that
// window functions read, and whether aggregates are worked out over the partition, as they are in
// an add step's values. Every other step writes its values with the empty context.
struct ValueContext {
    const Sort* sort = nullptr;
    std::vector<std::string> partition;
    bool windowed = false;
    // The column that numbers the rows in their order, which `first`, `last` and `join_rows`
    // go by: Spark's own follow no order once the rows are shuffled. Empty where none is read.
    std::string place{};
};

// One value as a Python expression over `F` and `Window`. A written literal stays a plain Python
// value (`"West"`, `10`, `None`), which PySpark accepts beside a column.
std::string write_value(const Value& value, const ValueContext& context);

// One value where PySpark needs a column: a written literal is wrapped in `F.lit(...)`.
std::string write_column(const Value& value, const ValueContext& context);

// The column a method is called on. A method call binds more tightly than `~`, so an inverted
// value is put in parentheses first.
std::string write_receiver(const Value& value, const ValueContext& context);
std::string as_receiver(std::string column);

// Whether the value is written as a plain Python value rather than a column.
bool is_python_literal(const Value& value);

// The window of the context's window functions: the partition, then the sort keys in force.
std::string window_of(const ValueContext& context);

// The window an aggregate of an add step is worked out over: its partition alone.
std::string partition_window(const ValueContext& context);

// A call of one of the language's functions, and `rolling(...)` (pyspark_functions.cpp).
std::string write_call(const Call& call, const ValueContext& context);

// A divisor (a Column) made missing where it is 0, as a division by zero is.
std::string without_zero(const std::string& divisor);
std::string write_rolling(const Rolling& rolling, const ValueContext& context);

}  // namespace brell::pyspark
