#include "backend/pandas/pandas_values.hpp"

#include <algorithm>

#include "backend/compare_symbol.hpp"
#include "backend/pandas/pandas_text.hpp"
#include "backend/python_text.hpp"
#include "diagnostic/unreachable.hpp"
#include "parse/overloaded.hpp"
#include "plan/target_profile.hpp"
#include "plan/zero_divisor.hpp"
#include "text/decimal_text.hpp"
#include "text/wildcards.hpp"

namespace brell::pandas {
namespace {

Spelled binary(const Spelled& left, std::string_view symbol, const Spelled& right) {
    return {"(" + left.text + " " + std::string(symbol) + " " + right.text + ")",
            combined(left.shape, right.shape)};
}

// A value written out in the sentence, the same on every row.
bool is_written(const Value& value) {
    return written_date(value) != nullptr || std::holds_alternative<Text>(value.node) ||
           std::holds_alternative<Whole>(value.node) ||
           std::holds_alternative<Decimal>(value.node) ||
           std::holds_alternative<Truth>(value.node) || std::holds_alternative<Missing>(value.node);
}

// A test whose answer is missing on every row, as a test on a written `missing` is.
constexpr std::string_view kMissingTest = "pd.Series(pd.NA, index=d.index, dtype=\"boolean\")";

}  // namespace

const Text* written_date(const Call& call) {
    if (call.function != "to_date" || call.arguments.size() != 1) return nullptr;
    return std::get_if<Text>(&call.arguments.front().node);
}

const Text* written_date(const Value& value) {
    const auto* call = std::get_if<Call>(&value.node);
    return call == nullptr ? nullptr : written_date(*call);
}

Spelled without_zero(const Spelled& divisor) {
    // One value (a group's aggregate, or a number written out) stays one value.
    if (divisor.shape == Shape::Constant) {
        return {"pd.Series([" + divisor.text + "]).where(lambda s: s != 0).iloc[0]",
                Shape::Constant};
    }
    return {series_of(divisor) + ".where(lambda s: s != 0)", Shape::Series};
}

Shape combined(Shape left, Shape right) {
    const auto series = [](Shape shape) { return shape == Shape::Series || shape == Shape::Truth; };
    if (series(left) || series(right)) return Shape::Series;
    if (left == Shape::Array || right == Shape::Array) return Shape::Array;
    return Shape::Constant;
}

std::string series_of(const Spelled& value) {
    if (value.shape == Shape::Series || value.shape == Shape::Truth) return value.text;
    return "pd.Series(" + value.text + ", index=d.index)";
}

std::string text_series_of(const Spelled& value) {
    if (value.shape == Shape::Series || value.shape == Shape::Truth) return value.text;
    return "pd.Series(" + value.text + ", index=d.index, dtype=\"object\")";
}

std::string truth_of(const Spelled& value) {
    if (value.shape == Shape::Truth) return value.text;
    return series_of(value) + ".astype(\"boolean\")";
}

std::string holds(const Spelled& test) {
    // A comparison of a column whose dtype holds a missing value answers missing there.
    if (test.missing_reads_no) return test.text + ".fillna(False)";
    return truth_of(test) + ".fillna(False)";
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
                Spelled right = write(*node.right);
                if (divides(node) && divisor_may_be_zero(*node.right)) right = without_zero(right);
                return binary(write(*node.left), arithmetic_symbol(node.op), right);
            },
            [&](const Compare& node) { return compare(node, read_as_no_.contains(&value)); },
            [&](const Logic& node) {
                const Spelled left = write(*node.left);
                const Spelled right = write(*node.right);
                const std::string symbol = node.op == LogicOperator::And ? " & " : " | ";
                if (left.missing_reads_no && right.missing_reads_no) {
                    return Spelled{"(" + left.text + symbol + right.text + ")", Shape::Series,
                                   true};
                }
                // Nullable booleans answer `and` and `or` as a query does when one side is missing.
                return Spelled{"(" + truth_of(left) + symbol + truth_of(right) + ")", Shape::Truth};
            },
            [&](const Not& node) {
                // `~` on a plain True is -2, so the operand is always a Series; not missing is
                // missing. The parentheses keep a method that follows from binding inside.
                return Spelled{"(~" + truth_of(write(*node.operand)) + ")", Shape::Truth};
            },
            [&](const InSet& node) { return in_set(node, read_as_no_.contains(&value)); },
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

Spelled PandasValues::missing_where_missing(
    const std::string& test, const std::vector<std::pair<Spelled, const Value*>>& sides) const {
    std::vector<std::string> missing;
    for (const auto& [side, value] : sides) {
        if (std::holds_alternative<Missing>(value->node))
            return {std::string(kMissingTest), Shape::Truth};
        // A value written in the sentence is never missing.
        if (is_written(*value)) continue;
        missing.push_back(series_of(side) + ".isna()");
    }
    std::string answer = test + ".astype(\"boolean\")";
    if (!missing.empty()) answer += ".mask(" + joined(missing, " | ") + ")";
    return {answer, Shape::Truth};
}

Spelled PandasValues::compare(const Compare& node, bool read_as_no) const {
    const Spelled left = write(*node.left);
    const Spelled right = write(*node.right);
    const Spelled test = binary(left, r_python_compare_symbol(node.op), right);
    // Where a missing answer is read as no, pandas' own answer stands: no where a side is
    // missing, or missing where a side's dtype holds one. `!=` answers yes there instead, and
    // `None` cannot be compared at all.
    const bool plain_no = node.op != CompareOperator::IsNot && read_as_no &&
                          !std::holds_alternative<Missing>(node.left->node) &&
                          !std::holds_alternative<Missing>(node.right->node);
    if (plain_no) return {test.text, test.shape, test.shape == Shape::Series};
    return missing_where_missing(series_of(test), {{left, &*node.left}, {right, &*node.right}});
}

Spelled PandasValues::in_set(const InSet& node, bool read_as_no) const {
    const Spelled operand = write(*node.operand);
    const bool all_written = std::all_of(node.items.begin(), node.items.end(), is_written);
    Spelled found;
    if (all_written) {
        // `isin` finds a missing value among missing ones, where a missing value never equals
        // anything; so `missing` is left out of the list, and a set that holds it never answers
        // no: the answer is yes or missing.
        std::vector<std::string> items;
        bool lists_missing = false;
        for (const Value& item : node.items) {
            if (std::holds_alternative<Missing>(item.node)) {
                lists_missing = true;
            } else {
                items.push_back(write(item).text);
            }
        }
        const std::string isin = series_of(operand) + ".isin([" + joined(items, ", ") + "])";
        // `isin` answers no for a missing value, which is what its missing answer reads as.
        if (read_as_no && !node.negated && !lists_missing) return {isin, Shape::Series, true};
        found = missing_where_missing(isin, {{operand, &*node.operand}});
        if (lists_missing) found.text += ".replace(False, pd.NA)";
    } else {
        // `isin` takes values, not columns: a set holding a worked-out value is asked one item
        // at a time, each answer missing where the item or the value is.
        std::vector<std::string> tests;
        for (const Value& item : node.items) {
            const Spelled value = write(item);
            tests.push_back(missing_where_missing(series_of(binary(operand, "==", value)),
                                                  {{operand, &*node.operand}, {value, &item}})
                                .text);
        }
        found = {tests.size() == 1 ? tests[0] : "(" + joined(tests, " | ") + ")", Shape::Truth};
    }
    // Not yes is no, not no is yes, and not missing is missing.
    if (node.negated) found.text = "(~" + found.text + ")";
    return found;
}

Spelled PandasValues::text_test(const TextTest& node) const {
    const Spelled left = write(*node.left);
    if (node.op == TextTestOperator::Matches) {
        // The whole text against the pattern, searched for: Python's `re` tries a leading `.*`
        // from every place in the text, so a search anchored only where the pattern is runs far
        // faster than `fullmatch`.
        const std::string regex = wildcard_search(std::get<Text>(node.right->node).text,
                                                  profile_of("pandas").regex_end_of_text);
        return {series_of(left) + ".str.contains(" + py_string(regex) + ").astype(\"boolean\")",
                Shape::Truth};
    }
    const std::string_view method = node.op == TextTestOperator::Starts ? "startswith"
                                    : node.op == TextTestOperator::Ends ? "endswith"
                                                                        : "contains";
    if (const auto* text = std::get_if<Text>(&node.right->node)) {
        // A missing text gives a missing answer.
        const std::string regex = node.op == TextTestOperator::Contains ? ", regex=False" : "";
        return {series_of(left) + ".str." + std::string(method) + "(" + py_string(text->text) +
                    regex + ").astype(\"boolean\")",
                Shape::Truth};
    }
    const auto expression = [&](const std::vector<std::string>& names) {
        if (node.op == TextTestOperator::Contains) return names[1] + " in " + names[0];
        return names[0] + "." + std::string(method) + "(" + names[1] + ")";
    };
    Spelled answer =
        row_by_row({{"s", &*node.left}, {"p", &*node.right}}, expression, "None", "boolean");
    answer.shape = Shape::Truth;
    return answer;
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
        // One yes or no per row, not one for all of them; a missing answer is not yes.
        asked.push_back(holds(question));
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
