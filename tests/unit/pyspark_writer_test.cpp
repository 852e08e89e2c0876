#include <gtest/gtest.h>

#include <cstdlib>

#include "backend/pyspark/pyspark_backend.hpp"
#include "backend/pyspark/pyspark_values.hpp"
#include "backend/pyspark/pyspark_writer.hpp"
#include "check/checker.hpp"
#include "parse/parse.hpp"
#include "parse/vocabulary.hpp"

namespace brell {
namespace {

std::vector<TableColumn> columns(std::initializer_list<std::pair<const char*, ColumnType>> list) {
    std::vector<TableColumn> made;
    for (const auto& [name, type] : list) made.push_back(TableColumn{name, type});
    return made;
}

constexpr auto Number = ColumnType::Number;
constexpr auto Text = ColumnType::Text;

CheckedPipeline checked_text(const std::string& text, std::vector<TableColumn> head,
                             std::vector<TableDescription> named = {}) {
    auto pipeline = parse(text);
    EXPECT_TRUE(pipeline.ok()) << text;
    const std::string source = pipeline->source.text;
    auto checked =
        check(std::move(*pipeline), described_tables(std::move(named), std::move(head), source));
    EXPECT_TRUE(checked.ok()) << text << ": " << checked.error().message;
    return std::move(*checked);
}

std::string written(const CheckedPipeline& checked) {
    return write_pyspark(checked, checked.columns_before);
}

// The backend is reached through its maker, whether or not a registry lists it yet.
TEST(PysparkBackend, WritesTheSourceThenOneCallPerLine) {
    const auto backend = make_pyspark_backend();
    EXPECT_EQ(backend->name(), "pyspark");
    const CheckedPipeline checked =
        checked_text("sales then keep where [region] is \"West\" then take 10",
                     columns({{"region", Text}, {"revenue", Number}}));
    EXPECT_FALSE(backend->check(checked).has_value());
    EXPECT_EQ(backend->write(checked, checked.columns_before),
              "(spark.table(\"sales\")\n"
              "    .filter((F.col(\"region\") == \"West\"))\n"
              "    .limit(10))");
    EXPECT_EQ(backend->write(checked_text("sales", columns({{"a", Number}})), {}),
              "spark.table(\"sales\")");
}

TEST(PysparkBackend, RefusesATableNamedLikeAPythonWordUnderTheName) {
    const auto backend = make_pyspark_backend();
    const auto refusal_span = [&](const std::string& text) -> std::optional<Span> {
        const std::vector<TableDescription> named = {
            {"None", columns({{"id", Number}})},
            {"lambda", columns({{"id", Number}, {"x", Text}})},
            {"from", columns({{"id", Number}})},
            {"products", columns({{"id", Number}})},
        };
        const Verdict verdict =
            backend->check(checked_text(text, columns({{"id", Number}}), named));
        if (!verdict) return std::nullopt;
        EXPECT_EQ(verdict->kind, DiagnosticKind::Illegal);
        EXPECT_NE(verdict->message.find("is one of Python's own words"), std::string::npos);
        return verdict->span;
    };
    EXPECT_EQ(refusal_span("class then take 1"), (Span{0, 5}));
    EXPECT_EQ(refusal_span("sales then join lambda by [id]"), (Span{16, 6}));
    EXPECT_EQ(refusal_span("sales then take 1 then add_rows from"), (Span{32, 4}));
    EXPECT_EQ(refusal_span("sales then keep where not matching(None, by [id])"), (Span{35, 4}));
    EXPECT_EQ(refusal_span("sales then keep where matching(None, by [id])"), (Span{31, 4}));
    EXPECT_EQ(refusal_span("sales then join products by [id]"), std::nullopt);
    EXPECT_EQ(refusal_span("Class then take 1"), std::nullopt);
}

const Sort kSortedByT{{SortKey{ColumnName{"t", {}}, false}}, false};

// Writes a call of every function the vocabulary lists, in a plain value and in an add step's
// value (where aggregates take a window), each with as many column arguments as it needs.
void write_every_function() {
    const pyspark::ValueContext in_add{&kSortedByT, {"g"}, true};
    for (const FunctionEntry& function : functions()) {
        if (function.rule == ArgumentRule::OwnSyntax) continue;
        Call call{std::string(function.name), {}, {}};
        for (std::size_t i = 0; i < function.arity.least; ++i) {
            call.arguments.push_back(Value{{}, Column{ColumnName{"x", {}}}});
        }
        // The checker admits only a pattern written out.
        if (function.rule == ArgumentRule::DateText)
            call.arguments[1] = Value{{}, brell::Text{"%Y"}};
        pyspark::write_call(call, {});
        pyspark::write_call(call, in_add);
    }
}

// Writes `rolling` of every aggregate the checker lets it hold.
void write_every_rolling() {
    for (const char* aggregate :
         {"total", "average", "median", "smallest", "largest", "standard_deviation"}) {
        const Rolling rolling{
            aggregate, {}, {Value{{}, Column{ColumnName{"x", {}}}}}, Value{{}, Whole{3}}, {}};
        pyspark::write_rolling(rolling, pyspark::ValueContext{&kSortedByT, {}, true});
    }
}

// A function without a spelling would end the program with an internal error.
TEST(PysparkWriterDeathTest, EveryFunctionOfTheVocabularyHasASpelling) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT((write_every_function(), std::exit(0)), testing::ExitedWithCode(0), "");
    EXPECT_EXIT((write_every_rolling(), std::exit(0)), testing::ExitedWithCode(0), "");
}

// The states the checker rules out stop the program and name the promise that was broken.
TEST(PysparkWriterDeathTest, TakesThatNeedASortAndHaveNone) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto without_sort = [](const std::string& take) {
        CheckedPipeline checked =
            checked_text("t then sort [x] then " + take, columns({{"x", Number}, {"g", Text}}));
        checked.sort_in_force.at(1) = std::nullopt;
        return checked;
    };
    const std::string prefix = "internal error: entered unreachable code: ";
    EXPECT_DEATH(written(without_sort("take 3 with ties")),
                 prefix + "ties are only reached after a sort");
    EXPECT_DEATH(written(without_sort("take_last 3")),
                 prefix + "take_last is only reached after a sort");
    EXPECT_DEATH(written(without_sort("take 1 by [g]")),
                 prefix + "a grouped take is only reached after a sort");
}

TEST(PysparkWriterDeathTest, ValuesTheCheckerRulesOut) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto added = [](const std::string& value) {
        return checked_text("t then sort [x] then add [y] as " + value,
                            columns({{"x", Number}, {"s", Text}}));
    };
    const auto value_of = [](CheckedPipeline& checked) -> Value& {
        return std::get<Add>(checked.steps.at(1).node).items.at(0).value;
    };
    const std::string prefix = "internal error: entered unreachable code: ";

    CheckedPipeline unknown = added("lower([s])");
    std::get<Call>(value_of(unknown).node).function = "shout";
    EXPECT_DEATH(written(unknown),
                 prefix + "`shout` reached the PySpark backend without a spelling");

    CheckedPipeline first_inside = added("rolling(total([x]), 3)");
    std::get<Rolling>(value_of(first_inside).node).function = "first";
    EXPECT_DEATH(written(first_inside),
                 prefix + "`first` reached the PySpark backend inside `rolling`");

    CheckedPipeline worked_out_size = added("rolling(total([x]), 3)");
    std::get<Rolling>(value_of(worked_out_size).node).size = Value{{}, Decimal{3.0}};
    EXPECT_DEATH(written(worked_out_size),
                 prefix + "the checker admits only a written whole number");
}

TEST(PysparkWriterDeathTest, ReshapingStepsTheCheckerDidNotResolve) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::vector<TableColumn> table =
        columns({{"id", Text}, {"q", Text}, {"q1", Number}, {"q2", Number}});
    CheckedPipeline lengthen = checked_text("t then lengthen [q1, q2]", table);
    std::get<Lengthen>(lengthen.steps.at(0).node).plan.reset();
    EXPECT_DEATH(written(lengthen), "the checker resolves every lengthen");

    CheckedPipeline widen = checked_text("t then widen name [q], value [q1] by [id]", table);
    std::get<Widen>(widen.steps.at(0).node).plan.reset();
    EXPECT_DEATH(written(widen), "the checker resolves every widen");
}

}  // namespace
}  // namespace brell
