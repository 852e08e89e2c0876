#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "backend/sql/sql_dialect.hpp"
#include "check/checked_pipeline.hpp"
#include "plan/planned_step.hpp"

namespace brell {

// The pipeline as one SQL query: a chain of common table expressions, one per step, each
// reading the one before it, and a final SELECT of the last.
std::string write_sql(const SqlDialect& dialect, const CheckedPipeline& checked,
                      const std::vector<SharedColumns>& tables);

// What one step's body is written from: the step as planned, the dialect, and the name of the
// expression before it.
struct SqlStep : PlannedStep {
    const SqlDialect& dialect;
    std::string previous;
};

// " ORDER BY keys" when the order the step leaves is read after it, else nothing: an engine
// sorts what it is told to, even where nobody reads the order.
std::string order_clause(const SqlStep& at, const std::string& keys);

// The bodies of the steps that reshape the table or bring in another one.
std::string matching_body(const SqlStep& at, const Matching& matching, bool negated);
std::string spell(const SqlStep& at, const Join& join);
std::string spell(const SqlStep& at, const AddRows& add_rows);
std::string spell(const SqlStep& at, const AddCombinations& combinations);
std::string spell(const SqlStep& at, const Lengthen& lengthen);
std::string spell(const SqlStep& at, const Widen& widen);

// The table's column names, each quoted, joined by ", ".
std::string table_columns(const SqlStep& at);

// "every column of `relation` but `left_out`": `relation.* EXCLUDE (...)` where the dialect has
// it, else (Spark) the columns of `kept` listed one by one, each read from `relation`.
std::string all_but(const SqlStep& at, std::string_view relation,
                    const std::vector<std::string>& left_out, std::span<const TableColumn> kept);

}  // namespace brell
