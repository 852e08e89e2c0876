#include <gtest/gtest.h>

#include "backend/pandas/pandas_backend.hpp"
#include "check/checker.hpp"
#include "parse/parse.hpp"
#include "parse/vocabulary.hpp"
#include "plan/empty_answer.hpp"

namespace brell {
namespace {

// The table every sentence here runs on: a column of each type the functions take.
std::vector<TableColumn> table() {
    return {{"id", ColumnType::Number}, {"g", ColumnType::Text}, {"n", ColumnType::Number},
            {"s", ColumnType::Text},    {"d", ColumnType::Date}, {"ts", ColumnType::Timestamp},
            {"b", ColumnType::Truth}};
}

// The sentence checked and written by the pandas backend, or the refusal of either.
Result<std::string> write_pandas(const std::string& text) {
    auto pipeline = parse(text);
    if (!pipeline.ok()) return pipeline.error();
    const std::string source = pipeline->source.text;
    auto checked = check(std::move(*pipeline), described_tables({}, table(), source));
    if (!checked.ok()) return checked.error();
    const auto backend = make_pandas_backend();
    if (auto refusal = backend->check(*checked)) return *refusal;
    return backend->write(*checked, checked->columns_before);
}

// Arguments a call of the function accepts, the first of them a column of the table.
std::string arguments_for(const FunctionEntry& function) {
    if (function.arity.most == 0) return "";
    switch (function.rule) {
        case ArgumentRule::Numbers:
        case ArgumentRule::AnyValue:
        case ArgumentRule::Rounding:
        case ArgumentRule::RoundNearest:
        case ArgumentRule::NumberValue:
        case ArgumentRule::RunningTotal:
        case ArgumentRule::Offset:
            return "[n]";
        case ArgumentRule::Truths:
            return "[b]";
        case ArgumentRule::TextCase:
        case ArgumentRule::Trim:
        case ArgumentRule::Characters:
            return "[s]";
        case ArgumentRule::ReplaceText:
            return "[s], \"a\", \"b\"";
        case ArgumentRule::SplitText:
            return "[s], \" \", 1";
        case ArgumentRule::PartOfText:
            return "[s], 2, 3";
        case ArgumentRule::JoinText:
            return "[s], [g]";
        case ArgumentRule::JoinRows:
            return "[s], \", \"";
        case ArgumentRule::Remainder:
        case ArgumentRule::Power:
            return "[n], 2";
        case ArgumentRule::DatePart:
            return "[d]";
        case ArgumentRule::Hour:
            return "[ts]";
        case ArgumentRule::DateText:
            return "[ts], \"%d/%m/%Y %H:%M\"";
        case ArgumentRule::Between:
            return "[n], 1, 2";
        case ArgumentRule::FirstPresent:
            return "[n], 0";
        case ArgumentRule::OwnSyntax:
            return "";
    }
    return "";
}

// The name of the column a call reads first, quoted as the program writes it.
std::string first_column(const FunctionEntry& function) {
    const std::string arguments = arguments_for(function);
    const std::size_t close = arguments.find(']');
    return "\"" + arguments.substr(1, close - 1) + "\"";
}

// Every function of the table reaches the writer in every place the checker lets it stand, and
// is written with the column it reads: a function added to the table without a pandas spelling
// stops the program here rather than in front of a user.
TEST(PandasWriter, EveryFunctionIsWrittenWhereverItStands) {
    for (const FunctionEntry& function : functions()) {
        if (function.rule == ArgumentRule::OwnSyntax) continue;
        const std::string call = std::string(function.name) + "(" + arguments_for(function) + ")";
        std::vector<std::string> sentences;
        switch (function.kind) {
            case FunctionKind::Scalar:
                sentences = {"t then add [x] as " + call,
                             "t then keep where " + call + " is " + call};
                break;
            case FunctionKind::Window:
                sentences = {"t then sort [d] then add [x] as " + call,
                             "t then sort [d] then add [x] as " + call + " by [g]"};
                break;
            case FunctionKind::Aggregate:
                sentences = {"t then add [x] as " + call, "t then add [x] as " + call + " by [g]",
                             "t then summarize [x] as " + call,
                             "t then summarize [x] as " + call + " by [g]",
                             "t then summarize [x] as " + call + ", [y] as row_count() * 2 by [g]"};
                // A widen cell is one column or one aggregate of one; a row count reads none, and
                // the checker keeps a group's truths out of a cell that no row may fill.
                if (function.arity.least > 0 && !answer_over_no_truths(function.name)) {
                    sentences.push_back("t then widen name [g], value " + call +
                                        " by [id] giving [a]");
                }
                break;
        }
        if (function.kind == FunctionKind::Scalar) {
            // A widen cell is a column or one aggregate of one: any other call is refused.
            const std::string cell = "t then widen name [g], value " + call + " by [id] giving [a]";
            const auto refused = write_pandas(cell);
            ASSERT_FALSE(refused.ok()) << cell;
            EXPECT_NE(refused.error().message.find("`widen` cell"), std::string::npos) << cell;
        }
        for (const std::string& sentence : sentences) {
            const auto written = write_pandas(sentence);
            ASSERT_TRUE(written.ok()) << sentence << "\n" << written.error().message;
            if (function.arity.least > 0) {
                EXPECT_NE(written->find(first_column(function)), std::string::npos)
                    << sentence << "\n"
                    << *written;
            }
        }
    }
}

// Each aggregate a rolling window may hold has a moving spelling; the checker refuses the rest.
TEST(PandasWriter, EveryRollingAggregateTheCheckerAcceptsIsWritten) {
    int written_count = 0;
    for (const FunctionEntry& function : functions()) {
        if (function.kind != FunctionKind::Aggregate) continue;
        for (const std::string by : {"", " by [g]"}) {
            const std::string sentence = "t then sort [d] then add [x] as rolling(" +
                                         std::string(function.name) + "([n]), 3)" + by;
            auto pipeline = parse(sentence);
            ASSERT_TRUE(pipeline.ok()) << sentence;
            if (!check(std::move(*pipeline), described_tables({}, table(), "t")).ok()) continue;
            const auto written = write_pandas(sentence);
            ASSERT_TRUE(written.ok()) << sentence;
            EXPECT_NE(written->find(".rolling(3)."), std::string::npos) << *written;
            ++written_count;
        }
    }
    EXPECT_EQ(written_count, 12);  // six aggregates, over the table and within each group
}

// The backend reads the steps as the checker leaves them: the rewritten `add where`,
// `pick where` and `keep where any` forms are written, and refused, as their plain forms.
TEST(PandasWriter, ChecksAndWritesTheStepsTheCheckerRewrote) {
    const auto refused =
        write_pandas("t then add where kind is \"number\" as total(value * 2) by [g]");
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().message.find("grouped aggregate of an expression"),
              std::string::npos);

    const auto written = write_pandas(
        "t then keep where any name starts \"s\" as value is \"x\" then pick where "
        "kind is \"date\" then add where name is \"d\" as year(value)");
    ASSERT_TRUE(written.ok()) << written.error().message;
    EXPECT_EQ(*written,
              "(t\n"
              "    .loc[lambda d: (d[\"s\"] == \"x\").fillna(False), [\"d\", \"ts\"]]\n"
              "    .loc[:, [\"d\", \"ts\"]]\n"
              "    .assign(d=lambda d: d[\"d\"].dt.year))");
}

// A backend refusal is one diagnostic under the words at fault, and the first in the sentence.
TEST(PandasWriter, RefusesUnderTheWordsAtFaultInSentenceOrder) {
    const std::string sentence =
        "t then widen name [g], value [n] * 2 by [id] giving [a] then add [x] as total([a] + 1) "
        "by [id]";
    const auto written = write_pandas(sentence);
    ASSERT_FALSE(written.ok());
    ASSERT_TRUE(written.error().span.has_value());
    EXPECT_EQ(sentence.substr(written.error().span->start, written.error().span->length),
              "[n] * 2");
}

}  // namespace
}  // namespace brell
