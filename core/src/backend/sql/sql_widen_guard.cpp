// The check before a widen, in each SQL dialect: its optimizer decides how the check is written.

#include "backend/sql/sql_widen_guard.hpp"

#include "plan/widen_guards.hpp"

namespace brell {
namespace {

// Spark moves no filter across a projection or filter that is not deterministic, so the check is
// a filter whose passing value is such a test (`spark_partition_id() >= 0` is never false; Spark
// folds `rand() >= 0` to true). A whole-table window would gather every row into one task.
std::string spark_placed_rows(const SqlDialect& dialect, const std::vector<WidenFault>& faults,
                              const std::optional<std::string>& cell_key,
                              const std::string& previous, HelperNames& helpers) {
    const std::string error(dialect.error_function);
    std::string cases;
    for (const WidenFault& fault : faults) {
        cases += "WHEN " + fault.test + " THEN " + error + "(" +
                 quote_text(dialect, fault.message) + ") ";
    }
    if (cell_key) {
        cases += "WHEN count(*) OVER (PARTITION BY " + *cell_key + ") > 1 THEN " + error + "(" +
                 quote_text(dialect, widen_shared_cell_message()) + ") ";
    }
    const std::string placed = quote_name(dialect, helpers.name("__brell_placed"));
    return "(SELECT * FROM (SELECT *, CASE " + cases + "ELSE spark_partition_id() >= 0 END AS " +
           placed + " FROM " + previous + ") WHERE " + placed + ")";
}

// DuckDB moves a later filter below a projection, so a test written there is not worked out for
// the rows the filter leaves out. It moves no filter below a window over the whole table, nor
// works out a window's argument for fewer rows than the window reads. So the faults are found by
// whole-table windows (the message of the first fault the table holds, or missing), and a second
// whole-table window fails the query in its argument when there is one.
std::string duckdb_placed_rows(const SqlDialect& dialect, const std::vector<WidenFault>& faults,
                               const std::optional<std::string>& cell_key,
                               const std::string& previous, HelperNames& helpers) {
    std::string cases;
    for (const WidenFault& fault : faults) {
        cases += "WHEN bool_or(" + fault.test + ") OVER () THEN " +
                 quote_text(dialect, fault.message) + " ";
    }
    if (cell_key) {
        cases += "WHEN count(*) OVER () > count(DISTINCT row(" + *cell_key + ")) OVER () THEN " +
                 quote_text(dialect, widen_shared_cell_message()) + " ";
    }
    const std::string fault = quote_name(dialect, helpers.name("__brell_fault"));
    const std::string placed = quote_name(dialect, helpers.name("__brell_placed"));
    const std::string found =
        "(SELECT *, CASE " + cases + "END AS " + fault + " FROM " + previous + ")";
    return "(SELECT * FROM (SELECT *, bool_and(CASE WHEN " + fault + " IS NULL THEN TRUE ELSE " +
           std::string(dialect.error_function) + "(" + fault + ") END) OVER () AS " + placed +
           " FROM " + found + ") WHERE " + placed + ")";
}

}  // namespace

std::string widen_placed_rows(const SqlDialect& dialect, const std::vector<WidenFault>& faults,
                              const std::optional<std::string>& cell_key,
                              const std::string& previous, HelperNames& helpers) {
    return dialect.spark ? spark_placed_rows(dialect, faults, cell_key, previous, helpers)
                         : duckdb_placed_rows(dialect, faults, cell_key, previous, helpers);
}

}  // namespace brell
