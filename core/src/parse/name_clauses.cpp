// `lengthen` and `widen`: the name and value clauses they share, and name patterns.

#include <algorithm>

#include "parse/step_parser.hpp"

namespace brell {
namespace {

constexpr std::string_view kPatternExample = "`\"{question}_{year}\"`";

bool holds_value_piece(const NamePattern& pattern) {
    return std::any_of(pattern.pieces.begin(), pattern.pieces.end(),
                       [](const PatternPiece& piece) { return piece.is_value; });
}

// Whether the token can begin a value.
bool begins_value(const Token& token) {
    switch (token.kind) {
        case TokenKind::ColumnBracket:
        case TokenKind::Text:
        case TokenKind::Whole:
        case TokenKind::Decimal:
        case TokenKind::Minus:
        case TokenKind::OpenParen:
            return true;
        case TokenKind::Word:
            return token.text != "then";
        default:
            return false;
    }
}

}  // namespace

Result<NamePattern> read_name_pattern(const std::string& text, Span span) {
    const auto refuse = [&](std::string message) {
        return Diagnostic::illegal(std::move(message), span);
    };
    NamePattern pattern;
    pattern.span = span;
    pattern.literals.emplace_back();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '}') {
            return refuse(std::string("this `}` closes nothing. Each piece of the name goes in a "
                                      "pair of braces: ") +
                          std::string(kPatternExample));
        }
        if (text[i] != '{') {
            pattern.literals.back() += text[i];
            continue;
        }
        const std::size_t close = text.find('}', i + 1);
        if (close == std::string::npos) {
            return refuse(std::string("this `{` is never closed. Each piece of the name goes in a "
                                      "pair of braces: ") +
                          std::string(kPatternExample));
        }
        const std::string name = text.substr(i + 1, close - i - 1);
        if (name.empty()) {
            return refuse(
                "`{}` has nothing in it, so there is no column for that piece to become. "
                "Name it: " +
                std::string(kPatternExample));
        }
        if (!pattern.pieces.empty() && pattern.literals.back().empty()) {
            return refuse(
                "two pieces sit against each other with nothing between them, so there "
                "is no way to tell where one ends. Put the text that separates them in "
                "between: " +
                std::string(kPatternExample));
        }
        const bool is_value = name == "value";
        const bool seen =
            std::any_of(pattern.pieces.begin(), pattern.pieces.end(),
                        [&](const PatternPiece& piece) { return piece.name == name; });
        if (seen && is_value) {
            return refuse(
                "`{value}` says which value column a piece belongs to, so there is only "
                "ever one of it");
        }
        if (seen) {
            return refuse("`{" + name +
                          "}` is here twice, and two columns cannot share one name. "
                          "Give the second piece its own");
        }
        pattern.pieces.push_back(PatternPiece{name, is_value});
        pattern.literals.emplace_back();
        i = close;
    }
    if (pattern.pieces.empty()) {
        return refuse("`\"" + text +
                      "\"` has no pieces in braces, so it names nothing and every "
                      "column would get the same name. Say what varies: " +
                      std::string(kPatternExample));
    }
    return pattern;
}

Result<NamePattern> StepParser::name_clause(std::string_view verb) {
    if (cursor_.current_is(TokenKind::ColumnBracket)) {
        const Token& bracket = cursor_.current();
        if (bracket.names.size() > 1) {
            return cursor_.refuse_here(
                "`name` takes one column. To split an old name into several, say what the old "
                "names look like: `name \"{question}_{year}\"`");
        }
        cursor_.advance();
        NamePattern pattern;
        pattern.literals = {"", ""};
        pattern.pieces = {PatternPiece{bracket.names.front().text, false}};
        pattern.bracketed = true;
        pattern.span = bracket.span;
        return pattern;
    }
    if (cursor_.current_is(TokenKind::Text)) {
        const Token& text = cursor_.advance();
        return read_name_pattern(text.text, text.span);
    }
    return cursor_.refuse_here(
        "`name` takes the column, in brackets, or the shape of the old names "
        "in quotes: `" +
        std::string(verb) +
        " ... name [question]` or "
        "`name \"{question}_{year}\"`");
}

Result<StepParser::NameAndValue> StepParser::name_and_value_clauses(std::string_view verb) {
    const bool lengthening = verb == "lengthen";
    NameAndValue clauses;
    bool value_given = false;
    Span value_clause_span;
    while (true) {
        if (cursor_.current_is_word("name")) {
            if (clauses.name) return cursor_.refuse_here("`name` is already here once");
            cursor_.advance();
            BRELL_TRY(clauses.name, name_clause(verb));
        } else if (cursor_.current_is_word("value")) {
            if (value_given) return cursor_.refuse_here("`value` is already here once");
            const std::size_t start = cursor_.advance().span.start;
            value_given = true;
            if (!lengthening) {
                BRELL_TRY(clauses.value, value());
            } else if (cursor_.at_end() || !begins_value(cursor_.current())) {
                return cursor_.refuse_here(
                    "`value` names the column that will hold the values, in brackets: `lengthen "
                    "... value [answer]`");
            } else {
                BRELL_TRY(Value named, value());
                const Column* column = std::get_if<Column>(&named.node);
                if (column == nullptr) {
                    return Diagnostic::illegal(
                        "`value` names the column that will hold the values, so it is a name "
                        "rather than a value: `value [answer]`",
                        named.span);
                }
                clauses.value_column = column->name;
            }
            value_clause_span = cursor_.span_from(start);
        } else {
            return cursor_.refuse_here("`" + std::string(verb) +
                                       "` names its two columns with `name` and `value`: `name "
                                       "[question], value [answer]`");
        }
        // A comma joins the two clauses, so one after a clause asks for another.
        if (!cursor_.accept(TokenKind::Comma)) break;
    }
    if (clauses.name && holds_value_piece(*clauses.name)) {
        if (!lengthening) {
            return Diagnostic::illegal(
                "`{value}` says a piece of the name picks which value column a row belongs to, "
                "which is a question for `lengthen`. Here `value` says what fills the cells, and "
                "it "
                "takes one value: `widen name \"{question}_{year}\", value [answer]`",
                clauses.name->span);
        }
        if (value_given) {
            return Diagnostic::illegal(
                "the pattern already says where the value columns are named, with `{value}`, so "
                "there is nothing for `value` to name. Drop one of the two",
                value_clause_span);
        }
    }
    return clauses;
}

Result<StepNode> StepParser::lengthen() {
    Lengthen node;
    if (cursor_.accept("where")) {
        BRELL_TRY(node.chooser, value());
    } else if (cursor_.accept("all_but")) {
        node.all_but = true;
        BRELL_TRY(node.columns, cursor_.column_list("`all_but` needs the columns to leave where "
                                                    "they are, in brackets: `lengthen all_but "
                                                    "[id]`"));
    } else {
        BRELL_TRY(node.columns,
                  cursor_.column_list(
                      "`lengthen` needs the columns that become rows, in brackets: `lengthen [q1, "
                      "q2, q3]`. `all_but [id]` names the ones to leave instead, and `where name "
                      "starts \"q\"` chooses them by the shape of their name"));
    }
    if (cursor_.accept("as")) {
        BRELL_TRY(NameAndValue clauses, name_and_value_clauses("lengthen"));
        node.name = std::move(clauses.name);
        node.value = std::move(clauses.value_column);
    }
    return StepNode{std::move(node)};
}

Result<StepNode> StepParser::widen() {
    Widen node;
    BRELL_TRY(NameAndValue clauses, name_and_value_clauses("widen"));
    node.name = std::move(clauses.name);
    node.value = std::move(clauses.value);
    bool by_given = false;
    bool missing_given = false;
    bool giving_given = false;
    while (true) {
        if (cursor_.current_is_word("by")) {
            if (by_given) return cursor_.refuse_here("`by` is already here once");
            by_given = true;
            cursor_.advance();
            BRELL_TRY(node.by, cursor_.column_list("`by` needs the columns that say which rows go "
                                                   "together, in brackets: `by [student]`"));
        } else if (cursor_.current_is_word("missing")) {
            if (missing_given) return cursor_.refuse_here("`missing` is already here once");
            missing_given = true;
            cursor_.advance();
            BRELL_TRY(node.missing, value());
        } else if (cursor_.current_is_word("giving")) {
            if (giving_given) return cursor_.refuse_here("`giving` is already here once");
            giving_given = true;
            cursor_.advance();
            BRELL_TRY(node.giving, cursor_.column_list("`giving` needs the columns this makes, in "
                                                       "brackets: `giving [q1, q2, q3]`"));
        } else {
            break;
        }
    }
    return StepNode{std::move(node)};
}

}  // namespace brell
