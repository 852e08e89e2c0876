#include "text/suggest.hpp"

#include <gtest/gtest.h>

#include <array>

namespace brell {
namespace {

std::optional<std::string> suggestion(std::string_view written,
                                      std::vector<std::string> candidates) {
    auto found = suggest(written, candidates);
    return found ? std::optional<std::string>(*found) : std::nullopt;
}

TEST(Suggest, LimitDependsOnTheWrittenLength) {
    EXPECT_EQ(suggestion("regoin", {"region", "revenue"}), "region");   // 6 characters: up to 2
    EXPECT_EQ(suggestion("rev", {"region", "revenue"}), std::nullopt);  // 3 characters: up to 1
    EXPECT_EQ(suggestion("kep", {"keep", "pick"}), "keep");
    EXPECT_EQ(suggestion("ruby", {"sql", "spark", "dplyr"}), std::nullopt);
}

TEST(Suggest, ComparesAfterFullUnicodeLowerCasing) {
    EXPECT_EQ(suggestion("Region", {"region"}), "region");
    EXPECT_EQ(suggestion("Sql", {"sql", "spark"}), "sql");
    EXPECT_EQ(suggestion("GRÖSSE", {"grösse"}), "grösse");
    // Distance counts characters, so two-byte letters cost one edit each.
    EXPECT_EQ(suggestion("größe", {"grüße"}), "grüße");
}

TEST(Suggest, TranspositionCostsTwo) {
    EXPECT_EQ(edit_distance(U"ab", U"ba"), 2u);
    EXPECT_EQ(suggestion("kepe", {"keep"}), std::nullopt);
    EXPECT_EQ(suggestion("summarise", {"summarize"}), "summarize");
}

TEST(Suggest, NearerThenShorterThenEarlierWins) {
    EXPECT_EQ(suggestion("abx", {"abc", "ab"}), "ab");    // equal distance: the shorter
    EXPECT_EQ(suggestion("abx", {"abc", "abd"}), "abc");  // equal distance and length: the earlier
    EXPECT_EQ(suggestion("average", {"averages", "average"}), "average");  // nearer
}

TEST(Suggest, EmptyWordsAndLists) {
    EXPECT_EQ(edit_distance(U"", U"abc"), 3u);
    EXPECT_EQ(suggestion("x", {}), std::nullopt);
    EXPECT_EQ(suggestion("", {"a", "bb"}), "a");
}

TEST(Suggest, DidYouMeanIsEmptyWithoutACandidate) {
    EXPECT_EQ(did_you_mean(std::nullopt), "");
    EXPECT_EQ(did_you_mean("sql"), " Did you mean `sql`?");
}

}  // namespace
}  // namespace brell
