#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

#include "parse/syntax_tree.hpp"
#include "plan/planned_step.hpp"

namespace brell {

// Every column the value reads, by name.
std::set<std::string> columns_read_by(const Value& value);

// The columns the steps from `first` on read before a step that settles which columns the table
// holds (a `pick` of named columns, or a `summarize`), that step's reads among them, each by the
// name it had at `first` (a rename on the way is followed back); none when the pipeline ends
// first (every column is then in the result) or a step on the way reads more than its values name
// (a drop_duplicates, a widen, a value read along the rows in their order, ...), or the settling
// step is more than 64 steps away. A column no step reads there can be left behind, say by a join
// that takes from its other table only what is read, without changing a row or the result. The
// values in `unread` are not asked where they stand.
std::optional<std::set<std::string>> columns_read_until_settled(
    std::span<const Step> steps, std::size_t first,
    const std::unordered_set<const Value*>& unread = {});

// The columns the step's result holds that the table it received did not: what a join brought in.
std::set<std::string> columns_brought_by(const PlannedStep& at);

// The columns a join step needs to carry through the join, of the other table and of this one:
// the keys, and the columns a later step reads before the columns are settled; empty (all of
// them) when that is not known, or when every column is read anyway. The questions the join asks
// of its other table first (plan/join_filters) are not asked again, and read nothing.
std::vector<std::string> other_columns_carried(const PlannedStep& at);
std::vector<std::string> own_columns_carried(const PlannedStep& at);

// The columns of the step's result that a later step reads before the columns are settled, in
// the table's order: all a step that copies its rows (a pandas keep) needs to copy; empty (all of
// them) when that is not known, when none is read, or when every column is read anyway.
std::vector<std::string> result_columns_read(const PlannedStep& at);

// The columns of the table the step receives that it and the steps after it read before the
// columns are settled, in the table's order: all a step that copies the table to add to it (a
// pandas add) needs to take; empty (all of them) as for result_columns_read.
std::vector<std::string> received_columns_read(const PlannedStep& at);

}  // namespace brell
