#pragma once

#include <string_view>

#include "parse/syntax_tree.hpp"

namespace brell {

// Facts about one target's engine that a meaning decided once has to be written around. The
// questions below read them, so that a writer asks what to do rather than knowing its engine.
struct TargetProfile {
    std::string_view target;  // the name written after `--as`
    // Whether a function of a group's answer (`round_nearest(total([x]), 2)`) is worked out on
    // each of the group's rows rather than once: over the whole table (polars works a repeated
    // aggregate inside a whole-table `select` out per row, and over no rows gives no row at all),
    // or group by group (pandas works a function inside a group's `apply` on its rows).
    bool group_answer_per_row_over_whole_table = false;
    bool group_answer_per_row_by_group = false;
    // Whether a missing text answer (an aggregate of no texts) is held as a number unless the
    // column is said to hold texts (pandas holds it as NaN, a float).
    bool missing_text_held_as_number = false;
    // Whether the engine's join pairs a missing key with a missing key unless told otherwise
    // (pandas' `merge` and `isin`, dplyr's joins); a missing key matches nothing in brell.
    bool joins_pair_missing_keys = false;
    // How the engine's regular expressions say the very end of the text, past a last line break,
    // where `matches` is searched for as one: `\z` in Rust's regex and ICU, `\Z` in Python's re.
    std::string_view regex_end_of_text = "";
};

// The profile of the target of that name. Every backend but the canonical one has one.
const TargetProfile& profile_of(std::string_view target);

// Whether a summary is written in two steps: the aggregates its answers ask for first, one row per
// group, then the answers worked out on those rows. Only where the engine would work a function
// of a group's answer out on each row.
bool takes_answers_apart(const TargetProfile& profile, const Summarize& summarize);

}  // namespace brell
