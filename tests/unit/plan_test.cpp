#include <gtest/gtest.h>

#include "parse/parse.hpp"
#include "plan/name_pattern.hpp"
#include "plan/value_queries.hpp"

namespace brell {
namespace {

NamePattern pattern_of(const std::string& written) {
    auto pipeline = parse("t then lengthen [a] as name " + written);
    EXPECT_TRUE(pipeline.ok()) << written;
    return *std::get<Lengthen>(pipeline->steps.at(0).node).name;
}

Value value_of(const std::string& text) {
    auto pipeline = parse("t then add [x] as " + text);
    EXPECT_TRUE(pipeline.ok()) << text;
    return std::get<Add>(pipeline->steps.at(0).node).items.at(0).value;
}

using Pieces = std::optional<std::vector<std::string>>;

TEST(NamePattern, MatchTakesNamesApartAtTheFirstLiteral) {
    const NamePattern question_year = pattern_of("\"{question}_{year}\"");
    EXPECT_EQ(match(question_year, "q1_2024"), Pieces({"q1", "2024"}));
    EXPECT_EQ(match(question_year, "q1_x_2024"), Pieces({"q1", "x_2024"}));
    EXPECT_EQ(match(question_year, "_2024"), std::nullopt);
    EXPECT_EQ(match(question_year, "q1_"), std::nullopt);
    EXPECT_EQ(match(question_year, "q1"), std::nullopt);

    const NamePattern score = pattern_of("\"score_{value}\"");
    EXPECT_EQ(match(score, "score_math"), Pieces({"math"}));
    EXPECT_EQ(match(score, "total"), std::nullopt);

    const NamePattern closed = pattern_of("\"<{a}>\"");
    EXPECT_EQ(match(closed, "<x>"), Pieces({"x"}));
    EXPECT_EQ(match(closed, "<x>y"), std::nullopt);

    EXPECT_EQ(match(pattern_of("[whole]"), "any name at all"), Pieces({"any name at all"}));
}

TEST(NamePattern, WriteGivesThePatternBack) {
    EXPECT_EQ(write(pattern_of("[region]")), "[region]");
    EXPECT_EQ(write(pattern_of("\"{q}_{year}\"")), "\"{q}_{year}\"");
    EXPECT_EQ(write(pattern_of("\"score_{value}!\"")), "\"score_{value}!\"");
}

TEST(ValueQueries, AggregatesOutsideRollingOnly) {
    EXPECT_TRUE(holds_aggregate(value_of("[a] / total([a])")));
    EXPECT_TRUE(holds_aggregate(value_of("row_count()")));
    EXPECT_FALSE(holds_aggregate(value_of("rolling(total([a]), 3)")));
    EXPECT_FALSE(holds_aggregate(value_of("lower([a])")));
}

TEST(ValueQueries, WindowsIncludeRankingAndRolling) {
    EXPECT_TRUE(holds_window(value_of("rank([a])")));
    EXPECT_TRUE(holds_window(value_of("row_number() + 1")));
    EXPECT_TRUE(holds_window(value_of("rolling(total([a]), 3)")));
    EXPECT_TRUE(holds_window(value_of("when(previous([a]) > 1, 1)")));
    EXPECT_FALSE(holds_window(value_of("total([a])")));
}

TEST(ValueQueries, FirstOrderReaderInReadingOrder) {
    const auto reader = [](const std::string& text) -> std::string {
        auto found = first_order_reader(value_of(text));
        return found ? std::string(found->display_name) : "none";
    };
    EXPECT_EQ(reader("running_total([a]) + previous([b])"), "running_total(...)");
    EXPECT_EQ(reader("rank([a] descending)"), "none");
    EXPECT_EQ(reader("rank([a]) + row_number()"), "row_number()");
    EXPECT_EQ(reader("when([a] > 1, latest([b]), otherwise following([c], 2))"), "latest(...)");
    EXPECT_EQ(reader("rolling(average([a]), 7)"), "rolling(...)");
    EXPECT_EQ(reader("total([a])"), "none");
}

TEST(ValueQueries, MadeHereFindsTheFirstReferenceToAMadeColumn) {
    const auto made = made_here(value_of("[a] + [b] * rank([c])"), {"c", "b"});
    ASSERT_TRUE(made.has_value());
    EXPECT_EQ(made->text, "b");
    EXPECT_EQ(made_here(value_of("rank([c])"), {"c"})->text, "c");
    EXPECT_FALSE(made_here(value_of("[a]"), {"b"}).has_value());
}

}  // namespace
}  // namespace brell
