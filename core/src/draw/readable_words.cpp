// A step's words as the drawings show them: the canonical words, with each value written with the
// fewest parentheses that keep its meaning (`--as brell` keeps every one, for tools to read back).

#include <vector>

#include "draw/ladder.hpp"
#include "parse/canonical.hpp"
#include "parse/overloaded.hpp"

namespace brell {
namespace {

// How tightly a value binds, from `or` (1) to a primary (7): an operand needs parentheses when
// it binds more loosely than its place asks.
int binding(const Value& value) {
    return std::visit(Overloaded{
                          [](const Logic& node) { return node.op == LogicOperator::Or ? 1 : 2; },
                          [](const Not&) { return 3; },
                          [](const Compare&) { return 4; },
                          [](const IsMissing&) { return 4; },
                          [](const InSet&) { return 4; },
                          [](const TextTest&) { return 4; },
                          [](const Arithmetic& node) {
                              return node.op == ArithmeticOperator::Plus ||
                                             node.op == ArithmeticOperator::Minus
                                         ? 5
                                         : 6;
                          },
                          [](const auto&) { return 7; },
                      },
                      value.node);
}

std::string readable(const Value& value, int place);

std::string readable_list(const std::vector<Value>& values) {
    std::string text;
    for (const Value& value : values) text += (text.empty() ? "" : ", ") + readable(value, 1);
    return text;
}

// The value alone, its operands each parenthesised only where their place needs it.
std::string bare(const Value& value) {
    const auto binary = [](const auto& node, int left, int right, std::string_view word) {
        return readable(*node.left, left) + " " + std::string(word) + " " +
               readable(*node.right, right);
    };
    return std::visit(
        Overloaded{
            [&](const Logic& node) {
                const int level = node.op == LogicOperator::Or ? 1 : 2;
                return binary(node, level, level + 1, logic_word(node.op));
            },
            [](const Not& node) { return "not " + readable(*node.operand, 3); },
            [&](const Compare& node) { return binary(node, 5, 5, compare_word(node.op)); },
            [&](const TextTest& node) { return binary(node, 5, 5, text_test_word(node.op)); },
            [](const IsMissing& node) {
                return readable(*node.operand, 5) +
                       (node.negated ? " is not missing" : " is missing");
            },
            [](const InSet& node) {
                return readable(*node.operand, 5) + (node.negated ? " not in {" : " in {") +
                       readable_list(node.items) + "}";
            },
            [&](const Arithmetic& node) {
                const int level = binding(value);
                return binary(node, level, level + 1, arithmetic_symbol(node.op));
            },
            [](const Call& node) {
                return node.function + "(" + readable_list(node.arguments) + ")";
            },
            [&](const auto&) { return canonical_value(value); },
        },
        value.node);
}

std::string readable(const Value& value, int place) {
    const std::string text = bare(value);
    return binding(value) < place ? "(" + text + ")" : text;
}

}  // namespace

std::string step_words(const Step& step) {
    std::string words = canonical_step(step);
    // Each value the step holds at its top, swapped in place for its readable spelling.
    std::vector<const Value*> values;
    std::visit(Overloaded{
                   [&](const Keep& node) { values.push_back(&node.condition); },
                   [&](const Add& node) {
                       for (const NamedValue& item : node.items) values.push_back(&item.value);
                   },
                   [&](const Summarize& node) {
                       for (const NamedValue& item : node.items) values.push_back(&item.value);
                   },
                   [](const auto&) {},
               },
               step.node);
    std::size_t from = 0;
    for (const Value* value : values) {
        const std::string canonical = canonical_value(*value);
        const std::size_t at = words.find(canonical, from);
        if (at == std::string::npos) continue;
        const std::string shown = readable(*value, 1);
        words.replace(at, canonical.size(), shown);
        from = at + shown.size();
    }
    return words;
}

}  // namespace brell
