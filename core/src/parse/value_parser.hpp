#pragma once

#include <cstddef>

#include "diagnostic/result.hpp"
#include "parse/syntax_tree.hpp"
#include "parse/token_cursor.hpp"

namespace brell {

// How deep a value may nest: levels of the tree, and levels of parentheses, `not`s, minus signs
// and calls inside one another. Deeper values are refused before anything can overflow.
inline constexpr std::size_t kDeepestValue = 1000;

// Reads one value at the cursor by recursive descent over the precedence ladder (loosest first):
// or, and, not, one comparison, + and -, * and /, then minus signs, groups and primaries.
class ValueParser {
  public:
    explicit ValueParser(TokenCursor& cursor) : cursor_(cursor) {}

    Result<Value> parse_value();

  private:
    // A value with the depth of its tree (a lone primary is 1 deep).
    struct Parsed {
        Value value;
        std::size_t depth = 1;
    };
    using Parsing = Result<Parsed>;

    Parsing value_level();
    Parsing or_level();
    Parsing and_level();
    Parsing not_level();
    Parsing comparison_level();
    Parsing additive_level();
    Parsing multiplicative_level();
    Parsing unary_level();
    Parsing primary();
    Parsing word_primary();
    Parsing set_after_in(Parsed operand, bool negated, std::size_t start);
    Parsing call(const Token& name);
    Result<std::vector<Parsed>> call_arguments(const Token& name);

    Parsing ranking(const Token& word);
    Parsing row_number(const Token& word);
    Parsing when(const Token& word);
    Parsing look_up(const Token& word);
    Parsing rolling(const Token& word);
    Parsing matching(const Token& word);

    // Joins two operands into one node one level deeper, refusing at `operator_span` when that
    // goes past the deepest value.
    template <typename Node>
    Parsing join(Parsed left, Parsed right, Span operator_span, auto op);
    Parsing deeper(Value value, std::size_t depth, Span at) const;

    // Counts one more level of recursion while alive; `entered()` is false past the limit.
    class Nesting {
      public:
        explicit Nesting(std::size_t& level) : level_(level) { ++level_; }
        ~Nesting() { --level_; }
        bool entered() const { return level_ <= kDeepestValue; }

      private:
        std::size_t& level_;
    };
    Diagnostic too_deep(Span at) const;

    TokenCursor& cursor_;
    std::size_t nesting_ = 0;
};

}  // namespace brell
