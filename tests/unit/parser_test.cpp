#include <gtest/gtest.h>

#include <string>

#include "parse/canonical.hpp"
#include "parse/parse.hpp"

namespace brell {
namespace {

// The sentence as the parser understood it, written back in its one canonical spelling.
std::string reread(const std::string& text) {
    auto pipeline = parse(text);
    if (!pipeline) return "refused: " + pipeline.error().message;
    return write_canonical(pipeline->source.text, pipeline->steps);
}

std::string first_step(const std::string& text) {
    auto pipeline = parse("t then " + text);
    if (!pipeline) return "refused: " + pipeline.error().message;
    return canonical_step(pipeline->steps.at(0));
}

TEST(Parser, PrecedenceFromLoosestToTightest) {
    EXPECT_EQ(first_step("keep where not [a] is 1 and [b] > 2 or [c]"),
              "keep where (((not ([a] is 1)) and ([b] > 2)) or [c])");
    EXPECT_EQ(first_step("keep where [a] + [b] * 2 > 3"), "keep where (([a] + ([b] * 2)) > 3)");
    EXPECT_EQ(first_step("add [x] as [a] - [b] - [c] / [d] / 2"),
              "add [x] as (([a] - [b]) - (([c] / [d]) / 2))");
    EXPECT_EQ(first_step("add [x] as ([a] + [b]) * -[c]"), "add [x] as (([a] + [b]) * (0 - [c]))");
    EXPECT_EQ(first_step("add [x] as - - 3"), "add [x] as (0 - (0 - 3))");
    EXPECT_EQ(first_step("keep where not not [f]"), "keep where (not (not [f]))");
}

TEST(Parser, ComparisonsSetsAndMissing) {
    EXPECT_EQ(first_step("keep where [a] is not missing"), "keep where ([a] is not missing)");
    EXPECT_EQ(first_step("keep where [a] is not 3"), "keep where ([a] is not 3)");
    EXPECT_EQ(first_step("keep where [r] not in {\"West\", 2.50}"),
              "keep where ([r] not in {\"West\", 2.5})");
    EXPECT_EQ(first_step("keep where not [r] in {1}"), "keep where (not ([r] in {1}))");
    EXPECT_EQ(first_step("keep where [n] starts \"q\" and [n] contains [m]"),
              "keep where (([n] starts \"q\") and ([n] contains [m]))");
    EXPECT_EQ(first_step("keep where [d] <= 2.0 or [d] >= 5 or [d] < 0 or [d] > 1"),
              "keep where (((([d] <= 2.0) or ([d] >= 5)) or ([d] < 0)) or ([d] > 1))");
}

TEST(Parser, SpecialForms) {
    EXPECT_EQ(first_step("add [r] as rank([x] descending), [n] as row_number()"),
              "add [r] as rank([x] descending), [n] as row_number()");
    EXPECT_EQ(first_step("add [g] as when([s] >= 90, \"A\", [s] >= 80, \"B\", otherwise \"C\")"),
              "add [g] as when(([s] >= 90), \"A\", ([s] >= 80), \"B\", otherwise \"C\")");
    EXPECT_EQ(first_step("add [g] as when([a] > 1, \"big\")"),
              "add [g] as when(([a] > 1), \"big\")");
    EXPECT_EQ(first_step("add [r] as look_up([c], \"W\", \"West\", otherwise [c])"),
              "add [r] as look_up([c], \"W\", \"West\", otherwise [c])");
    EXPECT_EQ(first_step("add [m] as rolling(average([v]), 7)"),
              "add [m] as rolling(average([v]), 7)");
    EXPECT_EQ(first_step("keep where matching(p, by [id, day], [cid] is [id], [x])"),
              "keep where matching(p, by [id, day], [cid] is [id], [x])");
    EXPECT_EQ(first_step("keep where not matching(s.p)"), "keep where (not matching(s.p))");
    EXPECT_EQ(first_step("add [t] as replace_text(lower([n]), \"-\", \" \"), [z] as g()"),
              "add [t] as replace_text(lower([n]), \"-\", \" \"), [z] as g()");
}

TEST(Parser, EveryVerbComesBackInItsCanonicalSpelling) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"pick [a,b]", "pick [a, b]"},
        {"pick all_but [a]", "pick all_but [a]"},
        {"pick where name starts \"q\"", "pick where (name starts \"q\")"},
        {"add where kind is \"number\" as value * 2 by [g]",
         "add where (kind is \"number\") as (value * 2) by [g]"},
        {"summarize [n] as row_count(), [t] as total([x]) by [r, s]",
         "summarize [n] as row_count(), [t] as total([x]) by [r, s]"},
        {"sort [x] descending, [y] missing first", "sort [x] descending, [y] missing first"},
        {"sort [x] missing last", "sort [x]"},
        {"take_last 3 by [g] with ties", "take_last 3 by [g] with ties"},
        {"join products", "join products"},
        {"join c by [customer_id] is [id], [day] unmatched \"both\"",
         "join c by [customer_id] is [id], [day] unmatched \"both\""},
        {"join c by [id] unmatched \"this\"", "join c by [id]"},
        {"add_rows more.sales", "add_rows more.sales"},
        {"add_combinations [r, p] by [s]", "add_combinations [r, p] by [s]"},
        {"drop_duplicates", "drop_duplicates"},
        {"rename [new] as [old], [b] as [a]", "rename [new] as [old], [b] as [a]"},
        {"drop_missing", "drop_missing"},
        {"drop_missing [a, b]", "drop_missing [a, b]"},
        {"fill_missing [x] as 0, [y] as \"none\"", "fill_missing [x] as 0, [y] as \"none\""},
        {"lengthen [q1, q2]", "lengthen [q1, q2]"},
        {"lengthen all_but [id] as name \"{q}_{year}\", value [a]",
         "lengthen all_but [id] as name \"{q}_{year}\", value [a]"},
        {"lengthen where name starts \"s\" as name \"score_{value}\"",
         "lengthen where (name starts \"s\") as name \"score_{value}\""},
        {"lengthen [a] as value [v], name [name]", "lengthen [a] as value [v]"},
        {"widen name [q], value total([a]) by [s] missing 0 giving [x, y]",
         "widen name [q], value total([a]) by [s] missing 0 giving [x, y]"},
        {"widen giving [a] by [s] name \"{x}\" , value [v]", "refused"},
        {"widen value [v] giving [a]", "widen name [name], value [v] giving [a]"},
    };
    for (const auto& [written, canonical] : cases) {
        const std::string got = first_step(written);
        if (canonical == "refused") {
            EXPECT_EQ(got.rfind("refused: ", 0), 0u) << written;
        } else {
            EXPECT_EQ(got, canonical) << written;
        }
    }
}

TEST(Parser, PipelineLevel) {
    EXPECT_EQ(reread("sales"), "sales");
    EXPECT_EQ(reread("schema.orders then take 10 # ten\nthen take_last 2"),
              "schema.orders\n  then take 10\n  then take_last 2");
    auto pipeline = parse("sales then take 1 then take_last 1");
    ASSERT_TRUE(pipeline.ok());
    EXPECT_FALSE(std::get<Take>(pipeline->steps[0].node).last);
    EXPECT_TRUE(std::get<Take>(pipeline->steps[1].node).last);
}

TEST(Parser, SpansRunFromTheVerbToTheLastWord) {
    const std::string text = "sales then keep where ([a] + 1) * 2 > 3 then take 10";
    auto pipeline = parse(text);
    ASSERT_TRUE(pipeline.ok());
    const Step& keep = pipeline->steps[0];
    EXPECT_EQ(text.substr(keep.span.start, keep.span.length), "keep where ([a] + 1) * 2 > 3");
    // Parentheses leave no node: the comparison spans from its first part to its last.
    const Value& condition = std::get<Keep>(keep.node).condition;
    EXPECT_EQ(text.substr(condition.span.start, condition.span.length), "[a] + 1) * 2 > 3");
    const Step& take = pipeline->steps[1];
    EXPECT_EQ(text.substr(take.span.start, take.span.length), "take 10");
    EXPECT_EQ(pipeline->source.span.length, 5u);
}

TEST(Parser, KeyListsAndPatterns) {
    auto pipeline = parse("t then join c by [id, day], [customer_id] is [cid]");
    ASSERT_TRUE(pipeline.ok());
    const auto& keys = std::get<Join>(pipeline->steps[0].node).keys;
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[1].left.text, "day");
    EXPECT_EQ(keys[2].left.text, "customer_id");
    EXPECT_EQ(keys[2].right.text, "cid");

    auto lengthen = parse("t then lengthen [a] as name \"x{q}_{value}.\"");
    ASSERT_TRUE(lengthen.ok());
    const NamePattern& pattern = *std::get<Lengthen>(lengthen->steps[0].node).name;
    EXPECT_EQ(pattern.literals, (std::vector<std::string>{"x", "_", "."}));
    ASSERT_EQ(pattern.pieces.size(), 2u);
    EXPECT_FALSE(pattern.pieces[0].is_value);
    EXPECT_TRUE(pattern.pieces[1].is_value);
    EXPECT_FALSE(pattern.bracketed);
}

// A value may be as deep as the limit and no deeper, however the depth is written.
TEST(Parser, NestingIsRefusedPastTheLimitWithoutCrashing) {
    const auto repeat = [](const std::string& piece, std::size_t times) {
        std::string text;
        for (std::size_t i = 0; i < times; ++i) text += piece;
        return text;
    };
    const auto sum = [&](std::size_t terms) { return "[a]" + repeat(" + [a]", terms - 1); };
    EXPECT_TRUE(parse("t then add [x] as " + sum(1000)).ok());
    EXPECT_FALSE(parse("t then add [x] as " + sum(1001)).ok());
    EXPECT_TRUE(parse("t then add [x] as " + repeat("(", 999) + "1" + repeat(")", 999)).ok());
    for (const std::string& deep :
         {repeat("(", 100000) + "1", repeat("not ", 100000) + "[f]", repeat("-", 100000) + "1",
          repeat("g(", 100000), repeat("when(", 100000), sum(100000),
          "[a]" + repeat(" or [b] and [c]", 100000)}) {
        auto refused = parse("t then keep where " + deep);
        ASSERT_FALSE(refused.ok());
        EXPECT_NE(refused.error().message.find("1000 levels deep"), std::string::npos);
    }
}

}  // namespace
}  // namespace brell
