#pragma once

#include <string>
#include <vector>

#include "check/column_type.hpp"
#include "outcome.hpp"

namespace brell {

// The tables `--columns` described: the head table's columns (its name is the pipeline's own
// source) and every other table by name, in the order given.
struct DescribedColumns {
    std::vector<TableColumn> head;
    std::vector<TableDescription> named;
};

// `--needs`: the tables the pipeline reads, one per line.
JobOutcome run_needs(const std::string& pipeline);

// `--draw {way}`: what each step does to the table.
JobOutcome run_drawing(const std::string& pipeline, const std::string& way,
                       const DescribedColumns& tables);

// `--as {backend}` (sql when not given): the pipeline written out in another language.
JobOutcome run_writing(const std::string& pipeline, const std::string& backend,
                       const DescribedColumns& tables);

}  // namespace brell
