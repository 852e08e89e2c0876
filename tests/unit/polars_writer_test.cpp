#include <gtest/gtest.h>

#include <map>

#include "backend/polars/polars_backend.hpp"
#include "backend/polars/polars_values.hpp"
#include "check/checker.hpp"
#include "parse/parse.hpp"
#include "parse/vocabulary.hpp"
#include "written_program.hpp"

namespace brell {
namespace {

const std::vector<TableColumn> kColumns = {{"s", ColumnType::Text},
                                           {"k", ColumnType::Text},
                                           {"x", ColumnType::Number},
                                           {"d", ColumnType::Date},
                                           {"ts", ColumnType::Timestamp}};

// The program the polars backend writes for a sentence the checker and the backend accept.
std::string polars_program(const std::string& text) {
    return written_program(*make_polars_backend(), text, kColumns);
}

// The backend's refusal of a sentence the checker accepts, or nothing.
Verdict polars_refusal(const std::string& text) {
    return backend_refusal(*make_polars_backend(), text, kColumns);
}

// Every function of the vocabulary, called once, and the polars method it must come out as.
const std::map<std::string, std::pair<std::string, std::string>> kCalls = {
    {"total", {"total([x])", "pl.when(pl.col(\"x\").count() > 0).then(pl.col(\"x\").sum())"}},
    {"average", {"average([x])", "pl.col(\"x\").mean()"}},
    {"median", {"median([x])", "pl.col(\"x\").median()"}},
    {"smallest", {"smallest([x])", "pl.col(\"x\").min()"}},
    {"largest", {"largest([x])", "pl.col(\"x\").max()"}},
    {"standard_deviation", {"standard_deviation([x])", "pl.col(\"x\").std()"}},
    {"first", {"first([s])", "pl.col(\"s\").first()"}},
    {"last", {"last([s])", "pl.col(\"s\").last()"}},
    {"unique_count", {"unique_count([s])", "pl.col(\"s\").drop_nulls().n_unique().cast(pl.Int64)"}},
    {"row_count", {"row_count()", "pl.len().cast(pl.Int64)"}},
    {"value_count", {"value_count([s])", "pl.col(\"s\").count().cast(pl.Int64)"}},
    {"any_yes", {"any_yes([x] > 0)", "(pl.col(\"x\") > 0).any()"}},
    {"all_yes", {"all_yes([x] > 0)", "(pl.col(\"x\") > 0).all()"}},
    {"join_rows",
     {"join_rows([s], \"+\")",
      "pl.when(pl.col(\"s\").count() > 0).then(pl.col(\"s\").drop_nulls().str.join(\"+\"))"}},
    {"rank",
     {"rank([x])",
      "pl.col(\"x\").rank(\"min\").fill_null(pl.col(\"x\").count() + 1).cast(pl.Int64)"}},
    {"row_number", {"row_number()", "pl.int_range(1, pl.len() + 1)"}},
    {"first_present", {"first_present([s], \"z\")", "pl.coalesce([pl.col(\"s\"), pl.lit(\"z\")])"}},
    {"join_text", {"join_text([s], [s])", "pl.concat_str([pl.col(\"s\"), pl.col(\"s\")])"}},
    {"lower", {"lower([s])", "pl.col(\"s\").str.to_lowercase()"}},
    {"upper", {"upper([s])", "pl.col(\"s\").str.to_uppercase()"}},
    {"to_number", {"to_number([s])", "pl.col(\"s\").cast(pl.Float64)"}},
    {"to_text", {"to_text([x])", "pl.col(\"x\").cast(pl.String)"}},
    {"to_date", {"to_date([s])", "pl.col(\"s\").str.to_datetime(time_unit=\"us\").dt.date()"}},
    {"round_below", {"round_below([x])", "pl.col(\"x\").floor().cast(pl.Int64)"}},
    {"round_above", {"round_above([x])", "pl.col(\"x\").ceil().cast(pl.Int64)"}},
    {"round_nearest",
     {"round_nearest([x])",
      "pl.when((pl.col(\"x\").cast(pl.Float64).abs() * 1e0) >= 1e14).then(pl.col(\"x\").cast("
      "pl.Float64)).when(pl.col(\"x\").cast(pl.Float64) < 0).then(0 - (((pl.col(\"x\").cast("
      "pl.Float64).abs() * 1e0) + (pl.col(\"x\").cast(pl.Float64).abs() * 1e0) / "
      "2251799813685248 + 0.5).floor() / 1e0)).otherwise((((pl.col(\"x\").cast(pl.Float64).abs() "
      "* 1e0) + (pl.col(\"x\").cast(pl.Float64).abs() * 1e0) / 2251799813685248 + "
      "0.5).floor() / 1e0))"}},
    {"absolute", {"absolute([x])", "pl.col(\"x\").abs()"}},
    {"square_root", {"square_root([x])", "pl.when(pl.col(\"x\") >= 0).then(pl.col(\"x\")).sqrt()"}},
    {"natural_logarithm",
     {"natural_logarithm([x])", "pl.when(pl.col(\"x\") > 0).then(pl.col(\"x\")).log()"}},
    {"decimal_logarithm",
     {"decimal_logarithm([x])", "pl.when(pl.col(\"x\") > 0).then(pl.col(\"x\")).log10()"}},
    {"exponential",
     {"exponential([x])", "pl.when(pl.col(\"x\") <= 709.78).then(pl.col(\"x\")).exp()"}},
    {"power",
     {"power([x], 2)",
      "pl.when(pl.col(\"x\").cast(pl.Float64).pow(2).is_finite()).then(pl.col(\"x\").cast(pl."
      "Float64).pow(2))"}},
    {"trim", {"trim([s])", "pl.col(\"s\").str.strip_chars(\" \")"}},
    {"trim_start", {"trim_start([s])", "pl.col(\"s\").str.strip_chars_start(\" \")"}},
    {"trim_end", {"trim_end([s])", "pl.col(\"s\").str.strip_chars_end(\" \")"}},
    {"replace_text",
     {"replace_text([s], \"a\", \"b\")",
      "pl.col(\"s\").str.replace_all(\"a\", \"b\", literal=True)"}},
    {"part_of_text", {"part_of_text([s], 2, 3)", "pl.col(\"s\").str.slice(1, 3)"}},
    {"split_text",
     {"split_text([s], \",\", 3)", "pl.col(\"s\").str.split(\",\").list.get(2, null_on_oob=True)"}},
    {"characters", {"characters([s])", "pl.col(\"s\").str.len_chars().cast(pl.Int64)"}},
    {"between", {"between([x], 1, 2)", "pl.col(\"x\").is_between(1, 2)"}},
    {"whole_quotient",
     {"whole_quotient([x], 2)",
      "pl.when((pl.col(\"x\") / 2) < 0).then((pl.col(\"x\") / 2).ceil()).otherwise((pl.col(\"x\") "
      "/ 2).floor()).cast(pl.Int64)"}},
    {"quotient_remainder",
     {"quotient_remainder([x], 2)",
      "(pl.col(\"x\").sign() * (pl.col(\"x\").abs() % pl.lit(2).abs()))"}},
    {"remainder", {"remainder([x], 2)", "(pl.col(\"x\") % 2)"}},
    {"year", {"year([d])", "pl.col(\"d\").dt.year().cast(pl.Int64)"}},
    {"month", {"month([d])", "pl.col(\"d\").dt.month().cast(pl.Int64)"}},
    {"day", {"day([d])", "pl.col(\"d\").dt.day().cast(pl.Int64)"}},
    {"weekday", {"weekday([d])", "pl.col(\"d\").dt.weekday().cast(pl.Int64)"}},
    {"hour", {"hour([ts])", "pl.col(\"ts\").dt.hour().cast(pl.Int64)"}},
    {"minute", {"minute([ts])", "pl.col(\"ts\").dt.minute().cast(pl.Int64)"}},
    {"second", {"second([ts])", "pl.col(\"ts\").dt.second().cast(pl.Int64)"}},
    {"date_text", {"date_text([d], \"%d.%m.%Y\")", "pl.col(\"d\").dt.strftime(\"%d.%m.%Y\")"}},
    {"running_total", {"running_total([x])", "pl.col(\"x\").cum_sum().forward_fill()"}},
    {"previous", {"previous([x], 4)", "pl.col(\"x\").shift(4)"}},
    {"following", {"following([x], 4)", "pl.col(\"x\").shift(-4)"}},
    {"rolling", {"rolling(median([x]), 4)", "pl.col(\"x\").rolling_median(4)"}},
    {"latest", {"latest([s])", "pl.col(\"s\").forward_fill()"}},
};

TEST(PolarsWriter, EveryFunctionOfTheVocabularyHasItsSpelling) {
    for (const FunctionEntry& function : functions()) {
        const auto sample = kCalls.find(std::string(function.name));
        ASSERT_NE(sample, kCalls.end()) << "no polars case for `" << function.name << "`";
        const auto& [call, spelling] = sample->second;
        const std::string program = polars_program("t then sort [d] then add [out] as " + call);
        EXPECT_NE(program.find(".with_columns(" + spelling + ".alias(\"out\"))"), std::string::npos)
            << call << " came out as:\n"
            << program;
        // Grouped by `add ... by`, what spans or walks the rows does so per group.
        const std::string grouped =
            polars_program("t then sort [d] then add [out] as " + call + " by [s]");
        const bool per_group = function.kind != FunctionKind::Scalar;
        EXPECT_EQ(grouped.find(spelling + ".over([\"s\"]).alias(\"out\")") != std::string::npos,
                  per_group)
            << call << " by [s] came out as:\n"
            << grouped;
    }
}

TEST(PolarsWriter, WidenCellsTakeTheirPivotAggregateFromTheCall) {
    struct Cell {
        std::string value;
        std::string column;
        std::string aggregate;
    };
    const std::vector<Cell> cells = {
        {"[x]", "x", "\"first\""},
        {"total([x])", "x", "pl.when(pl.element().count() > 0).then(pl.element().sum())"},
        {"average([x])", "x", "\"mean\""},
        {"median([x])", "x", "\"median\""},
        {"smallest([x])", "x", "\"min\""},
        {"largest([x])", "x", "\"max\""},
        {"standard_deviation([x])", "x", "\"std\""},
        {"first([k])", "k", "\"first\""},
        {"last([k])", "k", "\"last\""},
        {"unique_count([k])", "k", "pl.element().drop_nulls().n_unique().cast(pl.Int64)"},
        {"join_rows([k], \", \")", "k",
         "pl.when(pl.element().count() > 0).then(pl.element().drop_nulls().str.join(\", \"))"},
        {"row_count()", "s", "\"len\""},
    };
    for (const Cell& cell : cells) {
        const std::string program = polars_program("t then widen name [s], value " + cell.value);
        EXPECT_NE(program.find("values=\"" + cell.column +
                               "\", aggregate_function=" + cell.aggregate + ")"),
                  std::string::npos)
            << cell.value << " came out as:\n"
            << program;
    }
}

TEST(PolarsCheck, RefusesEveryPythonKeywordThatCanNameATable) {
    // Python's keywords; the ones the language keeps for itself (`and`, `in`, `with`, ...) never
    // reach the check as a table's name.
    const std::vector<std::string> keywords = {
        "False", "None",     "True",  "and",    "as",   "assert", "async",  "await",    "break",
        "class", "continue", "def",   "del",    "elif", "else",   "except", "finally",  "for",
        "from",  "global",   "if",    "import", "in",   "is",     "lambda", "nonlocal", "not",
        "or",    "pass",     "raise", "return", "try",  "while",  "with",   "yield"};
    int refused = 0;
    for (const std::string& keyword : keywords) {
        if (is_reserved_word(keyword)) continue;
        const Verdict refusal = polars_refusal(keyword + " then take 1");
        ASSERT_TRUE(refusal.has_value()) << keyword;
        EXPECT_NE(refusal->message.find("`" + keyword + "` is one of Python's own words"),
                  std::string::npos)
            << refusal->message;
        ASSERT_TRUE(refusal->span.has_value());
        EXPECT_EQ(refusal->span->start, 0u);
        EXPECT_EQ(refusal->span->length, keyword.size());
        ++refused;
    }
    EXPECT_GE(refused, 25);
    for (const std::string name : {"classes", "from_2024", "Class", "_if", "none"}) {
        EXPECT_FALSE(polars_refusal(name + " then take 1").has_value()) << name;
    }
}

TEST(PolarsCheck, LetsThroughOnlyCellsReadFromOneColumn) {
    for (const std::string cell : {"[x]", "total([x])", "join_rows([s], \"-\")", "row_count()"}) {
        EXPECT_FALSE(polars_refusal("t then widen name [s], value " + cell + " by [d]")) << cell;
    }
    for (const std::string cell :
         {"[x] * 2", "total([x] * 2)", "1", "lower([s])", "first(upper([s]))"}) {
        const std::string sentence = "t then widen name [s], value " + cell + " by [d]";
        const Verdict refusal = polars_refusal(sentence);
        ASSERT_TRUE(refusal.has_value()) << cell;
        ASSERT_TRUE(refusal->span.has_value());
        EXPECT_EQ(sentence.substr(refusal->span->start, refusal->span->length), cell);
    }
}

// A value that holds no column and no function stays a Python literal, which must never be
// called on or stand alone; anything else is a polars expression.
TEST(PolarsValues, LiteralsStayLiteralsUntilPolarsIsNeeded) {
    const auto value_of = [](const std::string& text) {
        auto checked = check_text("t then sort [d] then add [out] as " + text, kColumns);
        EXPECT_TRUE(checked.ok()) << text;
        if (!checked.ok()) return polars::PolarsValue{};
        return polars::polars_value(std::get<Add>(checked->steps.at(1).node).items.at(0).value,
                                    *checked->columns_before.at(1));
    };
    for (const std::string literal : {"1", "\"a\"", "2.5", "yes", "missing", "(1 + 2) * 3", "1 < 2",
                                      "yes and no", "remainder(7, 2)"}) {
        EXPECT_FALSE(value_of(literal).expression) << literal;
    }
    for (const std::string expression :
         {"[x]", "[x] + 1", "1 + [x]", "not yes", "missing + 1", "upper(\"a\")", "1 in {1, 2}",
          "when(yes, 1)", "look_up(1, 1, 2, otherwise 3)", "row_number()", "row_count()"}) {
        EXPECT_TRUE(value_of(expression).expression) << expression;
    }
}

}  // namespace
}  // namespace brell
