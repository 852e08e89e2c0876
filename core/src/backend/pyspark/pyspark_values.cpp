#include "backend/pyspark/pyspark_values.hpp"

#include "backend/compare_symbol.hpp"
#include "backend/pyspark/pyspark_text.hpp"
#include "backend/python_text.hpp"
#include "diagnostic/unreachable.hpp"
#include "parse/overloaded.hpp"
#include "plan/whole_number_width.hpp"
#include "plan/zero_divisor.hpp"
#include "text/decimal_text.hpp"
#include "text/wildcards.hpp"

namespace brell::pyspark {
namespace {

std::string_view text_test_method(TextTestOperator op) {
    switch (op) {
        case TextTestOperator::Starts:
            return "startswith";
        case TextTestOperator::Ends:
            return "endswith";
        case TextTestOperator::Contains:
        case TextTestOperator::Matches:
            return "contains";
    }
    return "contains";
}

}  // namespace

std::string without_zero(const std::string& divisor) {
    return "F.when(" + divisor + " != 0, " + divisor + ")";
}

namespace {

class ValueWriter {
  public:
    explicit ValueWriter(const ValueContext& context) : context_(context) {}

    std::string value(const Value& value) const;
    std::string column(const Value& value) const { return write_column(value, context_); }
    std::string receiver(const Value& value) const { return write_receiver(value, context_); }

  private:
    // With `divisor`, the right side is made missing where it is 0, as a division by zero is.
    std::string binary(const Value& left, std::string_view symbol, const Value& right,
                       bool divisor = false) const;
    std::string ranking(const Ranking& node) const;
    std::string when(const When& node) const;
    std::string look_up(const LookUp& node) const;

    const ValueContext& context_;
};

// Python works out an operator between two plain values itself, before Spark sees it (and stops
// the program at `1 / 0`): the left one is made a column, so that Spark works out the whole.
std::string ValueWriter::binary(const Value& left, std::string_view symbol, const Value& right,
                                bool divisor) const {
    const bool both_plain = is_python_literal(left) && is_python_literal(right) && !divisor;
    return "(" + (both_plain ? column(left) : value(left)) + " " + std::string(symbol) + " " +
           (divisor ? without_zero(column(right)) : value(right)) + ")";
}

std::string ValueWriter::ranking(const Ranking& node) const {
    // `rank` goes by its own column; `row_number()` by the sort in force.
    ValueContext window = context_;
    std::string order;
    if (node.column) {
        window.sort = nullptr;
        order = ".orderBy(" + order_key(node.column->text, node.descending, false) + ")";
    }
    return std::string(node.column ? "F.rank()" : "F.row_number()") + ".over(" + window_of(window) +
           order + ")";
}

std::string ValueWriter::when(const When& node) const {
    std::string python = "F.";
    for (std::size_t i = 0; i < node.branches.size(); ++i) {
        const WhenBranch& branch = node.branches[i];
        python += std::string(i == 0 ? "" : ".") + "when(" + column(*branch.question) + ", " +
                  value(*branch.answer) + ")";
    }
    if (node.otherwise) python += ".otherwise(" + value(**node.otherwise) + ")";
    return python;
}

std::string ValueWriter::look_up(const LookUp& node) const {
    std::string python = "F.";
    for (std::size_t i = 0; i < node.pairs.size(); ++i) {
        const LookUpPair& pair = node.pairs[i];
        python += std::string(i == 0 ? "" : ".") + "when(" +
                  binary(*node.subject, "==", *pair.from) + ", " + value(*pair.to) + ")";
    }
    return python + ".otherwise(" + value(*node.otherwise) + ")";
}

std::string ValueWriter::value(const Value& value) const {
    return std::visit(
        Overloaded{
            [](const Column& node) { return column_of(node.name.text); },
            [](const Text& node) { return py_string(node.text); },
            [](const Whole& node) { return std::to_string(node.number); },
            [](const Decimal& node) { return positional_decimal(node.number); },
            [](const Truth& node) { return std::string(node.yes ? "True" : "False"); },
            [](const Missing&) { return std::string("None"); },
            [&](const Arithmetic& node) {
                // Spark makes a written whole number a 32-bit integer and wraps past it: widen
                // the first one when the arithmetic on written numbers alone would pass 32 bits.
                if (std::holds_alternative<Whole>(node.left->node) &&
                    whole_arithmetic_passes_32_bits(node)) {
                    return "(" + column(*node.left) + ".cast(\"long\") " +
                           std::string(arithmetic_symbol(node.op)) + " " +
                           this->value(*node.right) + ")";
                }
                return binary(*node.left, arithmetic_symbol(node.op), *node.right,
                              divides(node) && divisor_may_be_zero(*node.right));
            },
            [&](const Compare& node) {
                return binary(*node.left, r_python_compare_symbol(node.op), *node.right);
            },
            [&](const Logic& node) {
                return binary(*node.left, node.op == LogicOperator::And ? "&" : "|", *node.right);
            },
            [&](const Not& node) { return "~" + column(*node.operand); },
            [&](const InSet& node) {
                std::vector<std::string> items;
                for (const Value& item : node.items) items.push_back(this->value(item));
                const std::string test =
                    receiver(*node.operand) + ".isin(" + comma_joined(items) + ")";
                return node.negated ? "~" + test : test;
            },
            [&](const IsMissing& node) {
                return receiver(*node.operand) + (node.negated ? ".isNotNull()" : ".isNull()");
            },
            [&](const Call& node) { return write_call(node, context_); },
            [&](const TextTest& node) {
                if (node.op == TextTestOperator::Matches) {
                    // Spark's LIKE escapes with `\`.
                    return receiver(*node.left) + ".like(" +
                           py_string(wildcard_like(std::get<Text>(node.right->node).text)) + ")";
                }
                return receiver(*node.left) + "." + std::string(text_test_method(node.op)) + "(" +
                       this->value(*node.right) + ")";
            },
            [](const OverColumns&) -> std::string {
                unreachable("the checker turns `any` and `every` into one question per column");
            },
            [](const KindWord&) -> std::string {
                unreachable("`kind` is only asked inside a chooser, which the checker resolves");
            },
            [](const ValueWord&) -> std::string {
                unreachable("the checker puts each chosen column in place of `value`");
            },
            [](const NameWord&) -> std::string {
                unreachable("`name` is only asked inside a chooser, which the checker resolves");
            },
            [&](const Ranking& node) { return ranking(node); },
            [&](const When& node) { return when(node); },
            [&](const LookUp& node) { return look_up(node); },
            [&](const Rolling& node) { return write_rolling(node, context_); },
            [](const Matching&) -> std::string {
                unreachable("`matching` is only ever the whole condition of a keep");
            },
        },
        value.node);
}

}  // namespace

bool is_python_literal(const Value& value) {
    return std::holds_alternative<Text>(value.node) || std::holds_alternative<Whole>(value.node) ||
           std::holds_alternative<Decimal>(value.node) ||
           std::holds_alternative<Truth>(value.node) || std::holds_alternative<Missing>(value.node);
}

std::string write_value(const Value& value, const ValueContext& context) {
    return ValueWriter(context).value(value);
}

std::string write_column(const Value& value, const ValueContext& context) {
    const std::string python = write_value(value, context);
    return is_python_literal(value) ? "F.lit(" + python + ")" : python;
}

std::string as_receiver(std::string column) {
    return column.starts_with("~") ? "(" + column + ")" : column;
}

std::string write_receiver(const Value& value, const ValueContext& context) {
    return as_receiver(write_column(value, context));
}

std::string partition_window(const ValueContext& context) {
    return "Window.partitionBy(" + column_references(context.partition) + ")";
}

std::string window_of(const ValueContext& context) {
    std::string window = partition_window(context);
    if (context.sort != nullptr) window += ".orderBy(" + order_keys(*context.sort) + ")";
    return window;
}

}  // namespace brell::pyspark
