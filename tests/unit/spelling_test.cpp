#include "backend/spelling.hpp"

#include <gtest/gtest.h>

namespace brell {
namespace {

// Each argument written as its form letter (or `-`) and its place, so a test sees which hole
// asked for what.
std::string filled(std::string_view spelling, std::size_t arguments) {
    return fill_spelling(
        spelling, {arguments,
                   [](std::size_t index, char form) {
                       return std::string(1, form == 0 ? '-' : form) + std::to_string(index + 1);
                   },
                   [](std::string_view name) { return "<" + std::string(name) + ">"; }});
}

TEST(Spelling, FillsEachHoleWithTheArgumentOrPartItNames) {
    EXPECT_EQ(filled("f({1}, {2})", 2), "f(-1, -2)");
    EXPECT_EQ(filled("{r1}.g({e2}, {i3})", 3), "r1.g(e2, i3)");
    // The rest, from a place: none left writes nothing.
    EXPECT_EQ(filled("c([{e1...}])", 3), "c([e1, e2, e3])");
    EXPECT_EQ(filled("c({1}, {2...})", 1), "c(-1, )");
    // An argument that may be left out brings its own comma.
    EXPECT_EQ(filled("lag({1}{,p2})", 1), "lag(-1)");
    EXPECT_EQ(filled("lag({1}{,p2})", 2), "lag(-1, p2)");
    EXPECT_EQ(filled("x OVER ({window})", 1), "x OVER (<window>)");
    EXPECT_EQ(filled("count(*)", 0), "count(*)");
}

TEST(SpellingDeathTest, AHoleTheCallCannotFillIsAFaultOfTheTemplate) {
    EXPECT_DEATH(filled("f({1}, {2})", 1), "arity");
    EXPECT_DEATH(filled("f({0})", 1), "from 1");
    EXPECT_DEATH(fill_spelling("f({window})", {"a"}), "part");
    EXPECT_DEATH(filled("f({1", 1), "closes");
}

}  // namespace
}  // namespace brell
