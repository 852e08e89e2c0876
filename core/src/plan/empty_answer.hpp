#pragma once

#include <optional>
#include <string_view>

#include "parse/syntax_tree.hpp"

namespace brell {

// What an aggregate answers over no rows: over an empty group, or in a widen's cell that no row
// fills. A count (of rows, of values, of different values) is 0; `any_yes` is no and `all_yes`
// yes (see `answer_over_no_truths`); every other aggregate's answer, `join_rows` included, is
// missing.
enum class EmptyAnswer { Missing, Zero };

EmptyAnswer answer_over_no_rows(const Call& aggregate);

// What `any_yes` and `all_yes` answer over no present truths (an empty group, or one whose truths
// are all missing): no and yes, as "some" and "every" of nothing are. Empty for every other
// function. Engines give missing (SQL's `bool_or`), so a writer fills this in.
std::optional<bool> answer_over_no_truths(std::string_view function);

// What a widen's cell holds where no row fills it, before `missing` fills it: the answer of its
// aggregate over no rows when the cell is one aggregate, else missing.
EmptyAnswer widen_empty_cell(const Widen& widen);

}  // namespace brell
