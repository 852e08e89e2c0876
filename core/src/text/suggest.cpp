#include "text/suggest.hpp"

#include <algorithm>
#include <numeric>

#include "text/unicode.hpp"

namespace brell {

std::size_t edit_distance(std::u32string_view first, std::u32string_view second) {
    if (first.empty()) return second.size();
    if (second.empty()) return first.size();
    // One row of the classic table at a time: row[j] is the distance between the first i
    // characters of `first` and the first j characters of `second`.
    std::vector<std::size_t> row(second.size() + 1);
    std::iota(row.begin(), row.end(), std::size_t{0});
    for (std::size_t i = 1; i <= first.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= second.size(); ++j) {
            const std::size_t above = row[j];
            const std::size_t substitution = diagonal + (first[i - 1] == second[j - 1] ? 0 : 1);
            row[j] = std::min({above + 1, row[j - 1] + 1, substitution});
            diagonal = above;
        }
    }
    return row[second.size()];
}

namespace {

template <typename Candidates>
std::optional<std::string_view> choose(std::string_view written, const Candidates& candidates) {
    const std::size_t limit = count_characters(written) < 5 ? 1 : 2;
    const std::u32string lowered = lower_case(written);
    std::optional<std::string_view> best;
    std::size_t best_distance = 0;
    for (const auto& candidate : candidates) {
        const std::string_view name = candidate;
        const std::u32string candidate_lowered = lower_case(name);
        // The distance is never less than the difference in length.
        const std::size_t longer = std::max(lowered.size(), candidate_lowered.size());
        const std::size_t shorter = std::min(lowered.size(), candidate_lowered.size());
        if (longer - shorter > limit) continue;
        const std::size_t distance = edit_distance(lowered, candidate_lowered);
        if (distance > limit) continue;
        if (!best || distance < best_distance ||
            (distance == best_distance && name.size() < best->size())) {
            best = name;
            best_distance = distance;
        }
    }
    return best;
}

}  // namespace

std::optional<std::string_view> suggest(std::string_view written,
                                        std::span<const std::string_view> candidates) {
    return choose(written, candidates);
}

std::optional<std::string_view> suggest(std::string_view written,
                                        const std::vector<std::string>& candidates) {
    return choose(written, candidates);
}

std::string did_you_mean(std::optional<std::string_view> candidate) {
    if (!candidate) return "";
    return " Did you mean `" + std::string(*candidate) + "`?";
}

}  // namespace brell
