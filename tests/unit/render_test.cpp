#include "diagnostic/render.hpp"

#include <gtest/gtest.h>

namespace brell {
namespace {

TEST(Render, WithoutSpanIsOneLine) {
    EXPECT_EQ(render(Diagnostic::illegal("there is no backend called `x`."), "t"),
              "illegal: there is no backend called `x`.");
    EXPECT_EQ(render(Diagnostic::assumption("a note"), "t"), "assumption: a note");
    EXPECT_EQ(render(Diagnostic::not_built_yet("later"), "t"), "not built yet: later");
}

TEST(Render, DrawsTheLineHoldingTheSpanWithCarets) {
    const std::string text = "sales\nthen keep where [a] = 1\nthen take 2";
    const Diagnostic diagnostic = Diagnostic::illegal("no", Span{text.find('='), 1});
    EXPECT_EQ(render(diagnostic, text),
              "illegal: no\n"
              "  |\n"
              "2 | then keep where [a] = 1\n"
              "  |                     ^");
}

TEST(Render, WidensTheGutterForTwoDigitLineNumbers) {
    const std::string text = "t\n\n\n\n\n\n\n\n\nthen take x";
    const Diagnostic diagnostic = Diagnostic::illegal("m", Span{text.find('x'), 1});
    EXPECT_EQ(render(diagnostic, text),
              "illegal: m\n"
              "   |\n"
              "10 | then take x\n"
              "   |           ^");
}

TEST(Render, CountsCharactersNotBytes) {
    const std::string text = "t then keep where [größe] is \"Ünïcödé\" = 1";
    const std::size_t quote = text.find('"');
    const Diagnostic diagnostic =
        Diagnostic::illegal("m", Span{quote, text.rfind('"') - quote + 1});
    EXPECT_EQ(render(diagnostic, text),
              "illegal: m\n"
              "  |\n"
              "1 | t then keep where [größe] is \"Ünïcödé\" = 1\n"
              "  |                              ^^^^^^^^^");
}

TEST(Render, ShowsTabsAsOneSpace) {
    const std::string text = "t\tthen\t=";
    EXPECT_EQ(render(Diagnostic::illegal("m", Span{7, 1}), text),
              "illegal: m\n  |\n1 | t then =\n  |        ^");
}

TEST(Render, EmptySpansAndSpansPastTheEnd) {
    // A span of no width still gets one caret; a span at the very end of the text points just
    // past its last character; a span that runs past a line's end counts what lies beyond.
    EXPECT_EQ(render(Diagnostic::illegal("m", Span{0, 1}), ""), "illegal: m\n  |\n1 | \n  | ^");
    EXPECT_EQ(render(Diagnostic::illegal("m", Span{2, 0}), "ab"),
              "illegal: m\n  |\n1 | ab\n  |   ^");
    EXPECT_EQ(render(Diagnostic::illegal("m", Span{1, 50}), "ab\ncd"),
              "illegal: m\n  |\n1 | ab\n  |  ^^^^");
}

TEST(Render, OneIndexOfLinesServesEveryNote) {
    // Several notes drawn through one index of the lines: at the line feed that ends a line, at
    // a line's first character, on an empty line and past the last line feed.
    const std::string text = "t\nthen keep\n\nthen take 1\n";
    const SentenceLines lines(text);
    const auto at = [&](std::size_t start) {
        return render(Diagnostic::assumption("n", Span{start, 1}), lines);
    };
    EXPECT_EQ(at(1), "assumption: n\n  |\n1 | t\n  |  ^");
    EXPECT_EQ(at(2), "assumption: n\n  |\n2 | then keep\n  | ^");
    EXPECT_EQ(at(12), "assumption: n\n  |\n3 | \n  | ^");
    EXPECT_EQ(at(text.size()), "assumption: n\n  |\n5 | \n  | ^");
}

}  // namespace
}  // namespace brell
