#include "parse/lexer.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "diagnostic/diagnostic.hpp"
#include "parse/borrowed_words.hpp"
#include "parse/vocabulary.hpp"
#include "text/unicode.hpp"

namespace brell {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

constexpr std::string_view kEqualsMessage =
    "the grammar writes equality as the word `is`, so that one spelling works in every "
    "language. Write `is` instead of `=`";
constexpr std::string_view kNotEqualMessage =
    "the grammar writes this as the words `is not`, so that one spelling works in every "
    "language. Write `is not` instead of `<>`";
constexpr std::string_view kNegationMessage =
    "the grammar writes negation as the word `not`. Write `is not` instead of `!=`, and `not` "
    "instead of `!`";
constexpr std::string_view kSingleQuoteMessage =
    "the grammar writes a text value with double quotes, and only double quotes, so there is "
    "one spelling rather than two. Write `\"";
constexpr std::string_view kUnclosedTextMessage =
    "this text value is never closed. Add a `\"` at the end of it";
constexpr std::string_view kInnerBracketMessage =
    "a column bracket cannot contain another one. Write `[name]`, and separate several names "
    "with commas: `[a, b]`";
constexpr std::string_view kUnclosedBracketMessage =
    "this column bracket is never closed. Add a `]` after the column name";
constexpr std::string_view kEmptyBracketMessage =
    "a column bracket is empty. Write the column's name between the brackets";
constexpr std::string_view kRemainderMessage =
    "`%` means nothing in the grammar: the remainder of a division is the function `remainder`, "
    "which takes the sign of the divisor: `remainder([total], 2)`";
constexpr std::string_view kWholeDivisionMessage =
    "`//` means nothing in the grammar: the whole times one number goes into another is "
    "`whole_quotient([total], 2)` (cut towards zero), or divide with `/` and say which way to "
    "round, `round_below([total] / 2)`";
constexpr std::string_view kPowerMessage =
    "`**` means nothing in the grammar: a number raised to a power is the function `power`, "
    "`power([x], 2)`";
constexpr std::string_view kMeansNothingMessage =
    " means nothing in the grammar. A column goes in brackets, a text value in double quotes, "
    "and a set in braces";

std::string join(std::initializer_list<std::string_view> parts) {
    std::size_t size = 0;
    for (std::string_view part : parts) size += part.size();
    std::string joined;
    joined.reserve(size);
    for (std::string_view part : parts) joined += part;
    return joined;
}

// `&` and `|` share one message; only the word differs.
std::string spelled_as_word(std::string_view word) {
    return join({"the grammar writes this as the word `", word,
                 "`, so that one spelling works in every language"});
}

bool is_ascii_digit(char32_t c) {
    return c >= '0' && c <= '9';
}

bool is_ascii_letter(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_space(char32_t c) {
    if (c == ' ' || (c >= '\t' && c <= '\r')) return true;
    return c >= 0x80 && is_white_space(c);
}

bool starts_word(char32_t c) {
    if (c < 0x80) return is_ascii_letter(c) || c == '_';
    return is_alphabetic(c);
}

bool continues_word(char32_t c) {
    if (c < 0x80) return is_ascii_letter(c) || is_ascii_digit(c) || c == '_';
    return is_alphabetic(c) || is_numeric(c);
}

// A byte that is not UTF-8 decodes as U+FFFD of one byte; a written U+FFFD takes three.
bool is_bad_byte(char32_t value, std::size_t length) {
    return value == kReplacement && length == 1;
}

// Reads the pipeline text into tokens in one pass over its characters. Every scan starts at
// `at_`, leaves it just past what it consumed, and either appends one token or returns the
// refusal that ends the whole scan.
class Lexer {
  public:
    explicit Lexer(std::string_view text) : text_(text) {
        const bool ascii =
            std::all_of(text.begin(), text.end(), [](char byte) { return (byte & 0x80) == 0; });
        length_ = text.size();
        if (ascii) return;  // each character is its byte, at its own offset
        values_.reserve(text.size());
        offsets_.reserve(text.size() + 1);
        for (std::size_t offset = 0; offset < text.size();) {
            const Character character = decode_character(text, offset);
            values_.push_back(character.value);
            offsets_.push_back(offset);
            offset += character.length;
        }
        offsets_.push_back(text.size());
        length_ = values_.size();
    }

    // Scans until one token is read or the text ends: the token, or none at the end.
    Result<std::optional<Token>> next() {
        while (at_ < length_) {
            if (Verdict refusal = scan_one()) return std::move(*refusal);
            if (pending_) {
                std::optional<Token> token = std::move(pending_);
                pending_.reset();
                return token;
            }
        }
        return std::optional<Token>();
    }

  private:
    // The character at `index`, and the byte offset it begins at.
    char32_t value_at(std::size_t index) const {
        return values_.empty() ? static_cast<unsigned char>(text_[index]) : values_[index];
    }
    std::size_t byte_offset(std::size_t index) const {
        return offsets_.empty() ? index : offsets_[index];
    }

    char32_t current() const { return value_at(at_); }

    // The character `ahead` places after the current one, or 0 past the end of the text.
    char32_t peek(std::size_t ahead) const {
        return at_ + ahead < length_ ? value_at(at_ + ahead) : 0;
    }

    std::size_t offset_of(std::size_t index) const {
        return index < length_ ? byte_offset(index) : text_.size();
    }

    // The bytes of the characters [first, end).
    Span span_of(std::size_t first, std::size_t end) const {
        return Span{offset_of(first), offset_of(end) - offset_of(first)};
    }

    std::string_view bytes_of(std::size_t first, std::size_t end) const {
        const Span span = span_of(first, end);
        return text_.substr(span.start, span.length);
    }

    // The characters [first, end) as they may be shown in a message: a byte that is not UTF-8
    // shows as U+FFFD, so that the message itself stays valid UTF-8.
    std::string shown(std::size_t first, std::size_t end) const {
        std::string result;
        result.reserve(offset_of(end) - offset_of(first));
        for (std::size_t i = first; i < end; ++i) {
            const std::size_t length = offset_of(i + 1) - offset_of(i);
            if (is_bad_byte(value_at(i), length)) {
                result += kReplacementUtf8;
            } else {
                result += text_.substr(offset_of(i), length);
            }
        }
        return result;
    }

    Token& emit(TokenKind kind, std::size_t first, std::size_t end) {
        Token token;
        token.kind = kind;
        token.span = span_of(first, end);
        pending_ = std::move(token);
        at_ = end;
        return *pending_;
    }

    Diagnostic refuse(std::string message, std::size_t first, std::size_t end) const {
        return Diagnostic::illegal(std::move(message), span_of(first, end));
    }

    Verdict scan_one() {
        const char32_t c = current();
        if (is_space(c)) {
            ++at_;
            return std::nullopt;
        }
        if (is_ascii_digit(c)) return scan_number();
        if (starts_word(c)) return scan_word();
        switch (c) {
            case '#':
                skip_comment();
                return std::nullopt;
            case '"':
                return scan_text();
            case '[':
                return scan_bracket();
            case '(':
                return single(TokenKind::OpenParen);
            case ')':
                return single(TokenKind::CloseParen);
            case '{':
                return single(TokenKind::OpenBrace);
            case '}':
                return single(TokenKind::CloseBrace);
            case ',':
                return single(TokenKind::Comma);
            case '.':
                return single(TokenKind::Dot);
            case '+':
                return single(TokenKind::Plus);
            case '-':
                return single(TokenKind::Minus);
            case '*':
                if (peek(1) == '*') return refuse(std::string(kPowerMessage), at_, at_ + 2);
                return single(TokenKind::Times);
            case '/':
                if (peek(1) == '/') {
                    return refuse(std::string(kWholeDivisionMessage), at_, at_ + 2);
                }
                return single(TokenKind::DividedBy);
            case '<':
                if (peek(1) == '=') return pair(TokenKind::LessOrEqual);
                if (peek(1) == '>') return refuse(std::string(kNotEqualMessage), at_, at_ + 2);
                return single(TokenKind::Less);
            case '>':
                if (peek(1) == '=') return pair(TokenKind::GreaterOrEqual);
                return single(TokenKind::Greater);
            case '=':
                return refuse(std::string(kEqualsMessage), at_, at_ + 1);
            case '!':
                return refuse(std::string(kNegationMessage), at_, at_ + (peek(1) == '=' ? 2 : 1));
            case '&':
                return refuse(spelled_as_word("and"), at_, at_ + (peek(1) == '&' ? 2 : 1));
            case '|':
                if (const std::size_t length = pipe_length()) return refuse_pipe(length);
                return refuse(spelled_as_word("or"), at_, at_ + (peek(1) == '|' ? 2 : 1));
            case '\'':
                return refuse_single_quote();
            default:
                if (const std::size_t length = pipe_length()) return refuse_pipe(length);
                if (c == '%') return refuse(std::string(kRemainderMessage), at_, at_ + 1);
                return refuse(join({"`", shown(at_, at_ + 1), "`", kMeansNothingMessage}), at_,
                              at_ + 1);
        }
    }

    // Other languages' pipes between steps: `|>`, `%>%`, and `|` when a verb follows it. Gives
    // the pipe's length in characters, or 0.
    std::size_t pipe_length() const {
        if (current() == '|' && peek(1) == '>') return 2;
        if (current() == '%' && peek(1) == '>' && peek(2) == '%') return 3;
        if (current() != '|' || peek(1) == '|') return 0;
        std::size_t next = at_ + 1;
        while (next < length_ && is_space(value_at(next))) ++next;
        std::string word;
        while (next < length_ && value_at(next) < 0x80 && continues_word(value_at(next))) {
            word += static_cast<char>(value_at(next++));
        }
        const bool verb = is_verb(word) || find_borrowed(word, BorrowedSeat::Verb) != nullptr;
        return verb ? 1 : 0;
    }

    Verdict refuse_pipe(std::size_t length) const {
        const Span pipe = span_of(at_, at_ + length);
        return refuse(join({"steps are joined by the word `then`, so that one spelling works in "
                            "every language: `",
                            sentence_with(text_, pipe, "then"), "`"}),
                      at_, at_ + length);
    }

    Verdict single(TokenKind kind) {
        emit(kind, at_, at_ + 1);
        return std::nullopt;
    }

    Verdict pair(TokenKind kind) {
        emit(kind, at_, at_ + 2);
        return std::nullopt;
    }

    // A comment runs to the end of its line; the line feed is then skipped as white space.
    void skip_comment() {
        while (at_ < length_ && current() != '\n') ++at_;
    }

    Verdict scan_word() {
        std::size_t end = at_ + 1;
        while (end < length_ && continues_word(value_at(end))) ++end;
        const std::size_t first = at_;
        emit(TokenKind::Word, first, end).text = std::string(bytes_of(first, end));
        return std::nullopt;
    }

    // Digits with at most one dot; the dot makes it a decimal. A sign is never taken: `-3` is a
    // minus and a whole number.
    Verdict scan_number() {
        const std::size_t first = at_;
        std::size_t end = at_;
        std::optional<std::size_t> dot;
        while (end < length_) {
            const char32_t c = value_at(end);
            if (c == '.' && !dot) {
                dot = end;
            } else if (!is_ascii_digit(c)) {
                break;
            }
            ++end;
        }
        // Digits and the dot are one byte each, so the characters map onto the bytes directly.
        const std::string_view written = bytes_of(first, end);
        const char* begin = written.data();
        const char* stop = written.data() + written.size();

        if (!dot) {
            std::int64_t value = 0;
            const auto [ptr, error] = std::from_chars(begin, stop, value);
            if (error != std::errc() || ptr != stop) {
                return refuse(join({"`", written, "` is too large a whole number to read"}), first,
                              end);
            }
            emit(TokenKind::Whole, first, end).whole = value;
            return std::nullopt;
        }

        double value = 0;
        const auto [ptr, error] = std::from_chars(begin, stop, value, std::chars_format::fixed);
        if (error == std::errc::result_out_of_range) {
            // Below one the only way out of range is a value too small to tell from zero, which
            // reads as zero; from one upwards it is a value past the largest finite double.
            const std::string_view whole_part = written.substr(0, *dot - first);
            if (whole_part.find_first_not_of('0') != std::string_view::npos) {
                return too_large_decimal(written, first, end);
            }
            value = 0;
        } else if (error != std::errc() || ptr != stop || !std::isfinite(value)) {
            return too_large_decimal(written, first, end);
        }
        emit(TokenKind::Decimal, first, end).decimal = value;
        return std::nullopt;
    }

    Diagnostic too_large_decimal(std::string_view written, std::size_t first,
                                 std::size_t end) const {
        return refuse(join({"`", written, "` is too large a number to read"}), first, end);
    }

    // Everything up to the next double quote, line feeds included; there are no escapes.
    Verdict scan_text() {
        const std::size_t open = at_;
        std::size_t close = open + 1;
        while (close < length_ && value_at(close) != '"') ++close;
        if (close == length_) {
            return refuse(std::string(kUnclosedTextMessage), open, open + 1);
        }
        emit(TokenKind::Text, open, close + 1).text = std::string(bytes_of(open + 1, close));
        return std::nullopt;
    }

    // `[a, b]`: names split at every comma, each trimmed of white space and spanning only its
    // trimmed text. An inner `[` is refused as soon as it is met, before any `]`.
    Verdict scan_bracket() {
        const std::size_t open = at_;
        std::vector<BracketName> names;
        bool any_empty = false;
        std::size_t name_start = open + 1;
        std::size_t i = open + 1;
        for (; i < length_; ++i) {
            const char32_t c = value_at(i);
            if (c == '[') return refuse(std::string(kInnerBracketMessage), i, i + 1);
            if (c == ',' || c == ']') {
                std::size_t first = name_start;
                std::size_t end = i;
                while (first < end && is_space(value_at(first))) ++first;
                while (end > first && is_space(value_at(end - 1))) --end;
                if (first == end) any_empty = true;
                names.push_back(
                    BracketName{std::string(bytes_of(first, end)), span_of(first, end)});
                name_start = i + 1;
                if (c == ']') break;
            }
        }
        if (i == length_) {
            return refuse(std::string(kUnclosedBracketMessage), open, open + 1);
        }
        if (any_empty) return refuse(std::string(kEmptyBracketMessage), open, i + 1);
        emit(TokenKind::ColumnBracket, open, i + 1).names = std::move(names);
        return std::nullopt;
    }

    // The refusal shows the value as it should be written: what stands up to the next `'`, or
    // an ellipsis when there is none.
    Verdict refuse_single_quote() const {
        const std::size_t open = at_;
        std::size_t close = open + 1;
        while (close < length_ && value_at(close) != '\'') ++close;
        const std::string inside = close < length_ ? shown(open + 1, close) : std::string("\u2026");
        return refuse(join({kSingleQuoteMessage, inside, "\"`"}), open, open + 1);
    }

    std::string_view text_;
    // The characters, decoded once, and the byte offset each begins at; the offsets end with the
    // text's size, so a character's bytes run up to the next offset.
    std::vector<char32_t> values_;
    // Both stay empty for a text of ASCII alone, whose characters are its bytes.
    std::vector<std::size_t> offsets_;
    std::size_t length_ = 0;  // in characters
    std::size_t at_ = 0;
    std::optional<Token> pending_;  // the token the last scan read, until it is handed on
};

}  // namespace

namespace {

// No text or name of any language this writes can hold a NUL, so none may stand anywhere.
Verdict refuse_nul(std::string_view text) {
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
        return Diagnostic::illegal(
            "the character U+0000 (NUL) cannot stand in a sentence: no text and no name can hold "
            "it. Remove it",
            Span{nul, 1});
    }
    return std::nullopt;
}

}  // namespace

Result<std::vector<Token>> lex(std::string_view text) {
    BRELL_CHECK(refuse_nul(text));
    std::vector<Token> tokens;
    Lexer lexer(text);
    while (true) {
        BRELL_TRY(std::optional<Token> token, lexer.next());
        if (!token) return tokens;
        tokens.push_back(std::move(*token));
    }
}

Result<std::size_t> count_then_words(std::string_view text) {
    BRELL_CHECK(refuse_nul(text));
    std::size_t count = 0;
    Lexer lexer(text);
    while (true) {
        BRELL_TRY(std::optional<Token> token, lexer.next());
        if (!token) return count;
        if (token->kind == TokenKind::Word && token->text == "then") ++count;
    }
}

struct TokenSource::Reader {
    Lexer lexer;
};

TokenSource::TokenSource(std::string_view text)
    : reader_(std::make_unique<Reader>(Reader{Lexer(text)})) {}

TokenSource::~TokenSource() = default;

std::optional<Token> TokenSource::next() {
    Result<std::optional<Token>> token = reader_->lexer.next();
    return token ? std::move(*token) : std::nullopt;
}

}  // namespace brell
