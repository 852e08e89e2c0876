#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostic/result.hpp"
#include "parse/lexer.hpp"
#include "parse/syntax_tree.hpp"
#include "parse/token.hpp"

namespace brell {

// The parsers' shared state: the tokens, the place reached, and the text they came from (for
// spans at the end). Also the operations both parsers share. Tokens are read from the text as
// they are asked for and kept until `forget_consumed`.
class TokenCursor {
  public:
    // `text` must be one `lex` accepts.
    explicit TokenCursor(std::string_view text);

    bool at_end() const { return !read_up_to(position_); }
    const Token& current() const {
        read_up_to(position_);
        return at(position_);
    }
    // The token `ahead` places after the current one (the next one by default), or null.
    const Token* peek(std::size_t ahead = 1) const;
    // The token `count` places before the current one (the last consumed one for 1), or null.
    const Token* behind(std::size_t count) const;
    bool current_is(TokenKind kind) const { return !at_end() && current().kind == kind; }
    bool current_is_word(std::string_view word) const;
    // Moves past the current token and returns it.
    const Token& advance();
    // Where the last consumed token ends: the end of the span a construct has read so far.
    std::size_t consumed_end() const { return consumed_end_; }
    std::size_t position() const { return position_; }
    // Lets go of the tokens consumed so far but the last few (`behind` reaches back to them);
    // the rest of a token consumed earlier must not be read after it.
    void forget_consumed();

    // If the current token is the word, consumes it.
    bool accept(std::string_view word);
    bool accept(TokenKind kind);

    // The span refusals are drawn under: the current token, or the last character of the text
    // when no token is left (the whole character, so a span never cuts one apart).
    Span here() const;
    Diagnostic refuse_here(std::string message) const;

    // The span from `start` to the end of the last consumed token.
    Span span_from(std::size_t start) const;

    // A table's name: a word that is not reserved, with dotted parts. `refusal` is the message
    // when no such word stands here.
    Result<TableName> table_name(std::string_view refusal);

    // A column bracket, refused with `refusal` when none stands here.
    Result<ColumnList> column_list(std::string_view refusal);

    // A column bracket holding exactly one name.
    Result<ColumnName> one_column(std::string_view refusal);

    // The keys after `by` in `join` and `matching(...)`: `[id, day], [customer_id] is [id]`.
    Result<std::vector<KeyPair>> key_list(std::string_view refusal);
    // Whether another key follows, past its comma (a comma before `where` ends the keys).
    bool another_key();

    std::string_view text() const { return text_; }

  private:
    // Whether the token at `index` has been read (reading on as far as it if need be).
    bool read_up_to(std::size_t index) const;
    const Token& at(std::size_t index) const { return window_[index - first_kept_]; }

    std::string_view text_;
    // The tokens from index `first_kept_` on that have been read; a deque, so that reading more
    // or forgetting the first never moves a token a caller holds.
    mutable TokenSource source_;
    mutable std::deque<Token> window_;
    mutable bool source_ended_ = false;
    std::size_t first_kept_ = 0;
    std::size_t position_ = 0;
    std::size_t consumed_end_ = 0;
};

// The names of a bracket joined by ", ".
std::string joined_names(const std::vector<BracketName>& names);

}  // namespace brell
