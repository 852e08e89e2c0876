#include "backend/pandas/pandas_values.hpp"

#include <algorithm>

#include "backend/compare_symbol.hpp"
#include "backend/pandas/pandas_text.hpp"
#include "backend/python_text.hpp"
#include "diagnostic/unreachable.hpp"
#include "parse/overloaded.hpp"
#include "plan/decimal_text.hpp"

namespace brell::pandas {
namespace {

Spelled binary(const Spelled& left, std::string_view symbol, const Spelled& right) {
    return {"(" + left.text + " " + std::string(symbol) + " " + right.text + ")",
            combined(left.shape, right.shape)};
}

// A value written out in the sentence, the same on every row.
bool is_written(const Value& value) {
    return std::holds_alternative<Text>(value.node) || std::holds_alternative<Whole>(value.node) ||
           std::holds_alternative<Decimal>(value.node) ||
           std::holds_alternative<Truth>(value.node) || std::holds_alternative<Missing>(value.node);
}

// pandas answers no when a missing value is compared, as a query leaves the row out, for every
// comparison but `!=`, which answers yes. So `is not` asks that the compared values be there.
std::string present_too(const std::string& test, const std::vector<Spelled>& sides) {
    std::string asked = test;
    for (const Spelled& side : sides) {
        if (side.shape == Shape::Series) asked += " & " + side.text + ".notna()";
    }
    return asked == test ? test : "(" + asked + ")";
}

}  // namespace

Shape combined(Shape left, Shape right) {
    if (left == Shape::Series || right == Shape::Series) return Shape::Series;
    if (left == Shape::Array || right == Shape::Array) return Shape::Array;
    return Shape::Constant;
}

std::string series_of(const Spelled& value) {
    if (value.shape == Shape::Series) return value.text;
    return "pd.Series(" + value.text + ", index=d.index)";
}

bool is_bare_column(const Value& value) {
    return std::holds_alternative<Column>(value.node);
}

const std::string& bare_column_name(const Value& value) {
    const auto* column = std::get_if<Column>(&value.node);
    if (column == nullptr) unreachable("the checker admits only a plain column");
    return column->name.text;
}

std::string PandasValues::groups() const {
    return "d.groupby(" + name_list(group_by_) + ", dropna=False)";
}

Spelled PandasValues::write(const Value& value) const {
    return std::visit(
        Overloaded{
            [](const Column& node) {
                return Spelled{frame_column(node.name.text), Shape::Series};
            },
            [](const Text& node) {
                return Spelled{py_string(node.text), Shape::Constant};
            },
            [](const Whole& node) {
                return Spelled{std::to_string(node.number), Shape::Constant};
            },
            [](const Decimal& node) {
                return Spelled{positional_decimal(node.number), Shape::Constant};
            },
            [](const Truth& node) {
                return Spelled{node.yes ? "True" : "False", Shape::Constant};
            },
            [](const Missing&) {
                return Spelled{"None", Shape::Constant};
            },
            [&](const Arithmetic& node) {
                return binary(write(*node.left), arithmetic_symbol(node.op), write(*node.right));
            },
            [&](const Compare& node) { return compare(node); },
            [&](const Logic& node) {
                return binary(write(*node.left), node.op == LogicOperator::And ? "&" : "|",
                              write(*node.right));
            },
            [&](const Not& node) {
                // `~` on a plain True is -2, so the operand is always a Series.
                return Spelled{"~" + series_of(write(*node.operand)), Shape::Series};
            },
            [&](const InSet& node) { return in_set(node); },
            [&](const IsMissing& node) {
                return Spelled{
                    series_of(write(*node.operand)) + (node.negated ? ".notna()" : ".isna()"),
                    Shape::Series};
            },
            [&](const Call& node) { return call(node); },
            [&](const TextTest& node) { return text_test(node); },
            [](const OverColumns&) -> Spelled {
                unreachable("the checker rewrites `any` and `every` into plain conditions");
            },
            [](const KindWord&) -> Spelled {
                unreachable("the checker replaces `kind`, `value` and `name` before writing");
            },
            [](const ValueWord&) -> Spelled {
                unreachable("the checker replaces `kind`, `value` and `name` before writing");
            },
            [](const NameWord&) -> Spelled {
                unreachable("the checker replaces `kind`, `value` and `name` before writing");
            },
            [&](const Ranking& node) { return ranking(node); },
            [&](const When& node) { return when(node); },
            [&](const LookUp& node) { return look_up(node); },
            [&](const Rolling& node) { return rolling(node); },
            [](const Matching&) -> Spelled {
                unreachable("`matching` is only reached as the whole condition of `keep`");
            },
        },
        value.node);
}

Spelled PandasValues::compare(const Compare& node) const {
    const Spelled left = write(*node.left);
    const Spelled right = write(*node.right);
    const Spelled test = binary(left, r_python_compare_symbol(node.op), right);
    if (node.op != CompareOperator::IsNot) return test;
    return {present_too(test.text, {left, right}), test.shape};
}

Spelled PandasValues::in_set(const InSet& node) const {
    const Spelled operand = write(*node.operand);
    const bool all_written = std::all_of(node.items.begin(), node.items.end(), is_written);
    if (all_written) {
        // `isin` finds a missing value among missing ones, where a missing value never equals
        // anything; so `missing` is left out of the list and matches nothing.
        std::vector<std::string> items;
        for (const Value& item : node.items) {
            if (!std::holds_alternative<Missing>(item.node)) items.push_back(write(item).text);
        }
        const std::string test = series_of(operand) + ".isin([" + joined(items, ", ") + "])";
        if (!node.negated) return {test, Shape::Series};
        return {present_too("~" + test, {operand}), Shape::Series};
    }
    // `isin` takes values, not columns: a set holding a worked-out value is asked one item at a
    // time, `not in` as `is not` of every item.
    std::vector<std::string> tests;
    for (const Value& item : node.items) {
        const Spelled value = write(item);
        tests.push_back(node.negated
                            ? present_too(binary(operand, "!=", value).text, {operand, value})
                            : binary(operand, "==", value).text);
    }
    if (tests.size() == 1) return {tests[0], Shape::Series};
    return {"(" + joined(tests, node.negated ? " & " : " | ") + ")", Shape::Series};
}

Spelled PandasValues::text_test(const TextTest& node) const {
    const Spelled left = write(*node.left);
    const std::string_view method = node.op == TextTestOperator::Starts ? "startswith"
                                    : node.op == TextTestOperator::Ends ? "endswith"
                                                                        : "contains";
    if (const auto* text = std::get_if<Text>(&node.right->node)) {
        // A missing text answers no, as a comparison with a missing value does in pandas, so
        // that the answer can choose rows.
        const std::string regex = node.op == TextTestOperator::Contains ? ", regex=False" : "";
        return {series_of(left) + ".str." + std::string(method) + "(" + py_string(text->text) +
                    regex + ", na=False)",
                Shape::Series};
    }
    const auto expression = [&](const std::vector<std::string>& names) {
        if (node.op == TextTestOperator::Contains) return names[1] + " in " + names[0];
        return names[0] + "." + std::string(method) + "(" + names[1] + ")";
    };
    return row_by_row({{"s", &*node.left}, {"p", &*node.right}}, expression, "False", "bool");
}

Spelled PandasValues::ranking(const Ranking& node) const {
    if (!node.column) {
        if (group_by_.empty()) return {"np.arange(1, len(d) + 1)", Shape::Array};
        // Each group numbers its own rows.
        return {"(" + groups() + ".cumcount() + 1)", Shape::Series};
    }
    const std::string ranked = group_by_.empty()
                                   ? frame_column(node.column->text)
                                   : groups() + "[" + py_string(node.column->text) + "]";
    // Missing values rank after every value, as they sort.
    return {ranked + ".rank(method=\"min\"" + (node.descending ? ", ascending=False" : "") +
                ", na_option=\"bottom\")",
            Shape::Series};
}

Spelled PandasValues::choice(const std::vector<Spelled>& questions,
                             const std::vector<Spelled>& answers, const Value* otherwise) const {
    std::vector<std::string> asked;
    for (const Spelled& question : questions) {
        // One yes or no per row, not one for all of them.
        asked.push_back(question.shape == Shape::Constant ? series_of(question) : question.text);
    }
    if (otherwise != nullptr && !std::holds_alternative<Missing>(otherwise->node)) {
        std::vector<std::string> given;
        for (const Spelled& answer : answers) given.push_back(answer.text);
        return {"np.select([" + joined(asked, ", ") + "], [" + joined(given, ", ") +
                    "], default=" + write(*otherwise).text + ")",
                Shape::Array};
    }
    // With nothing to fall back on np.select would hold every answer as an object, dates as
    // numbers among them. Each answer keeps the rows its question says yes to instead, the
    // first question outermost, and a row no question takes is missing.
    std::string chosen;
    for (std::size_t i = questions.size(); i-- > 0;) {
        chosen = series_of(answers[i]) + ".where(" + asked[i] +
                 (chosen.empty() ? "" : ", " + chosen) + ")";
    }
    return {chosen, Shape::Series};
}

Spelled PandasValues::when(const When& node) const {
    std::vector<Spelled> questions;
    std::vector<Spelled> answers;
    for (const WhenBranch& branch : node.branches) {
        questions.push_back(write(*branch.question));
        answers.push_back(write(*branch.answer));
    }
    return choice(questions, answers, node.otherwise ? &**node.otherwise : nullptr);
}

Spelled PandasValues::look_up(const LookUp& node) const {
    const Spelled subject = write(*node.subject);
    std::vector<Spelled> questions;
    std::vector<Spelled> answers;
    for (const LookUpPair& pair : node.pairs) {
        questions.push_back(binary(subject, "==", write(*pair.from)));
        answers.push_back(write(*pair.to));
    }
    return choice(questions, answers, &*node.otherwise);
}

}  // namespace brell::pandas
