#include <gtest/gtest.h>

#include "check/checker.hpp"
#include "parse/parse.hpp"

namespace brell {
namespace {

std::vector<TableColumn> columns(std::initializer_list<std::pair<const char*, ColumnType>> list) {
    std::vector<TableColumn> made;
    for (const auto& [name, type] : list) made.push_back(TableColumn{name, type});
    return made;
}

Result<CheckedPipeline> check_text(const std::string& text, std::vector<TableColumn> head,
                                   std::vector<TableDescription> named = {}) {
    auto pipeline = parse(text);
    EXPECT_TRUE(pipeline.ok()) << text;
    const std::string source = pipeline->source.text;
    return check(std::move(*pipeline), described_tables(std::move(named), std::move(head), source));
}

std::vector<std::string> names(const std::vector<TableColumn>& table) {
    std::vector<std::string> found;
    for (const TableColumn& column : table) found.push_back(column.name);
    return found;
}

using Names = std::vector<std::string>;
constexpr auto Number = ColumnType::Number;
constexpr auto Text = ColumnType::Text;
constexpr auto Date = ColumnType::Date;
constexpr auto Timestamp = ColumnType::Timestamp;

TEST(Checker, ColumnsBeforeEachStepAndAfterTheLast) {
    auto checked = check_text("t then add [c] as [a] + 1 then pick [c, b] then rename [d] as [c]",
                              columns({{"a", Number}, {"b", Text}}));
    ASSERT_TRUE(checked.ok()) << checked.error().message;
    ASSERT_EQ(checked->columns_before.size(), 3u);
    EXPECT_EQ(names(*checked->columns_before[0]), (Names{"a", "b"}));
    EXPECT_EQ(names(*checked->columns_before[1]), (Names{"a", "b", "c"}));
    EXPECT_EQ(names(*checked->columns_before[2]), (Names{"c", "b"}));
    EXPECT_EQ(names(checked->columns), (Names{"d", "b"}));
    EXPECT_EQ(checked->columns[0].type, Number);

    auto alone = check_text("t", columns({{"a", Number}}));
    ASSERT_TRUE(alone.ok());
    EXPECT_TRUE(alone->columns_before.empty());
    EXPECT_EQ(names(alone->columns), (Names{"a"}));
}

TEST(Checker, AddReplacesInPlaceAndTypesTheNewColumn) {
    auto checked = check_text("t then add [a] as to_text([a]), [z] as [b] is \"x\"",
                              columns({{"a", Number}, {"b", Text}}));
    ASSERT_TRUE(checked.ok()) << checked.error().message;
    EXPECT_EQ(names(checked->columns), (Names{"a", "b", "z"}));
    EXPECT_EQ(checked->columns[0].type, Text);
    EXPECT_EQ(checked->columns[2].type, ColumnType::Truth);
}

TEST(Checker, FirstPresentTakesTheFirstTypeThatIsNotOpaque) {
    const auto type_of = [](const std::string& value) {
        auto checked = check_text("t then add [x] as " + value,
                                  columns({{"d", Date}, {"s", Timestamp}, {"n", Number}}));
        EXPECT_TRUE(checked.ok()) << value;
        return checked->columns.back().type;
    };
    EXPECT_EQ(type_of("first_present([d], [s])"), Date);
    EXPECT_EQ(type_of("first_present([s], [d])"), Timestamp);
    EXPECT_EQ(type_of("first_present(missing, [n])"), Number);
}

TEST(Checker, LengthenIsResolvedForTheWriters) {
    auto checked = check_text("t then lengthen all_but [id] as name \"{student}_{value}\"",
                              columns({{"id", Number},
                                       {"a_math", Number},
                                       {"a_art", Number},
                                       {"b_math", Number},
                                       {"b_art", Number}}));
    ASSERT_TRUE(checked.ok()) << checked.error().message;
    const LengthenPlan& plan = *std::get<Lengthen>(checked->steps[0].node).plan;
    EXPECT_EQ(plan.kept, (Names{"id"}));
    EXPECT_EQ(plan.name_columns, (Names{"student"}));
    EXPECT_EQ(plan.value_columns, (Names{"math", "art"}));
    ASSERT_EQ(plan.groups.size(), 2u);
    EXPECT_EQ(plan.groups[1].name_pieces, (Names{"b"}));
    EXPECT_EQ(plan.groups[1].sources, (Names{"b_math", "b_art"}));
    EXPECT_EQ(names(checked->columns), (Names{"id", "student", "math", "art"}));

    auto plain = check_text("t then lengthen [q1, q2]",
                            columns({{"id", Number}, {"q1", Text}, {"q2", ColumnType::Opaque}}));
    ASSERT_TRUE(plain.ok()) << plain.error().message;
    const LengthenPlan& rows = *std::get<Lengthen>(plain->steps[0].node).plan;
    EXPECT_EQ(rows.groups.size(), 2u);
    EXPECT_EQ(rows.groups[0].name_pieces, (Names{"q1"}));
    EXPECT_EQ(names(plain->columns), (Names{"id", "name", "value"}));
    EXPECT_EQ(plain->columns[2].type, Text);
}

TEST(Checker, WidenIsResolvedForTheWriters) {
    auto checked = check_text(
        "t then widen name \"{q}_{year}\", value first([v]) by [s] giving [a_2024, b_2025]",
        columns({{"s", Text}, {"q", Text}, {"year", Text}, {"v", Number}, {"other", Text}}));
    ASSERT_TRUE(checked.ok()) << checked.error().message;
    const WidenPlan& plan = *std::get<Widen>(checked->steps[0].node).plan;
    EXPECT_EQ(plan.identifying, (Names{"s"}));
    EXPECT_EQ(plan.name_columns, (Names{"q", "year"}));
    ASSERT_EQ(plan.giving_pieces.size(), 2u);
    EXPECT_EQ(plan.giving_pieces[1], (Names{"b", "2025"}));
    EXPECT_EQ(names(checked->columns), (Names{"s", "a_2024", "b_2025"}));

    auto defaults =
        check_text("t then widen name [q]", columns({{"s", Text}, {"q", Text}, {"value", Number}}));
    ASSERT_TRUE(defaults.ok()) << defaults.error().message;
    EXPECT_EQ(std::get<Widen>(defaults->steps[0].node).plan->identifying, (Names{"s"}));
    EXPECT_EQ(names(defaults->columns), (Names{"s"}));
}

TEST(Checker, InferredKeysAreWrittenIntoTheStep) {
    auto checked = check_text("t then join p", columns({{"id", Number}, {"x", Text}}),
                              {TableDescription{"p", columns({{"id", Number}, {"y", Text}})}});
    ASSERT_TRUE(checked.ok()) << checked.error().message;
    const Join& join = std::get<Join>(checked->steps[0].node);
    ASSERT_EQ(join.keys.size(), 1u);
    EXPECT_EQ(join.keys[0].left.text, "id");
    EXPECT_EQ(names(checked->columns), (Names{"id", "x", "y"}));
    ASSERT_EQ(checked->notes.size(), 1u);
    EXPECT_EQ(checked->notes[0].kind, DiagnosticKind::Assumption);
}

TEST(Checker, OrderIsSettledBySortAndUnsettledByReshaping) {
    const auto two = columns({{"a", Number}, {"b", Number}});
    EXPECT_TRUE(check_text("t then sort [a] then keep where [a] > 1 then take_last 1", two).ok());
    EXPECT_FALSE(
        check_text("t then sort [a] then summarize [n] as row_count() then take_last 1", two).ok());
    EXPECT_FALSE(check_text("t then sort [a] then drop_duplicates then take 1 by [a]", two).ok());
    EXPECT_TRUE(check_text("t then take 3", two).ok());
    EXPECT_FALSE(check_text("t then take 3 with ties", two).ok());
    EXPECT_TRUE(check_text("t then add [r] as rank([a] descending)", two).ok());
    // A sort whose column is taken away or renamed no longer says what order the rows are in.
    EXPECT_FALSE(check_text("t then sort [a] then pick [b] then take_last 2", two).ok());
    EXPECT_FALSE(check_text("t then sort [a] then rename [c] as [a] then take_last 2", two).ok());
    EXPECT_TRUE(check_text("t then sort [a] then rename [c] as [b] then take_last 2", two).ok());
}

TEST(Checker, StepsThatLeaveTheColumnsShareOneList) {
    auto checked =
        check_text("t then sort [a] then keep where [a] > 1 then take 2 then add [c] as 1",
                   columns({{"a", Number}, {"b", Number}}));
    ASSERT_TRUE(checked.ok());
    EXPECT_EQ(checked->columns_before[0].get(), checked->columns_before[3].get());
    EXPECT_EQ(checked->sort_in_force,
              (std::vector<std::optional<std::size_t>>{std::nullopt, 0, 0, 0}));
}

}  // namespace
}  // namespace brell
