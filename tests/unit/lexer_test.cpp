#include "parse/lexer.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace brell {
namespace {

std::vector<Token> lexed(std::string_view text) {
    Result<std::vector<Token>> result = lex(text);
    if (!result.ok()) {
        ADD_FAILURE() << "refused: " << result.error().message;
        return {};
    }
    return std::move(result).value();
}

Diagnostic refused(std::string_view text) {
    Result<std::vector<Token>> result = lex(text);
    if (result.ok()) {
        ADD_FAILURE() << "lexed " << result->size() << " tokens, expected a refusal";
        return Diagnostic::illegal("");
    }
    return result.error();
}

std::vector<TokenKind> kinds(const std::vector<Token>& tokens) {
    std::vector<TokenKind> result;
    for (const Token& token : tokens) result.push_back(token.kind);
    return result;
}

using K = TokenKind;

TEST(Lexer, OperatorsAndPunctuation) {
    const auto tokens = lexed("(){},.+-*/ < <= > >=");
    EXPECT_EQ(kinds(tokens),
              (std::vector<K>{K::OpenParen, K::CloseParen, K::OpenBrace, K::CloseBrace, K::Comma,
                              K::Dot, K::Plus, K::Minus, K::Times, K::DividedBy, K::Less,
                              K::LessOrEqual, K::Greater, K::GreaterOrEqual}));
    EXPECT_EQ(tokens[9].span, (Span{9, 1}));
    EXPECT_EQ(tokens[11].span, (Span{13, 2}));
    EXPECT_EQ(tokens[13].span, (Span{18, 2}));
}

TEST(Lexer, SpansCountBytesNotCharacters) {
    // "größe" is five characters but seven bytes; "数量" is two characters but six bytes.
    const auto tokens = lexed("größe 数量 [数量] \"é\" 10 2.5 +");
    ASSERT_EQ(kinds(tokens), (std::vector<K>{K::Word, K::Word, K::ColumnBracket, K::Text, K::Whole,
                                             K::Decimal, K::Plus}));
    EXPECT_EQ(tokens[0].text, "größe");
    EXPECT_EQ(tokens[0].span, (Span{0, 7}));
    EXPECT_EQ(tokens[1].text, "数量");
    EXPECT_EQ(tokens[1].span, (Span{8, 6}));
    EXPECT_EQ(tokens[2].span, (Span{15, 8}));
    ASSERT_EQ(tokens[2].names.size(), 1u);
    EXPECT_EQ(tokens[2].names[0].span, (Span{16, 6}));
    EXPECT_EQ(tokens[3].text, "é");
    EXPECT_EQ(tokens[3].span, (Span{24, 4}));
    EXPECT_EQ(tokens[4].span, (Span{29, 2}));
    EXPECT_EQ(tokens[5].span, (Span{32, 3}));
    EXPECT_EQ(tokens[6].span, (Span{36, 1}));
}

TEST(Lexer, WordsKeepTheirTextAndCase) {
    // U+0663 is an Arabic-Indic digit: numeric, so it continues a word but cannot start one.
    const auto tokens = lexed("Keep x2 _tmp a\u0663 10abc");
    ASSERT_EQ(kinds(tokens),
              (std::vector<K>{K::Word, K::Word, K::Word, K::Word, K::Whole, K::Word}));
    EXPECT_EQ(tokens[0].text, "Keep");
    EXPECT_EQ(tokens[1].text, "x2");
    EXPECT_EQ(tokens[2].text, "_tmp");
    EXPECT_EQ(tokens[3].text, "a\u0663");
    EXPECT_EQ(tokens[5].text, "abc");
}

TEST(Lexer, WhiteSpaceAndCommentsLeaveNoTrace) {
    for (std::string_view text : {"", " \t\r\n\v\f", "\u3000\u00a0\u2028", "# only a comment",
                                  "  # one\n# two\n", "#\xff bad bytes in a comment\n"}) {
        EXPECT_TRUE(lexed(text).empty()) << text;
    }
    const auto with_comment = lexed("sales # a comment\nthen take 10");
    const auto without = lexed("sales\nthen take 10");
    ASSERT_EQ(kinds(with_comment), kinds(without));
    EXPECT_EQ(with_comment[1].text, "then");
    EXPECT_EQ(with_comment[1].span, (Span{18, 4}));
    // A Unicode space separates words like an ASCII one.
    EXPECT_EQ(lexed("a\u3000b").size(), 2u);
}

TEST(Lexer, TextsTakeEverythingBetweenDoubleQuotes) {
    const auto tokens = lexed("\"it's\" \"\" \"two\nlines # [x] = 'q'\"");
    ASSERT_EQ(kinds(tokens), (std::vector<K>{K::Text, K::Text, K::Text}));
    EXPECT_EQ(tokens[0].text, "it's");
    EXPECT_EQ(tokens[0].span, (Span{0, 6}));
    EXPECT_EQ(tokens[1].text, "");
    EXPECT_EQ(tokens[1].span, (Span{7, 2}));
    EXPECT_EQ(tokens[2].text, "two\nlines # [x] = 'q'");
}

TEST(Lexer, BracketNamesAreSplitAndTrimmed) {
    const auto region = lexed("[ region ]");
    ASSERT_EQ(region.size(), 1u);
    EXPECT_EQ(region[0].span, (Span{0, 10}));
    ASSERT_EQ(region[0].names.size(), 1u);
    EXPECT_EQ(region[0].names[0].text, "region");
    EXPECT_EQ(region[0].names[0].span, (Span{2, 6}));

    const auto several = lexed("[a,\u3000b.c \"d\" ,  unit price\t]");
    ASSERT_EQ(several.size(), 1u);
    const auto& names = several[0].names;
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0].text, "a");
    EXPECT_EQ(names[0].span, (Span{1, 1}));
    EXPECT_EQ(names[1].text, "b.c \"d\"");
    EXPECT_EQ(names[1].span, (Span{6, 7}));
    EXPECT_EQ(names[2].text, "unit price");
    EXPECT_EQ(names[2].span, (Span{17, 10}));
}

TEST(Lexer, Numbers) {
    const auto dotted = lexed("10.5.2");
    ASSERT_EQ(kinds(dotted), (std::vector<K>{K::Decimal, K::Dot, K::Whole}));
    EXPECT_EQ(dotted[0].decimal, 10.5);
    EXPECT_EQ(dotted[0].span, (Span{0, 4}));
    EXPECT_EQ(dotted[2].whole, 2);

    const auto signed_and_trailing = lexed("-3 10. 007");
    ASSERT_EQ(kinds(signed_and_trailing),
              (std::vector<K>{K::Minus, K::Whole, K::Decimal, K::Whole}));
    EXPECT_EQ(signed_and_trailing[1].whole, 3);
    EXPECT_EQ(signed_and_trailing[2].decimal, 10.0);
    EXPECT_EQ(signed_and_trailing[3].whole, 7);

    const auto largest = lexed("9223372036854775807");
    ASSERT_EQ(largest.size(), 1u);
    EXPECT_EQ(largest[0].whole, std::numeric_limits<std::int64_t>::max());

    // Too small to tell from zero is not an error: it reads as the nearest double.
    const auto tiny = lexed("0." + std::string(400, '0') + "1 0." + std::string(310, '0') + "1");
    ASSERT_EQ(kinds(tiny), (std::vector<K>{K::Decimal, K::Decimal}));
    EXPECT_EQ(tiny[0].decimal, 0.0);
    EXPECT_GT(tiny[1].decimal, 0.0);
}

struct Refusal {
    std::string text;
    std::string message;
    Span span;
};

TEST(Lexer, RefusalsNameTheGrammarsOwnSpelling) {
    const std::string is =
        "the grammar writes equality as the word `is`, so that one spelling "
        "works in every language. Write `is` instead of `=`";
    const std::string is_not =
        "the grammar writes this as the words `is not`, so that one "
        "spelling works in every language. Write `is not` instead of `<>`";
    const std::string negation =
        "the grammar writes negation as the word `not`. Write `is not` "
        "instead of `!=`, and `not` instead of `!`";
    const std::string and_word =
        "the grammar writes this as the word `and`, so that one spelling "
        "works in every language";
    const std::string or_word =
        "the grammar writes this as the word `or`, so that one spelling "
        "works in every language";
    const std::string quote =
        "the grammar writes a text value with double quotes, and only "
        "double quotes, so there is one spelling rather than two. Write `\"";
    const std::string nothing =
        " means nothing in the grammar. A column goes in brackets, a text "
        "value in double quotes, and a set in braces";
    const std::string inner =
        "a column bracket cannot contain another one. Write `[name]`, and "
        "separate several names with commas: `[a, b]`";
    const std::string unclosed =
        "this column bracket is never closed. Add a `]` after the column "
        "name";
    const std::string empty =
        "a column bracket is empty. Write the column's name between the "
        "brackets";
    const std::string big_decimal = std::string(400, '9') + ".5";

    const std::vector<Refusal> cases = {
        {"größe = 1", is, {8, 1}},  // the byte offset, not the character index 6
        {"a == b", is, {2, 1}},
        {"a <> b", is_not, {2, 2}},
        {"!x", negation, {0, 1}},
        {"a != b", negation, {2, 2}},
        {"a & b", and_word, {2, 1}},
        {"a && b", and_word, {2, 2}},
        {"a | b", or_word, {2, 1}},
        {"a || b", or_word, {2, 2}},
        {"keep 'West' is x", quote + "West\"`", {5, 1}},
        {"'a\"b' 'c'", quote + "a\"b\"`", {0, 1}},
        {"'West", quote + "\u2026\"`", {0, 1}},
        {"é \"West", "this text value is never closed. Add a `\"` at the end of it", {3, 1}},
        {"[a [b]]", inner, {3, 1}},
        {"[a [b", inner, {3, 1}},
        {"x [a, b", unclosed, {2, 1}},
        {"x []", empty, {2, 2}},
        {"[a, ]", empty, {0, 5}},
        {"[a,,b] [", empty, {0, 6}},
        {"[ \u3000 ]", empty, {0, 7}},
        {"9223372036854775808",
         "`9223372036854775808` is too large a whole number to read",
         {0, 19}},
        {"1 + " + big_decimal, "`" + big_decimal + "` is too large a number to read", {4, 402}},
        {"a @ b", "`@`" + nothing, {2, 1}},
        {"x €", "`€`" + nothing, {2, 3}},
        {"\u0663", "`\u0663`" + nothing, {0, 2}},
        {"a;", "`;`" + nothing, {1, 1}},
        // Bytes that are not UTF-8 show as U+FFFD but are refused one byte at a time.
        {"x \xff", "`\uFFFD`" + nothing, {2, 1}},
        {"\xe6\x95", "`\uFFFD`" + nothing, {0, 1}},
        {"'a\xffz'", quote + "a\uFFFDz\"`", {0, 1}},
        // The first refusal is the one reported.
        {"a = b & c", is, {2, 1}},
    };
    for (const Refusal& expected : cases) {
        const Diagnostic diagnostic = refused(expected.text);
        EXPECT_EQ(diagnostic.kind, DiagnosticKind::Illegal) << expected.text;
        EXPECT_EQ(diagnostic.message, expected.message) << expected.text;
        EXPECT_EQ(diagnostic.span, std::optional<Span>(expected.span)) << expected.text;
    }
}

TEST(Lexer, LargeInputsStayLinear) {
    // A long text, a long name and a long word each come back whole.
    const std::string long_text = "\"" + std::string(5'000'000, 'a') + "\"";
    EXPECT_EQ(lexed(long_text).at(0).text.size(), 5'000'000u);
    const std::string long_name = "[" + std::string(100'000, 'n') + "]";
    EXPECT_EQ(lexed(long_name).at(0).names.at(0).text.size(), 100'000u);
    std::string many_tokens;
    for (int i = 0; i < 100'000; ++i) many_tokens += "a, ";
    EXPECT_EQ(lexed(many_tokens).size(), 200'000u);
}

}  // namespace
}  // namespace brell
