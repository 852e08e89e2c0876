#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "diagnostic/span.hpp"

namespace brell {

enum class TokenKind {
    Word,            // sales, keep, total, x2 (case kept)
    ColumnBracket,   // [region], [a, b]
    Text,            // "West"
    Whole,           // 10
    Decimal,         // 10.5
    Plus,            // +
    Minus,           // -
    Times,           // *
    DividedBy,       // /
    Less,            // <
    LessOrEqual,     // <=
    Greater,         // >
    GreaterOrEqual,  // >=
    OpenParen,       // (
    CloseParen,      // )
    OpenBrace,       // {
    CloseBrace,      // }
    Comma,           // ,
    Dot,             // .
};

// One name inside a column bracket, trimmed, with the span of its trimmed text.
struct BracketName {
    std::string text;
    Span span;
};

struct Token {
    TokenKind kind = TokenKind::Word;
    Span span;
    std::string text;  // Word: the word as written; Text: what stands between the quotes
    std::vector<BracketName> names;  // ColumnBracket: the names in written order
    std::int64_t whole = 0;          // Whole
    double decimal = 0;              // Decimal
};

}  // namespace brell
