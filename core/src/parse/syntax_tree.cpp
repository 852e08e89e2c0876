#include "parse/syntax_tree.hpp"

#include "diagnostic/unreachable.hpp"
#include "parse/overloaded.hpp"

namespace brell {

// The syntax tree keeps one Step for every step of the sentence, and a Step is as large as its
// largest verb: a large part of a verb that is seldom written belongs in an OptionalBox.
static_assert(sizeof(Step) <= 112, "a verb's node has grown past the size of a Step");

std::string_view arithmetic_symbol(ArithmeticOperator op) {
    switch (op) {
        case ArithmeticOperator::Plus:
            return "+";
        case ArithmeticOperator::Minus:
            return "-";
        case ArithmeticOperator::Times:
            return "*";
        case ArithmeticOperator::DividedBy:
            return "/";
    }
    unreachable("every arithmetic operator has a symbol");
}

std::string_view compare_word(CompareOperator op) {
    switch (op) {
        case CompareOperator::Is:
            return "is";
        case CompareOperator::IsNot:
            return "is not";
        case CompareOperator::Less:
            return "<";
        case CompareOperator::LessOrEqual:
            return "<=";
        case CompareOperator::Greater:
            return ">";
        case CompareOperator::GreaterOrEqual:
            return ">=";
    }
    unreachable("every comparison has a word");
}

std::string_view logic_word(LogicOperator op) {
    return op == LogicOperator::And ? "and" : "or";
}

std::string_view text_test_word(TextTestOperator op) {
    switch (op) {
        case TextTestOperator::Starts:
            return "starts";
        case TextTestOperator::Ends:
            return "ends";
        case TextTestOperator::Contains:
            return "contains";
        case TextTestOperator::Matches:
            return "matches";
    }
    unreachable("every text test has a word");
}

std::vector<const Value*> children(const Value& value) {
    std::vector<const Value*> found;
    const auto all = [&](const std::vector<Value>& values) {
        for (const Value& each : values) found.push_back(&each);
    };
    std::visit(Overloaded{
                   [](const Column&) {},
                   [](const Text&) {},
                   [](const Whole&) {},
                   [](const Decimal&) {},
                   [](const Truth&) {},
                   [](const Missing&) {},
                   [&](const Arithmetic& node) {
                       found = {&*node.left, &*node.right};
                   },
                   [&](const Compare& node) {
                       found = {&*node.left, &*node.right};
                   },
                   [&](const Logic& node) {
                       found = {&*node.left, &*node.right};
                   },
                   [&](const Not& node) { found = {&*node.operand}; },
                   [&](const InSet& node) {
                       found = {&*node.operand};
                       all(node.items);
                   },
                   [&](const IsMissing& node) { found = {&*node.operand}; },
                   [&](const Call& node) { all(node.arguments); },
                   [&](const TextTest& node) {
                       found = {&*node.left, &*node.right};
                   },
                   [&](const OverColumns& node) {
                       found = {&*node.chooser, &*node.question};
                   },
                   [](const KindWord&) {},
                   [](const ValueWord&) {},
                   [](const NameWord&) {},
                   [](const Ranking&) {},
                   [&](const When& node) {
                       for (const WhenBranch& branch : node.branches) {
                           found.push_back(&*branch.question);
                           found.push_back(&*branch.answer);
                       }
                       if (node.otherwise) found.push_back(&**node.otherwise);
                   },
                   [&](const LookUp& node) {
                       found = {&*node.subject};
                       for (const LookUpPair& pair : node.pairs) {
                           found.push_back(&*pair.from);
                           found.push_back(&*pair.to);
                       }
                       found.push_back(&*node.otherwise);
                   },
                   [&](const Rolling& node) {
                       all(node.arguments);
                       found.push_back(&*node.size);
                   },
                   [](const Matching&) {},
               },
               value.node);
    return found;
}

std::vector<Value*> children(Value& value) {
    // The same children; the value is not const, so neither are they.
    std::vector<Value*> found;
    for (const Value* child : children(static_cast<const Value&>(value))) {
        found.push_back(const_cast<Value*>(child));
    }
    return found;
}

}  // namespace brell

namespace brell {

std::string_view verb_word(const StepNode& step) {
    return std::visit(
        Overloaded{
            [](const Keep&) { return std::string_view("keep"); },
            [](const Pick&) { return std::string_view("pick"); },
            [](const Add&) { return std::string_view("add"); },
            [](const Summarize&) { return std::string_view("summarize"); },
            [](const Sort&) { return std::string_view("sort"); },
            [](const Take& node) { return std::string_view(node.last ? "take_last" : "take"); },
            [](const AddRows&) { return std::string_view("add_rows"); },
            [](const AddCombinations&) { return std::string_view("add_combinations"); },
            [](const DropDuplicates&) { return std::string_view("drop_duplicates"); },
            [](const Rename&) { return std::string_view("rename"); },
            [](const DropMissing&) { return std::string_view("drop_missing"); },
            [](const FillMissing&) { return std::string_view("fill_missing"); },
            [](const Lengthen&) { return std::string_view("lengthen"); },
            [](const Widen&) { return std::string_view("widen"); },
            [](const Join&) { return std::string_view("join"); },
        },
        step);
}

}  // namespace brell
