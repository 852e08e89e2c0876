#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "parse/syntax_tree.hpp"

namespace brell {

// One step with what its writer needs to know around it, decided once for every target: the table
// it receives and the one it leaves, the sort in force when it is reached, and whether anything
// after it reads the order of the rows it leaves.
struct PlannedStep {
    const Step& step;
    std::size_t index;                       // its place in the pipeline, from 0
    std::span<const Step> steps;             // the whole pipeline, for what later steps read
    const std::vector<TableColumn>& table;   // the table the step receives
    const std::vector<TableColumn>& result;  // the table it leaves
    const Sort* sort;                        // the sort in force, or null
    bool order_read;                         // whether a later step or the result reads its order
    const std::vector<TableColumn>* previous_table;  // what the step before received, or null
};

}  // namespace brell
