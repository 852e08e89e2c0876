#include "parse/value_parser.hpp"

#include <algorithm>
#include <array>
#include <utility>

#include "parse/borrowed_words.hpp"
#include "parse/vocabulary.hpp"
#include "text/suggest.hpp"
#include "text/unicode.hpp"

namespace brell {
namespace {

// Words other languages use for the language's own `yes`, `no` and `missing`.
struct ForeignWord {
    std::string_view written;
    std::string_view ours;
};
constexpr std::array<ForeignWord, 10> kForeignWords = {{
    {"t", "yes"},
    {"true", "yes"},
    {"f", "no"},
    {"false", "no"},
    {"na", "missing"},
    {"nan", "missing"},
    {"nil", "missing"},
    {"null", "missing"},
    {"none", "missing"},
    {"nothing", "missing"},
}};

std::vector<std::string_view> function_names() {
    std::vector<std::string_view> names;
    for (const FunctionEntry& entry : functions()) names.push_back(entry.name);
    return names;
}

}  // namespace

Result<Value> ValueParser::parse_value() {
    BRELL_TRY(Parsed parsed, value_level());
    return std::move(parsed.value);
}

Diagnostic ValueParser::too_deep(Span at) const {
    return Diagnostic::illegal(
        "this value nests more than " + std::to_string(kDeepestValue) +
            " levels deep here, and that is as deep as the grammar reads. Work a part of it out "
            "in an `add` step of its own first, then use that column: `then add [part] as ... "
            "then add [whole] as [part] + ...`",
        at);
}

ValueParser::Parsing ValueParser::deeper(Value value, std::size_t depth, Span at) const {
    if (depth > kDeepestValue) return too_deep(at);
    return Parsed{std::move(value), depth};
}

template <typename Node>
ValueParser::Parsing ValueParser::join(Parsed left, Parsed right, Span operator_span, auto op) {
    const std::size_t depth = 1 + std::max(left.depth, right.depth);
    const Span span = cover(left.value.span, right.value.span);
    return deeper(Value{span, Node{op, std::move(left.value), std::move(right.value)}}, depth,
                  operator_span);
}

// One full value, counted as one level of nesting (groups, arguments and special forms all
// come back through here).
ValueParser::Parsing ValueParser::value_level() {
    const Nesting nesting(nesting_);
    if (!nesting.entered()) return too_deep(cursor_.here());
    return or_level();
}

ValueParser::Parsing ValueParser::or_level() {
    BRELL_TRY(Parsed left, and_level());
    while (cursor_.current_is_word("or")) {
        const Span operator_span = cursor_.advance().span;
        BRELL_TRY(Parsed right, and_level());
        BRELL_TRY(left,
                  join<Logic>(std::move(left), std::move(right), operator_span, LogicOperator::Or));
    }
    return left;
}

ValueParser::Parsing ValueParser::and_level() {
    BRELL_TRY(Parsed left, not_level());
    while (cursor_.current_is_word("and")) {
        const Span operator_span = cursor_.advance().span;
        BRELL_TRY(Parsed right, not_level());
        BRELL_TRY(left, join<Logic>(std::move(left), std::move(right), operator_span,
                                    LogicOperator::And));
    }
    return left;
}

ValueParser::Parsing ValueParser::not_level() {
    if (!cursor_.current_is_word("not")) return comparison_level();
    const Span word = cursor_.advance().span;
    const Nesting nesting(nesting_);
    if (!nesting.entered()) return too_deep(cursor_.here());
    BRELL_TRY(Parsed operand, not_level());
    const Span span = cover(word, operand.value.span);
    return deeper(Value{span, Not{std::move(operand.value)}}, operand.depth + 1, word);
}

ValueParser::Parsing ValueParser::comparison_level() {
    BRELL_TRY(Parsed left, additive_level());
    const std::size_t start = left.value.span.start;
    if (cursor_.at_end()) return left;

    if (cursor_.current_is_word("is")) {
        const Span word = cursor_.advance().span;
        const bool negated = cursor_.accept("not");
        if (cursor_.accept("missing")) {
            return deeper(
                Value{cursor_.span_from(start), IsMissing{std::move(left.value), negated}},
                left.depth + 1, word);
        }
        BRELL_TRY(Parsed right, additive_level());
        return join<Compare>(std::move(left), std::move(right), word,
                             negated ? CompareOperator::IsNot : CompareOperator::Is);
    }
    static constexpr std::array<std::pair<TokenKind, CompareOperator>, 4> kOrderings = {{
        {TokenKind::Less, CompareOperator::Less},
        {TokenKind::LessOrEqual, CompareOperator::LessOrEqual},
        {TokenKind::Greater, CompareOperator::Greater},
        {TokenKind::GreaterOrEqual, CompareOperator::GreaterOrEqual},
    }};
    for (const auto& [kind, op] : kOrderings) {
        if (!cursor_.current_is(kind)) continue;
        const Span symbol = cursor_.advance().span;
        BRELL_TRY(Parsed right, additive_level());
        return join<Compare>(std::move(left), std::move(right), symbol, op);
    }
    if (cursor_.accept("in")) return set_after_in(std::move(left), false, start);
    const Token* after = cursor_.peek();
    if (cursor_.current_is_word("not") && after != nullptr && after->kind == TokenKind::Word &&
        after->text == "in") {
        cursor_.advance();
        cursor_.advance();
        return set_after_in(std::move(left), true, start);
    }
    static constexpr std::array<std::pair<std::string_view, TextTestOperator>, 4> kTextTests = {{
        {"starts", TextTestOperator::Starts},
        {"ends", TextTestOperator::Ends},
        {"contains", TextTestOperator::Contains},
        {"matches", TextTestOperator::Matches},
    }};
    for (const auto& [word, op] : kTextTests) {
        if (!cursor_.current_is_word(word)) continue;
        const Span word_span = cursor_.advance().span;
        BRELL_TRY(Parsed right, additive_level());
        return join<TextTest>(std::move(left), std::move(right), word_span, op);
    }
    return left;
}

ValueParser::Parsing ValueParser::set_after_in(Parsed operand, bool negated, std::size_t start) {
    if (!cursor_.current_is(TokenKind::OpenBrace)) {
        return cursor_.refuse_here(
            "`in` needs a set of values in braces: `in {\"West\", \"East\"}`");
    }
    const Span open = cursor_.advance().span;
    if (cursor_.current_is(TokenKind::CloseBrace)) {
        return cursor_.refuse_here(
            "this set has no values in it, so nothing could ever match it. Write the values "
            "between the braces: `in {\"West\", \"East\"}`");
    }
    std::size_t depth = operand.depth;
    std::vector<Value> items;
    do {
        BRELL_TRY(Parsed item, value_level());
        depth = std::max(depth, item.depth);
        items.push_back(std::move(item.value));
    } while (cursor_.accept(TokenKind::Comma));
    if (!cursor_.accept(TokenKind::CloseBrace)) {
        return cursor_.refuse_here(
            "this set of values is never closed. Add a `}` after the last one");
    }
    return deeper(
        Value{cursor_.span_from(start), InSet{std::move(operand.value), negated, std::move(items)}},
        depth + 1, open);
}

ValueParser::Parsing ValueParser::additive_level() {
    BRELL_TRY(Parsed left, multiplicative_level());
    while (cursor_.current_is(TokenKind::Plus) || cursor_.current_is(TokenKind::Minus)) {
        const Token& symbol = cursor_.advance();
        const auto op =
            symbol.kind == TokenKind::Plus ? ArithmeticOperator::Plus : ArithmeticOperator::Minus;
        BRELL_TRY(Parsed right, multiplicative_level());
        BRELL_TRY(left, join<Arithmetic>(std::move(left), std::move(right), symbol.span, op));
    }
    return left;
}

ValueParser::Parsing ValueParser::multiplicative_level() {
    BRELL_TRY(Parsed left, unary_level());
    while (cursor_.current_is(TokenKind::Times) || cursor_.current_is(TokenKind::DividedBy)) {
        const Token& symbol = cursor_.advance();
        const auto op = symbol.kind == TokenKind::Times ? ArithmeticOperator::Times
                                                        : ArithmeticOperator::DividedBy;
        BRELL_TRY(Parsed right, unary_level());
        BRELL_TRY(left, join<Arithmetic>(std::move(left), std::move(right), symbol.span, op));
    }
    return left;
}

ValueParser::Parsing ValueParser::unary_level() {
    if (cursor_.current_is(TokenKind::Minus)) {
        // `-x` is read as `0 - x`, the nought spanned by the minus sign.
        const Span minus = cursor_.advance().span;
        const Nesting nesting(nesting_);
        if (!nesting.entered()) return too_deep(cursor_.here());
        BRELL_TRY(Parsed operand, unary_level());
        return join<Arithmetic>(Parsed{Value{minus, Whole{0}}, 1}, std::move(operand), minus,
                                ArithmeticOperator::Minus);
    }
    if (cursor_.current_is(TokenKind::OpenParen)) {
        cursor_.advance();
        BRELL_TRY(Parsed inner, value_level());
        if (!cursor_.accept(TokenKind::CloseParen)) {
            return cursor_.refuse_here("this group is never closed. Add a `)` after it");
        }
        return inner;
    }
    return primary();
}

ValueParser::Parsing ValueParser::primary() {
    static constexpr std::string_view kValueBelongsHere =
        "a value belongs here: a column in brackets, a number, or text in double quotes";
    if (cursor_.at_end()) return cursor_.refuse_here(std::string(kValueBelongsHere));
    const Token& token = cursor_.current();
    switch (token.kind) {
        case TokenKind::ColumnBracket:
            if (token.names.size() > 1) {
                return cursor_.refuse_here(
                    "several columns were written where one value belongs. Write one column here");
            }
            cursor_.advance();
            return Parsed{Value{token.span, Column{{token.names[0].text, token.names[0].span}}}};
        case TokenKind::Text:
            cursor_.advance();
            return Parsed{Value{token.span, Text{token.text}}};
        case TokenKind::Whole:
            cursor_.advance();
            return Parsed{Value{token.span, Whole{token.whole}}};
        case TokenKind::Decimal:
            cursor_.advance();
            return Parsed{Value{token.span, Decimal{token.decimal}}};
        case TokenKind::Word:
            return word_primary();
        default:
            return cursor_.refuse_here(std::string(kValueBelongsHere));
    }
}

ValueParser::Parsing ValueParser::word_primary() {
    const Token& word = cursor_.current();
    const std::string& text = word.text;
    if (text == "then") {
        return cursor_.refuse_here(
            "`then` separates steps and cannot appear inside a value. Something is missing before "
            "it");
    }
    if (text == "name" || text == "kind" || text == "value" || text == "missing" || text == "yes" ||
        text == "no") {
        cursor_.advance();
        if (text == "name") return Parsed{Value{word.span, NameWord{}}};
        if (text == "kind") return Parsed{Value{word.span, KindWord{}}};
        if (text == "value") return Parsed{Value{word.span, ValueWord{}}};
        if (text == "missing") return Parsed{Value{word.span, Missing{}}};
        return Parsed{Value{word.span, Truth{text == "yes"}}};
    }
    const std::string lowered = ascii_lower(text);
    for (const ForeignWord& foreign : kForeignWords) {
        if (lowered != foreign.written) continue;
        const std::string ours(foreign.ours);
        return cursor_.refuse_here("the grammar writes this as `" + ours +
                                   "`, so there is one spelling rather than one per language. "
                                   "Write `" +
                                   ours + "` instead of `" + text + "`");
    }
    const Token* after = cursor_.peek();
    const bool opens = after != nullptr && after->kind == TokenKind::OpenParen;
    if (text == "when") return when(cursor_.advance());
    if (text == "look_up") return look_up(cursor_.advance());
    if (text == "rolling") return rolling(cursor_.advance());
    if (text == "matching") return matching(cursor_.advance());
    if (opens && text == "rank") return ranking(cursor_.advance());
    if (opens && text == "row_number") return row_number(cursor_.advance());
    if (opens) return call(cursor_.advance());
    const auto close_function = suggest(text, function_names());
    return cursor_.refuse_here(
        "`" + text +
        "` is a bare word where a value belongs. A column is written in brackets, as `[" + text +
        "]`, and a function is written with parentheses." +
        (close_function ? " Did you mean `" + std::string(*close_function) + "(...)`?" : ""));
}

Result<std::vector<ValueParser::Parsed>> ValueParser::call_arguments(const Token& name) {
    std::vector<Parsed> arguments;
    cursor_.advance();  // the opening parenthesis
    if (cursor_.accept(TokenKind::CloseParen)) return arguments;
    while (true) {
        BRELL_TRY(Parsed argument, value_level());
        arguments.push_back(std::move(argument));
        if (cursor_.accept(TokenKind::Comma)) continue;
        if (cursor_.accept(TokenKind::CloseParen)) return arguments;
        return Diagnostic::illegal(
            "`" + name.text + "(` is never closed. Add a `)` after its arguments", name.span);
    }
}

ValueParser::Parsing ValueParser::call(const Token& name) {
    BRELL_TRY(std::vector<Parsed> arguments, call_arguments(name));
    if (find_function(name.text) == nullptr) {
        if (const BorrowedWord* borrowed = find_borrowed(name.text, BorrowedSeat::Function)) {
            // A name whose arguments differ from ours stands for the whole call.
            const bool whole_call = borrowed->ours.ends_with("()");
            const Span replaced = whole_call ? cursor_.span_from(name.span.start) : name.span;
            return Diagnostic::illegal(
                borrowed_message(name.text, borrowed->ours,
                                 sentence_with(cursor_.text(), replaced, borrowed->ours),
                                 borrowed->note),
                name.span);
        }
    }
    std::size_t depth = 0;
    std::vector<Value> values;
    values.reserve(arguments.size());
    for (Parsed& argument : arguments) {
        depth = std::max(depth, argument.depth);
        values.push_back(std::move(argument.value));
    }
    return deeper(
        Value{cursor_.span_from(name.span.start), Call{name.text, name.span, std::move(values)}},
        depth + 1, name.span);
}

}  // namespace brell
