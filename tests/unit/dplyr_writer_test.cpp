#include <gtest/gtest.h>

#include "backend/dplyr/dplyr_backend.hpp"
#include "backend/dplyr/r_text.hpp"
#include "backend/dplyr/r_values.hpp"
#include "check/checker.hpp"
#include "parse/parse.hpp"
#include "parse/vocabulary.hpp"
#include "written_program.hpp"

namespace brell {
namespace {

const std::vector<TableColumn> kColumns = {
    {"a", ColumnType::Number}, {"b", ColumnType::Text},           {"id", ColumnType::Number},
    {"q", ColumnType::Text},   {"q1_x_2023", ColumnType::Number}, {"q2_2024", ColumnType::Number}};

// The program the dplyr backend writes for a sentence the checker and the backend accept.
std::string dplyr_program(const std::string& text) {
    return written_program(*make_dplyr_backend(), text, kColumns);
}

TEST(DplyrWriter, WritesOnePipeChainWithoutATrailingLineBreak) {
    EXPECT_EQ(make_dplyr_backend()->name(), "dplyr");
    EXPECT_EQ(dplyr_program("sales then keep where [b] is \"West\" then take 10"),
              "sales |>\n  filter((b == \"West\")) |>\n  head(10)");
    EXPECT_EQ(dplyr_program("t then add_combinations [b, q] by [id]"),
              "t |>\n  group_by(id) |>\n  complete(b = b[!is.na(b)], q = q[!is.na(q)]) |>\n"
              "  ungroup() |>\n"
              "  relocate(a, b, id, q, q1_x_2023, q2_2024)");
}

TEST(DplyrWriter, EveryFunctionOfTheVocabularyHasAnRSpelling) {
    for (const FunctionEntry& entry : functions()) {
        if (entry.rule == ArgumentRule::OwnSyntax) continue;  // rank, row_number, rolling
        Call call{std::string(entry.name), Span{}, {}};
        for (std::size_t i = 0; i < entry.arity.least; ++i) {
            call.arguments.push_back(Value{Span{}, Column{ColumnName{"x", Span{}}}});
        }
        const std::string written = write_r_value(Value{Span{}, call}, kColumns);
        if (entry.arity.least > 0) {
            EXPECT_NE(written.find('x'), std::string::npos) << entry.name;
        }
    }
}

TEST(DplyrWriter, DecimalsTakeAnExponentFrom1e16UpAndBelow1eMinus4) {
    EXPECT_EQ(r_decimal(2.0), "2.0");
    EXPECT_EQ(r_decimal(0.0), "0.0");
    EXPECT_EQ(r_decimal(0.1), "0.1");
    EXPECT_EQ(r_decimal(9999999999999998.0), "9999999999999998.0");
    EXPECT_EQ(r_decimal(1e16), "1e16");
    EXPECT_EQ(r_decimal(2.5e21), "2.5e21");
    EXPECT_EQ(r_decimal(0.0001), "0.0001");
    EXPECT_EQ(r_decimal(0.000099), "9.9e-5");
    EXPECT_EQ(r_decimal(5e-324), "5e-324");
    EXPECT_EQ(r_decimal(1.7976931348623157e308), "1.7976931348623157e308");
}

TEST(DplyrWriter, NamesAreBareOnlyWhenRReadsThemAsOneSymbol) {
    EXPECT_EQ(r_name("q1.total"), "q1.total");
    EXPECT_EQ(r_name("région"), "région");
    EXPECT_EQ(r_name("T"), "T");
    for (const char* reserved : {"if", "function", "TRUE", "NA_character_", "Inf", "in"}) {
        EXPECT_EQ(r_name(reserved), "`" + std::string(reserved) + "`");
    }
    EXPECT_EQ(r_name("_t"), "`_t`");
    EXPECT_EQ(r_name(".5x"), "`.5x`");
    EXPECT_EQ(r_name("a b"), "`a b`");
    EXPECT_EQ(r_name("a\\b`c"), "`a\\\\b\\`c`");
    EXPECT_EQ(r_named(".by"), "`.by` := ");
    EXPECT_EQ(r_named("by"), "by = ");
    EXPECT_EQ(r_text("say \"hi\" \\ bye"), "\"say \\\"hi\\\" \\\\ bye\"");
}

// A take with ties keeps the rows ranked within the count in the sort's order, read from the
// other end for `take_last`: each key's direction and the end its missing values go to turn
// together.
TEST(DplyrWriter, TiesRankInTheSortsOrderWithMissingValuesWhereTheSortPutsThem) {
    const auto ties = [](const std::string& sort, const std::string& take) {
        const std::string program = dplyr_program("t then sort " + sort + " then " + take);
        return program.substr(program.rfind("  ") + 2);
    };
    EXPECT_EQ(ties("[a]", "take 3 with ties"),
              "filter(vctrs::vec_rank(a, ties = \"min\", direction = \"asc\", na_value = "
              "\"largest\") <= 3)");
    EXPECT_EQ(ties("[a]", "take_last 3 with ties"),
              "filter(vctrs::vec_rank(a, ties = \"min\", direction = \"desc\", na_value = "
              "\"largest\") <= 3)");
    EXPECT_EQ(ties("[a] descending", "take 3 with ties"),
              "filter(vctrs::vec_rank(a, ties = \"min\", direction = \"desc\", na_value = "
              "\"smallest\") <= 3)");
    EXPECT_EQ(ties("[a] missing first", "take 1 with ties"),
              "filter(vctrs::vec_rank(a, ties = \"min\", direction = \"asc\", na_value = "
              "\"smallest\") <= 1)");
    EXPECT_EQ(ties("[a] descending", "take_last 3 by [b] with ties"),
              "filter(vctrs::vec_rank(a, ties = \"min\", direction = \"asc\", na_value = "
              "\"smallest\") <= 3, .by = b)");
    EXPECT_EQ(ties("[a] descending, [b], [id] descending", "take 1 with ties"),
              "filter(vctrs::vec_rank(tibble(a, b, id), ties = \"min\", direction = c(\"desc\", "
              "\"asc\", \"desc\"), na_value = c(\"smallest\", \"largest\", \"smallest\")) <= 1)");
}

TEST(DplyrWriter, NamesSepOnlyWhereSplittingGivesThePiecesBack) {
    EXPECT_EQ(dplyr_program("t then lengthen [q1_x_2023, q2_2024] as name \"{question}_{year}\""),
              "t |>\n  pivot_longer(cols = c(q1_x_2023, q2_2024), names_to = c(\"question\", "
              "\"year\"), names_pattern = \"^(.+?)_(.+?)$\", values_to = \"value\")");
    EXPECT_EQ(dplyr_program("t then lengthen [q2_2024] as name \"{question}_{year}\""),
              "t |>\n  pivot_longer(cols = c(q2_2024), names_to = c(\"question\", \"year\"), "
              "names_sep = \"_\", values_to = \"value\")");
}

}  // namespace
}  // namespace brell
