#include "check/value_types.hpp"

#include <algorithm>
#include <string>

#include "check/lookup.hpp"
#include "parse/canonical.hpp"
#include "parse/overloaded.hpp"
#include "plan/value_queries.hpp"
#include "text/decimal_text.hpp"

namespace brell {
namespace {

bool is_question(ColumnType type) {
    return type == ColumnType::Truth || type == ColumnType::Opaque;
}
bool is_number(ColumnType type) {
    return type == ColumnType::Number || type == ColumnType::Opaque;
}
bool is_text(ColumnType type) {
    return type == ColumnType::Text || type == ColumnType::Opaque;
}

std::string phrase(ColumnType type) {
    return std::string(type_phrase(type));
}

// A value written out in the sentence: text, a number (a minus sign included), yes or no, or
// missing.
bool is_written_out(const Value& value) {
    if (const auto* arithmetic = std::get_if<Arithmetic>(&value.node)) {
        const auto* nought = std::get_if<Whole>(&arithmetic->left->node);
        const bool negative_number = arithmetic->op == ArithmeticOperator::Minus &&
                                     nought != nullptr && nought->number == 0 &&
                                     arithmetic->left->span.start == value.span.start &&
                                     (std::holds_alternative<Whole>(arithmetic->right->node) ||
                                      std::holds_alternative<Decimal>(arithmetic->right->node));
        return negative_number;
    }
    return std::holds_alternative<Text>(value.node) || std::holds_alternative<Whole>(value.node) ||
           std::holds_alternative<Decimal>(value.node) ||
           std::holds_alternative<Truth>(value.node) || std::holds_alternative<Missing>(value.node);
}

// How a written-out value reads in a message: `"W"`, `3`, `-2.5`, `yes`.
std::string written_spelling(const Value& value) {
    return std::visit(
        Overloaded{
            [](const Text& node) { return "\"" + node.text + "\""; },
            [](const Whole& node) { return std::to_string(node.number); },
            [](const Decimal& node) { return positional_decimal(node.number); },
            [](const Truth& node) { return std::string(node.yes ? "yes" : "no"); },
            [](const Arithmetic& node) { return "-" + written_spelling(*node.right); },
            [](const auto&) { return std::string("missing"); },
        },
        value.node);
}

}  // namespace

FunctionKind value_kind(const Value& value) {
    if (holds_aggregate(value)) return FunctionKind::Aggregate;
    if (holds_window(value)) return FunctionKind::Window;
    return FunctionKind::Scalar;
}

Result<ColumnType> ValueTypes::type(const Value& value) const {
    return std::visit(
        Overloaded{
            [&](const Column& node) -> Result<ColumnType> {
                BRELL_TRY(TableColumn column, look_up_column(node.name.text, value.span, columns_));
                return column.type;
            },
            [](const Text&) -> Result<ColumnType> { return ColumnType::Text; },
            [](const Whole&) -> Result<ColumnType> { return ColumnType::Number; },
            [](const Decimal&) -> Result<ColumnType> { return ColumnType::Number; },
            [](const Truth&) -> Result<ColumnType> { return ColumnType::Truth; },
            [](const Missing&) -> Result<ColumnType> { return ColumnType::Opaque; },
            [&](const Arithmetic& node) { return arithmetic(node); },
            [&](const Compare& node) { return compare(value, node); },
            [&](const Logic& node) { return logic(node); },
            [&](const Not& node) { return not_question(node); },
            [&](const InSet& node) { return in_set(node); },
            [&](const IsMissing& node) -> Result<ColumnType> {
                BRELL_TRY(ColumnType ignored, type(*node.operand));
                (void)ignored;
                return ColumnType::Truth;
            },
            [&](const Call& node) { return call(value, node); },
            [&](const TextTest& node) { return text_test(node); },
            [&](const OverColumns& node) -> Result<ColumnType> {
                const std::string word = node.quantifier == Quantifier::Any ? "any" : "every";
                return Diagnostic::illegal(
                    "`" + word +
                        "` asks a question of many columns, so it is the whole question a `keep` "
                        "asks and cannot stand here: `keep where " +
                        word + " name starts \"q\" as value > 3`",
                    value.span);
            },
            [&](const KindWord&) -> Result<ColumnType> {
                return Diagnostic::illegal(
                    "`kind` means what a column holds, and the `where` that chooses columns is the "
                    "one place that asks. Write it as `pick where kind is \"number\"`",
                    value.span);
            },
            [&](const ValueWord&) -> Result<ColumnType> {
                return Diagnostic::illegal(
                    "`value` means the column being worked on, and only `add where` and "
                    "`summarize where` work on a column at a time. Name the column you mean, in "
                    "brackets",
                    value.span);
            },
            [&](const NameWord&) -> Result<ColumnType> {
                return Diagnostic::illegal(
                    "`name` means the name of a column, and `pick where` is the one place that "
                    "asks about a name. To test what is *in* a column, write it in brackets: "
                    "`[name]`",
                    value.span);
            },
            [&](const Ranking& node) { return ranking(value, node); },
            [&](const When& node) { return when(node, value.span); },
            [&](const LookUp& node) { return look_up(node); },
            [&](const Rolling& node) { return rolling(node); },
            [&](const Matching& node) -> Result<ColumnType> {
                return Diagnostic::illegal(
                    "`matching` chooses whole rows, so it is the whole question `keep` asks rather "
                    "than one part of it. Ask it in its own step: `then keep where matching(" +
                        node.table.text + ", by [id]) then keep where ...`",
                    value.span);
            },
        },
        value.node);
}

Result<ColumnType> ValueTypes::arithmetic(const Arithmetic& node) const {
    BRELL_TRY(ColumnType left, type(*node.left));
    BRELL_TRY(ColumnType right, type(*node.right));
    const auto refuse = [&](const Value& side, ColumnType side_type) {
        return Diagnostic::illegal("`" + std::string(arithmetic_symbol(node.op)) +
                                       "` works on numbers, and this is " + phrase(side_type) +
                                       ". Convert it first, or compare it instead: `is`, `>`, `<`",
                                   side.span);
    };
    // Texts are run together with `join_text`, not added.
    if (node.op == ArithmeticOperator::Plus && left == ColumnType::Text &&
        right == ColumnType::Text) {
        return Diagnostic::illegal(
            "`+` adds numbers, and these are texts. Texts are run together with `join_text`: "
            "`join_text(" +
                canonical_value(*node.left) + ", " + canonical_value(*node.right) + ")`",
            node.left->span);
    }
    if (!is_number(left)) return refuse(*node.left, left);
    if (!is_number(right)) return refuse(*node.right, right);
    return ColumnType::Number;
}

Result<ColumnType> ValueTypes::compare(const Value& value, const Compare& node) const {
    BRELL_TRY(ColumnType left, type(*node.left));
    BRELL_TRY(ColumnType right, type(*node.right));
    if (!agree(left, right)) {
        return Diagnostic::illegal("this compares " + phrase(left) + " with " + phrase(right) +
                                       ", which can never match. Convert one of them first",
                                   value.span);
    }
    return ColumnType::Truth;
}

Result<ColumnType> ValueTypes::logic(const Logic& node) const {
    BRELL_TRY(ColumnType left, type(*node.left));
    BRELL_TRY(ColumnType right, type(*node.right));
    const std::string word = node.op == LogicOperator::And ? "and" : "or";
    const auto refuse = [&](const Value& side, ColumnType side_type) {
        return Diagnostic::illegal("`" + word + "` joins two questions, and this is " +
                                       phrase(side_type) +
                                       ". Make it a question first: `[column] is \"value\"`, or "
                                       "`[column] > 10`",
                                   side.span);
    };
    if (!is_question(left)) return refuse(*node.left, left);
    if (!is_question(right)) return refuse(*node.right, right);
    return ColumnType::Truth;
}

Result<ColumnType> ValueTypes::not_question(const Not& node) const {
    BRELL_TRY(ColumnType operand, type(*node.operand));
    if (!is_question(operand)) {
        return Diagnostic::illegal("`not` turns a question around, and this is " + phrase(operand) +
                                       ". Make it a question first: `not ([column] is \"value\")`",
                                   node.operand->span);
    }
    return ColumnType::Truth;
}

Result<ColumnType> ValueTypes::in_set(const InSet& node) const {
    BRELL_TRY(ColumnType operand, type(*node.operand));
    for (const Value& item : node.items) {
        BRELL_TRY(ColumnType item_type, type(item));
        if (!agree(operand, item_type)) {
            return Diagnostic::illegal("this set holds " + phrase(item_type) +
                                           " while the column is " + phrase(operand) +
                                           ", so nothing in it could ever match. Write the values "
                                           "as " +
                                           phrase(operand) + " instead",
                                       item.span);
        }
    }
    return ColumnType::Truth;
}

Result<ColumnType> ValueTypes::text_test(const TextTest& node) const {
    BRELL_TRY(ColumnType left, type(*node.left));
    BRELL_TRY(ColumnType right, type(*node.right));
    const auto refuse = [&](const Value& side, std::string_view which, ColumnType side_type) {
        return Diagnostic::illegal("`" + std::string(text_test_word(node.op)) +
                                       "` compares text with text, and " + std::string(which) +
                                       " is " + phrase(side_type) +
                                       ". Convert it first with `to_text(...)`",
                                   side.span);
    };
    if (!is_text(left)) return refuse(*node.left, "this", left);
    if (!is_text(right)) return refuse(*node.right, "the value", right);
    if (node.op == TextTestOperator::Matches && !std::holds_alternative<Text>(node.right->node)) {
        return Diagnostic::illegal(
            "`matches` takes its pattern written out in double quotes, `*` standing for any run "
            "of characters: `[comment] matches \"*special*requests*\"`. To look for a text read "
            "from a column, use `contains`, `starts` or `ends`",
            node.right->span);
    }
    return ColumnType::Truth;
}

Result<ColumnType> ValueTypes::ranking(const Value& value, const Ranking& node) const {
    if (node.column) {
        BRELL_TRY(TableColumn column,
                  look_up_column(node.column->text, node.column->span, columns_));
        (void)column;
    }
    (void)value;
    return ColumnType::Number;
}

Result<ColumnType> ValueTypes::when(const When& node, Span span) const {
    if (node.branches.empty()) {
        return Diagnostic::illegal(
            "`when` needs at least one question and the answer that goes with it: `when([score] "
            ">= 90, \"A\", otherwise \"C\")`",
            span);
    }
    std::optional<ColumnType> answers;
    const auto answer = [&](const Value& given) -> Verdict {
        auto given_type = type(given);
        if (!given_type) return given_type.error();
        if (answers && !agree(*answers, *given_type)) {
            return Diagnostic::illegal(
                "`when` gives one column, so all of its answers have to be the same kind of thing. "
                "One of them is " +
                    phrase(*answers) + " and this is " + phrase(*given_type),
                given.span);
        }
        answers = answers ? agreed_type(*answers, *given_type) : *given_type;
        return std::nullopt;
    };
    for (const WhenBranch& branch : node.branches) {
        BRELL_TRY(ColumnType question, type(*branch.question));
        if (!is_question(question)) {
            return Diagnostic::illegal(
                "each thing `when` tests has to be a question that is either yes or no, and this "
                "is " +
                    phrase(question) + ". Compare it to something: `is`, `>`, `<`, or `in {...}`",
                branch.question->span);
        }
        BRELL_CHECK(answer(*branch.answer));
    }
    if (node.otherwise) BRELL_CHECK(answer(**node.otherwise));
    return *answers;
}

Result<ColumnType> ValueTypes::look_up(const LookUp& node) const {
    BRELL_TRY(ColumnType subject, type(*node.subject));
    std::optional<ColumnType> answers;
    std::vector<std::string> looked_up;
    for (const LookUpPair& pair : node.pairs) {
        const Value& from = *pair.from;
        if (!is_written_out(from)) {
            return Diagnostic::illegal(
                "`look_up` pairs written values, so each value looked up is written out. To test "
                "anything computed, `when` is the word: `when([x] > 3, \"high\", otherwise "
                "\"low\")`",
                from.span);
        }
        if (std::holds_alternative<Missing>(from.node)) {
            return Diagnostic::illegal(
                "a missing value never equals anything, so it cannot be looked up. `fill_missing` "
                "is the word for filling holes, and `first_present` chooses around one",
                from.span);
        }
        BRELL_TRY(ColumnType from_type, type(from));
        if (!agree(subject, from_type)) {
            return Diagnostic::illegal(
                "this looks up " + phrase(from_type) + " in a column holding " + phrase(subject) +
                    ", so it could never match. Write the value as " + phrase(subject),
                from.span);
        }
        const std::string spelled = written_spelling(from);
        if (std::find(looked_up.begin(), looked_up.end(), spelled) != looked_up.end()) {
            return Diagnostic::illegal("`" + spelled +
                                           "` is looked up twice, and the second answer could "
                                           "never be reached. Name each value once",
                                       from.span);
        }
        looked_up.push_back(spelled);
        const Value& to = *pair.to;
        if (!is_written_out(to)) {
            return Diagnostic::illegal(
                "what a value becomes is written out too. For a computed answer, `when` is the "
                "word: `when([x] is \"W\", [region], otherwise ...)`",
                to.span);
        }
        BRELL_TRY(ColumnType to_type, type(to));
        if (answers && !agree(*answers, to_type)) {
            return Diagnostic::illegal(
                "`look_up` gives one column, so everything it gives has to hold the same kind of "
                "thing. One answer is " +
                    phrase(*answers) + " and this is " + phrase(to_type),
                to.span);
        }
        answers = answers ? agreed_type(*answers, to_type) : to_type;
    }
    BRELL_TRY(ColumnType otherwise, type(*node.otherwise));
    const ColumnType given = answers.value_or(ColumnType::Opaque);
    if (!agree(given, otherwise)) {
        return Diagnostic::illegal("`look_up` gives one column, and `otherwise` is " +
                                       phrase(otherwise) + " where the answers are " +
                                       phrase(given) + ". Give the same kind of thing, or convert",
                                   node.otherwise->span);
    }
    return agreed_type(given, otherwise);
}

}  // namespace brell
