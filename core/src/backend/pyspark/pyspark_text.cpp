#include "backend/pyspark/pyspark_text.hpp"

#include "backend/python_text.hpp"

namespace brell::pyspark {

std::string comma_joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) {
        if (!text.empty()) text += ", ";
        text += part;
    }
    return text;
}

std::string python_names(const std::vector<std::string>& names) {
    std::vector<std::string> strings;
    for (const std::string& name : names) strings.push_back(py_string(name));
    return comma_joined(strings);
}

std::string python_list(const std::vector<std::string>& names) {
    return "[" + python_names(names) + "]";
}

namespace {

// The name as Spark reads it whole: in backticks when it holds a dot or a backtick, as it is
// otherwise (a plain name reads the same either way).
std::string backticked(std::string_view name) {
    if (name.find_first_of(".`") == std::string_view::npos) return std::string(name);
    std::string quoted = "`";
    for (const char c : name) {
        quoted += c;
        if (c == '`') quoted += '`';
    }
    return quoted + "`";
}

}  // namespace

std::string column_of(std::string_view name) {
    return "F.col(" + py_string(backticked(name)) + ")";
}

std::string column_references(const std::vector<std::string>& names) {
    std::vector<std::string> strings;
    for (const std::string& name : names) strings.push_back(py_string(backticked(name)));
    return comma_joined(strings);
}

std::string column_reference_list(const std::vector<std::string>& names) {
    return "[" + column_references(names) + "]";
}

std::vector<std::string> names_of(const ColumnList& list) {
    std::vector<std::string> names;
    for (const ColumnName& name : list.names) names.push_back(name.text);
    return names;
}

std::vector<std::string> names_of(const std::vector<TableColumn>& table) {
    std::vector<std::string> names;
    for (const TableColumn& column : table) names.push_back(column.name);
    return names;
}

std::string order_key(std::string_view column, bool descending, bool missing_first) {
    return column_of(column) + "." + (descending ? "desc" : "asc") + "_nulls_" +
           (missing_first ? "first" : "last") + "()";
}

std::string order_keys(const Sort& sort) {
    std::vector<std::string> keys;
    for (const SortKey& key : sort.keys) {
        keys.push_back(order_key(key.column.text, key.descending, sort.missing_first));
    }
    return comma_joined(keys);
}

std::string ascending_keys(const std::vector<std::string>& names) {
    std::vector<std::string> keys;
    for (const std::string& name : names) keys.push_back(order_key(name, false, false));
    return comma_joined(keys);
}

std::string spark_table(std::string_view name) {
    return "spark.table(" + py_string(name) + ")";
}

}  // namespace brell::pyspark
