#include "parse/lexer.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace brell {
namespace {

// The tokens in one line: each as kind(payload)@start+length, bracket names with their spans.
std::string describe(std::string_view text) {
    static const char* const kNames[] = {"word", "bracket", "text", "whole", "decimal", "+",  "-",
                                         "*",    "/",       "<",    "<=",    ">",       ">=", "(",
                                         ")",    "{",       "}",    ",",     "."};
    const Result<std::vector<Token>> result = lex(text);
    if (!result.ok()) return "refused: " + result.error().message;
    std::ostringstream out;
    for (const Token& token : *result) {
        out << kNames[static_cast<int>(token.kind)];
        if (token.kind == TokenKind::Word || token.kind == TokenKind::Text)
            out << '(' << token.text << ')';
        if (token.kind == TokenKind::Whole) out << '(' << token.whole << ')';
        if (token.kind == TokenKind::Decimal) out << '(' << token.decimal << ')';
        for (const BracketName& name : token.names) {
            out << '(' << name.text << '@' << name.span.start << '+' << name.span.length << ')';
        }
        out << '@' << token.span.start << '+' << token.span.length << ' ';
    }
    return out.str();
}

TEST(Lexer, TokensAndTheirByteSpans) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"(){},.+-*/<<=>>=",
         "(@0+1 )@1+1 {@2+1 }@3+1 ,@4+1 .@5+1 +@6+1 -@7+1 *@8+1 /@9+1 <@10+1 "
         "<=@11+2 >@13+1 >=@14+2 "},
        // Multi-byte characters first, so byte offsets differ from character counts.
        {"größe 数量 [数量] \"é\" 10 2.5",
         "word(größe)@0+7 word(数量)@8+6 bracket(数量@16+6)@15+8 text(é)@24+4 whole(10)@29+2 "
         "decimal(2.5)@32+3 "},
        // U+0663 is numeric: it continues a word but cannot start one.
        {"Keep x2 _t a\u0663 10abc",
         "word(Keep)@0+4 word(x2)@5+2 word(_t)@8+2 word(a\u0663)@11+3 "
         "whole(10)@15+2 word(abc)@17+3 "},
        {"sales # a comment\nthen", "word(sales)@0+5 word(then)@18+4 "},
        {"a\u3000b\u00a0c", "word(a)@0+1 word(b)@4+1 word(c)@7+1 "},
        {"\"it's\" \"\" \"two\nlines # = 'q'\"",
         "text(it's)@0+6 text()@7+2 text(two\nlines # = 'q')@10+19 "},
        {"[ region ]", "bracket(region@2+6)@0+10 "},
        {"[a,\u3000b.c \"d\" ,  unit price\t]",
         "bracket(a@1+1)(b.c \"d\"@6+7)(unit price@17+10)@0+29 "},
        {"10.5.2", "decimal(10.5)@0+4 .@4+1 whole(2)@5+1 "},
        {"-3 10. 007", "-@0+1 whole(3)@1+1 decimal(10)@3+3 whole(7)@7+3 "},
        {"9223372036854775807", "whole(9223372036854775807)@0+19 "},
        // Too small to tell from zero reads as the nearest double rather than being refused.
        {"0." + std::string(400, '0') + "1", "decimal(0)@0+403 "},
        {"0." + std::string(310, '0') + "1", "decimal(1e-311)@0+313 "},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(describe(text), expected) << text;
}

TEST(Lexer, WhiteSpaceAndCommentsYieldNoTokens) {
    for (std::string_view text : {"", " \t\r\n\v\f\u3000\u2028", "# only a comment",
                                  "  # one\n# two\n", "#\xff bytes that are not UTF-8\n"}) {
        EXPECT_EQ(describe(text), "") << text;
    }
}

TEST(Lexer, RefusalsAndTheirSpans) {
    const std::string is =
        "the grammar writes equality as the word `is`, so that one spelling "
        "works in every language. Write `is` instead of `=`";
    const std::string negation =
        "the grammar writes negation as the word `not`. Write `is not` "
        "instead of `!=`, and `not` instead of `!`";
    const std::string as_word = "the grammar writes this as the word `";
    const std::string as_word_end = "`, so that one spelling works in every language";
    const std::string quote =
        "the grammar writes a text value with double quotes, and only "
        "double quotes, so there is one spelling rather than two. Write `\"";
    const std::string nothing =
        " means nothing in the grammar. A column goes in brackets, a text "
        "value in double quotes, and a set in braces";
    const std::string inner =
        "a column bracket cannot contain another one. Write `[name]`, and "
        "separate several names with commas: `[a, b]`";
    const std::string empty =
        "a column bracket is empty. Write the column's name between the brackets";
    const std::string big = std::string(400, '9') + ".5";

    struct Case {
        std::string text, message;
        Span span;
    };
    const std::vector<Case> cases = {
        {"größe = 1", is, {8, 1}},  // byte 8, character 6
        {"a <> b",
         "the grammar writes this as the words `is not`, so that one spelling works in every "
         "language. Write `is not` instead of `<>`",
         {2, 2}},
        {"!x", negation, {0, 1}},
        {"a != b", negation, {2, 2}},
        {"a & b", as_word + "and" + as_word_end, {2, 1}},
        {"a && b", as_word + "and" + as_word_end, {2, 2}},
        {"a | b", as_word + "or" + as_word_end, {2, 1}},
        {"a || b", as_word + "or" + as_word_end, {2, 2}},
        {"keep 'West' is x 'y'", quote + "West\"`", {5, 1}},
        {"'West", quote + "\u2026\"`", {0, 1}},
        {"'a\xffz'", quote + "a\uFFFDz\"`", {0, 1}},
        {"é \"West", "this text value is never closed. Add a `\"` at the end of it", {3, 1}},
        {"[a [b]]", inner, {3, 1}},
        {"[a [b", inner, {3, 1}},
        {"x [a, b", "this column bracket is never closed. Add a `]` after the column name", {2, 1}},
        {"x []", empty, {2, 2}},
        {"[a, ]", empty, {0, 5}},
        {"[a,,b] [", empty, {0, 6}},
        {"[ \u3000 ]", empty, {0, 7}},
        {"9223372036854775808",
         "`9223372036854775808` is too large a whole number to read",
         {0, 19}},
        {"1 + " + big, "`" + big + "` is too large a number to read", {4, 402}},
        {"x €", "`€`" + nothing, {2, 3}},
        {"\u0663", "`\u0663`" + nothing, {0, 2}},
        // A byte that is not UTF-8 shows as U+FFFD and is refused on its own.
        {"x \xff", "`\uFFFD`" + nothing, {2, 1}},
        {"\xe6\x95", "`\uFFFD`" + nothing, {0, 1}},
        {"a = b & c", is, {2, 1}},  // the first refusal is the one reported
    };
    for (const Case& expected : cases) {
        const Result<std::vector<Token>> result = lex(expected.text);
        ASSERT_FALSE(result.ok()) << expected.text;
        EXPECT_EQ(result.error().kind, DiagnosticKind::Illegal) << expected.text;
        EXPECT_EQ(result.error().message, expected.message) << expected.text;
        EXPECT_EQ(result.error().span, std::optional<Span>(expected.span)) << expected.text;
    }
}

TEST(Lexer, LongInputsComeBackWhole) {
    // Quadratic scanning would make these take minutes.
    EXPECT_EQ(lex("\"" + std::string(5'000'000, 'a') + "\"")->at(0).text.size(), 5'000'000u);
    EXPECT_EQ(lex("[" + std::string(100'000, 'n') + "]")->at(0).names.at(0).text.size(), 100'000u);
    std::string many;
    for (int i = 0; i < 100'000; ++i) many += "a, ";
    EXPECT_EQ(lex(many)->size(), 200'000u);
}

}  // namespace
}  // namespace brell
