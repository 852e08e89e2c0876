// The values written with their own syntax: rank(...), row_number(), when(...), look_up(...),
// rolling(...) and matching(...).

#include <algorithm>

#include "parse/value_parser.hpp"

namespace brell {
namespace {

constexpr std::string_view kWhenExample = "`when([score] >= 90, \"A\", otherwise \"C\")`";
constexpr std::string_view kLookUpExample = "`look_up([code], \"W\", \"West\", otherwise [code])`";
constexpr std::string_view kRollingExample = "`rolling(average([revenue]), 7)`";
constexpr std::string_view kMatchingExample = "`matching(products, by [id])`";

std::string with(std::string_view first, std::string_view second) {
    return std::string(first) + std::string(second);
}

}  // namespace

ValueParser::Parsing ValueParser::ranking(const Token& word) {
    cursor_.advance();  // (
    if (cursor_.current_is(TokenKind::ColumnBracket) && cursor_.current().names.size() > 1) {
        return cursor_.refuse_here(
            "`rank` ranks by one column. Write one, and sort by the rest first if the order of "
            "ties matters");
    }
    BRELL_TRY(ColumnName column,
              cursor_.one_column("`rank` needs the column to rank by, in brackets: "
                                 "`rank([revenue] descending)`"));
    const bool descending = cursor_.accept("descending");
    if (!cursor_.accept(TokenKind::CloseParen)) {
        return cursor_.refuse_here("`rank(` is never closed. Add a `)` after it");
    }
    return Parsed{Value{cursor_.span_from(word.span.start), Ranking{std::move(column), descending}},
                  1};
}

ValueParser::Parsing ValueParser::row_number(const Token& word) {
    cursor_.advance();  // (
    if (!cursor_.accept(TokenKind::CloseParen)) {
        return cursor_.refuse_here(
            "`row_number()` takes nothing, because it numbers the rows in the order they are "
            "already in. To number by a column, `rank([revenue])` says what it goes by");
    }
    return Parsed{Value{cursor_.span_from(word.span.start), Ranking{std::nullopt, false}}, 1};
}

ValueParser::Parsing ValueParser::when(const Token& word) {
    if (!cursor_.accept(TokenKind::OpenParen)) {
        return cursor_.refuse_here(
            with("`when` needs its questions and answers in parentheses: ", kWhenExample));
    }
    static constexpr std::string_view kNeverClosed =
        "`when(` is never closed. Add a `)` after its answers";
    When node;
    std::size_t depth = 0;
    const auto keep = [&](Parsed parsed) {
        depth = std::max(depth, parsed.depth);
        return std::move(parsed.value);
    };
    bool closed = cursor_.accept(TokenKind::CloseParen);
    while (!closed) {
        if (cursor_.accept("otherwise")) {
            BRELL_TRY(Parsed otherwise, value_level());
            node.otherwise = keep(std::move(otherwise));
            if (cursor_.current_is(TokenKind::Comma)) {
                return cursor_.refuse_here(
                    "`otherwise` is the answer when nothing else matched, so it comes last. "
                    "Anything written after it could never be reached");
            }
            if (!cursor_.accept(TokenKind::CloseParen)) {
                return cursor_.refuse_here(std::string(kNeverClosed));
            }
            break;
        }
        BRELL_TRY(Parsed question, value_level());
        if (!cursor_.accept(TokenKind::Comma)) {
            return cursor_.refuse_here(with(
                "each question `when` asks needs the answer that goes with it, right after it: ",
                kWhenExample));
        }
        if (cursor_.current_is_word("otherwise")) {
            return Diagnostic::illegal(
                with("this question has no answer beside it. Every question `when` asks is "
                     "followed by what it gives: ",
                     kWhenExample),
                question.value.span);
        }
        BRELL_TRY(Parsed answer, value_level());
        node.branches.push_back(WhenBranch{keep(std::move(question)), keep(std::move(answer))});
        if (cursor_.accept(TokenKind::CloseParen)) break;
        if (!cursor_.accept(TokenKind::Comma))
            return cursor_.refuse_here(std::string(kNeverClosed));
    }
    return deeper(Value{cursor_.span_from(word.span.start), std::move(node)}, depth + 1, word.span);
}

ValueParser::Parsing ValueParser::look_up(const Token& word) {
    if (!cursor_.accept(TokenKind::OpenParen)) {
        return cursor_.refuse_here(with(
            "`look_up` maps written values to written values, pairs side by side, and says where "
            "the rest go: ",
            kLookUpExample));
    }
    static constexpr std::string_view kNeverClosed =
        "`look_up(` is never closed. Add a `)` after its `otherwise`";
    static constexpr std::string_view kEndsWithOtherwise =
        "`look_up` says where a value with no pair goes, so it ends with `otherwise`: keep those "
        "values with `otherwise [code]`, drop them with `otherwise missing`, or write a default";
    std::size_t depth = 0;
    const auto keep = [&](Parsed parsed) {
        depth = std::max(depth, parsed.depth);
        return std::move(parsed.value);
    };
    BRELL_TRY(Parsed subject, value_level());
    std::vector<LookUpPair> pairs;
    while (true) {
        if (cursor_.current_is(TokenKind::CloseParen)) {
            return cursor_.refuse_here(std::string(kEndsWithOtherwise));
        }
        const bool comma = cursor_.accept(TokenKind::Comma);
        if (cursor_.current_is_word("otherwise") && pairs.empty()) {
            return cursor_.refuse_here(
                with("`look_up` needs at least one pair to look up: ", kLookUpExample));
        }
        if (!comma) return cursor_.refuse_here(std::string(kNeverClosed));
        if (cursor_.accept("otherwise")) break;
        BRELL_TRY(Parsed from, value_level());
        if (!cursor_.accept(TokenKind::Comma)) {
            return cursor_.refuse_here(
                with("each value `look_up` maps needs what it becomes, right after it: ",
                     kLookUpExample));
        }
        if (cursor_.current_is_word("otherwise")) {
            return Diagnostic::illegal(
                with("this value has nothing beside it to become. Every value looked up is "
                     "followed by its answer: ",
                     kLookUpExample),
                from.value.span);
        }
        BRELL_TRY(Parsed to, value_level());
        pairs.push_back(LookUpPair{keep(std::move(from)), keep(std::move(to))});
    }
    BRELL_TRY(Parsed otherwise, value_level());
    if (cursor_.current_is(TokenKind::Comma)) {
        return cursor_.refuse_here(
            "`otherwise` is where the values with no pair go, so it comes last. Anything written "
            "after it could never be reached");
    }
    if (!cursor_.accept(TokenKind::CloseParen))
        return cursor_.refuse_here(std::string(kNeverClosed));
    Value subject_value = keep(std::move(subject));
    Value otherwise_value = keep(std::move(otherwise));
    return deeper(
        Value{cursor_.span_from(word.span.start),
              LookUp{std::move(subject_value), std::move(pairs), std::move(otherwise_value)}},
        depth + 1, word.span);
}

ValueParser::Parsing ValueParser::rolling(const Token& word) {
    const auto takes_aggregate = [&] {
        return cursor_.refuse_here(with(
            "`rolling` asks an aggregate of the last few rows, so it takes the aggregate and how "
            "many rows: ",
            kRollingExample));
    };
    if (!cursor_.accept(TokenKind::OpenParen)) return takes_aggregate();
    const Token* after = cursor_.peek();
    if (!cursor_.current_is(TokenKind::Word) || after == nullptr ||
        after->kind != TokenKind::OpenParen) {
        return takes_aggregate();
    }
    const std::string& inner = cursor_.current().text;
    if (inner == "rank" || inner == "row_number" || inner == "rolling") {
        return cursor_.refuse_here(
            "`rolling` holds an aggregate — a value that spans rows — and this is already a value "
            "worked out along them. The aggregates are `total`, `average`, `median`, `smallest`, "
            "`largest` and `standard_deviation`");
    }
    if (inner == "when" || inner == "look_up" || inner == "matching") return takes_aggregate();
    const Token& name = cursor_.advance();
    BRELL_TRY(std::vector<Parsed> arguments, call_arguments(name));
    const Span call_span = cursor_.span_from(name.span.start);
    if (!cursor_.accept(TokenKind::Comma)) {
        return cursor_.refuse_here(
            with("`rolling` also needs how many rows the window holds, after the aggregate: ",
                 kRollingExample));
    }
    BRELL_TRY(Parsed size, value_level());
    if (!cursor_.accept(TokenKind::CloseParen)) {
        return cursor_.refuse_here("`rolling(` is never closed. Add a `)` after how many rows");
    }
    std::size_t depth = size.depth;
    std::vector<Value> values;
    for (Parsed& argument : arguments) {
        depth = std::max(depth, argument.depth);
        values.push_back(std::move(argument.value));
    }
    return deeper(
        Value{cursor_.span_from(word.span.start),
              Rolling{name.text, name.span, std::move(values), std::move(size.value), call_span}},
        depth + 1, word.span);
}

ValueParser::Parsing ValueParser::matching(const Token& word) {
    const std::string needs_table = with(
        "`matching` asks whether a row has a partner in another table, so it needs that table by "
        "name: ",
        kMatchingExample);
    if (!cursor_.accept(TokenKind::OpenParen)) return cursor_.refuse_here(needs_table);
    BRELL_TRY(TableName table, cursor_.table_name(needs_table));
    std::vector<KeyPair> keys;
    OptionalBox<PartnerQuestion> partners;
    std::size_t depth = 1;
    bool comma = cursor_.accept(TokenKind::Comma);
    if (comma && cursor_.accept("by")) {
        BRELL_TRY(keys, cursor_.key_list(with(
                            "`by` needs the columns that say which rows correspond, in brackets: ",
                            "`matching(products, by [id])`, or `by [customer_id] is [id]` where "
                            "the two tables name it differently")));
        comma = cursor_.accept(TokenKind::Comma);
    }
    if (comma) {
        if (!cursor_.accept("where")) {
            return cursor_.refuse_here(
                with("the only things `matching` takes after the table are the columns that say "
                     "which rows correspond, then which of the other table's rows count: ",
                     "`matching(orders, by [id], where [status] is \"open\")`"));
        }
        BRELL_TRY(Parsed question, value_level());
        depth = question.depth + 1;
        partners = PartnerQuestion{std::move(question.value), {}};
    }
    if (!cursor_.accept(TokenKind::CloseParen)) {
        return cursor_.refuse_here(
            "`matching(` is never closed. Add a `)` after the table it names");
    }
    return deeper(Value{cursor_.span_from(word.span.start),
                        Matching{std::move(table), std::move(keys), std::move(partners)}},
                  depth, word.span);
}

}  // namespace brell
