#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brell {

// The candidate close enough to the written word to be a likely typing mistake, or none.
// Distance is counted in characters after full Unicode lower-casing; the limit is 1 for words of
// fewer than 5 characters and 2 otherwise; a nearer candidate wins, then a shorter one, then the
// earlier one.
std::optional<std::string_view> suggest(std::string_view written,
                                        std::span<const std::string_view> candidates);
std::optional<std::string_view> suggest(std::string_view written,
                                        const std::vector<std::string>& candidates);

// " Did you mean `{candidate}`?" for a suggestion, or nothing.
std::string did_you_mean(std::optional<std::string_view> candidate);

// The edit distance used by `suggest`, on two lower-cased words: insertions, deletions and
// substitutions cost 1; a transposition costs 2 (a deletion and an insertion).
std::size_t edit_distance(std::u32string_view first, std::u32string_view second);

}  // namespace brell
