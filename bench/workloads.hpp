#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brell::bench {

// One sentence and the tables it reads, as a user would pass them: the sentence (one step per
// line, as a generator would write it) and each `--columns` value.
struct Workload {
    std::string name;
    std::string sentence;
    std::vector<std::string> column_lists;
    std::size_t steps = 0;
};

// The README's example: three words of work over a two-column table.
Workload readme_example();

// Ten steps an analyst might write: keep, add, join, summarize, sort, take.
Workload realistic_ten_steps();

// `steps` steps cycling through every verb (summarize included) over a ten-column table, each
// step valid after the ones before it, so any length checks.
Workload every_verb(std::size_t steps);

// `steps` steps of the same cycle without `summarize` (which would narrow the table) over a
// table of `columns` columns (at least ten), with a matching table to add rows from.
Workload wide_table(std::size_t columns, std::size_t steps);

// One `add` whose value has `terms` terms: parenthesised groups of a hundred, added together,
// so that it nests well inside the grammar's depth limit.
Workload long_value(std::size_t terms);

// Steps that each name every column of a table of `columns` columns (pick, rename, add, fill,
// sort, drop_missing, summarize, lengthen): a step's cost must grow with its own length alone.
Workload long_lists(std::size_t columns);

// Every workload the stage benchmarks run, smallest first.
std::vector<Workload> all_workloads();

// What the timing script runs: every workload above, then 1,000,000 steps of the cycle (some
// 48 MB of sentence), which shows whether the cost stays linear past 100,000 steps.
std::vector<Workload> timing_workloads();

// The timing workload of that name, or one with an empty name.
Workload find_workload(std::string_view name);

}  // namespace brell::bench
