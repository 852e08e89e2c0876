#include "plan/target_profile.hpp"

#include <array>
#include <string>

#include "diagnostic/unreachable.hpp"
#include "plan/group_answers.hpp"

namespace brell {
namespace {

constexpr std::array<TargetProfile, 6> kProfiles = {{
    {.target = "sql"},
    {.target = "spark"},
    {.target = "dplyr", .joins_pair_missing_keys = true, .regex_end_of_text = "\\z"},
    {.target = "pandas",
     .group_answer_per_row_over_whole_table = true,
     .group_answer_per_row_by_group = true,
     .missing_text_held_as_number = true,
     .joins_pair_missing_keys = true,
     .regex_end_of_text = "\\Z"},
    {.target = "polars", .group_answer_per_row_over_whole_table = true, .regex_end_of_text = "\\z"},
    {.target = "pyspark"},
}};

}  // namespace

const TargetProfile& profile_of(std::string_view target) {
    for (const TargetProfile& profile : kProfiles) {
        if (profile.target == target) return profile;
    }
    unreachable("`" + std::string(target) + "` has no profile");
}

bool takes_answers_apart(const TargetProfile& profile, const Summarize& summarize) {
    const bool per_row = summarize.by.empty() ? profile.group_answer_per_row_over_whole_table
                                              : profile.group_answer_per_row_by_group;
    return per_row && !answers_are_aggregates(summarize);
}

}  // namespace brell
