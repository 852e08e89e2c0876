#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "diagnostic/result.hpp"
#include "parse/token.hpp"

namespace brell {

// The whole text as tokens, or the first lexical refusal (kind Illegal) under the character at
// fault. Any byte sequence is accepted as input; bytes that are not UTF-8 are refused as
// characters that mean nothing.
Result<std::vector<Token>> lex(std::string_view text);

// What `lex` reads, one token at a time and nothing kept: the number of words `then` (each
// step begins with one), or the refusal `lex` gives.
Result<std::size_t> count_then_words(std::string_view text);

// The tokens of a text `lex` accepts, read one at a time as they are asked for, so that a long
// sentence is never held as tokens whole. The text must outlive the source.
class TokenSource {
  public:
    explicit TokenSource(std::string_view text);
    ~TokenSource();
    TokenSource(TokenSource&&) noexcept = default;
    TokenSource& operator=(TokenSource&&) noexcept = default;

    // The next token, or none at the end of the text.
    std::optional<Token> next();

  private:
    struct Reader;
    std::unique_ptr<Reader> reader_;
};

}  // namespace brell
