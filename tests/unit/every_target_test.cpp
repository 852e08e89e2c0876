// Every function of the vocabulary, in every kind of place it may stand, on every target: each
// target writes it or refuses it with a message under the words at fault. A word added to the
// vocabulary without a spelling for some target fails here (the writer's internal error ends the
// run) instead of reaching a user.

#include <gtest/gtest.h>

#include <map>

#include "backend/backend.hpp"
#include "parse/vocabulary.hpp"
#include "written_program.hpp"

namespace brell {
namespace {

const std::vector<TableColumn> kColumns = {{"s", ColumnType::Text},   {"k", ColumnType::Text},
                                           {"x", ColumnType::Number}, {"y", ColumnType::Number},
                                           {"d", ColumnType::Date},   {"ts", ColumnType::Timestamp},
                                           {"b", ColumnType::Truth}};

// One call of each function, over the columns above, with columns where a column may stand.
const std::map<std::string, std::string, std::less<>> kSampleCalls = {
    {"total", "total([x])"},
    {"average", "average([x])"},
    {"median", "median([x])"},
    {"smallest", "smallest([x])"},
    {"largest", "largest([x])"},
    {"standard_deviation", "standard_deviation([x])"},
    {"first", "first([s])"},
    {"last", "last([s])"},
    {"unique_count", "unique_count([s])"},
    {"value_count", "value_count([s])"},
    {"any_yes", "any_yes([b])"},
    {"all_yes", "all_yes([x] > 0)"},
    {"row_count", "row_count()"},
    {"join_rows", "join_rows([s], \"+\")"},
    {"rank", "rank([x])"},
    {"row_number", "row_number()"},
    {"first_present", "first_present([s], [k])"},
    {"join_text", "join_text([s], \"-\", [k])"},
    {"lower", "lower([s])"},
    {"upper", "upper([s])"},
    {"to_number", "to_number([s])"},
    {"to_text", "to_text([x])"},
    {"to_date", "to_date([s])"},
    {"round_below", "round_below([x])"},
    {"round_above", "round_above([x])"},
    {"round_nearest", "round_nearest([x], 2)"},
    {"absolute", "absolute([x])"},
    {"square_root", "square_root([x])"},
    {"natural_logarithm", "natural_logarithm([x])"},
    {"decimal_logarithm", "decimal_logarithm([x])"},
    {"exponential", "exponential([x])"},
    {"power", "power([x], 0.5)"},
    {"trim", "trim([s])"},
    {"trim_start", "trim_start([s])"},
    {"trim_end", "trim_end([s])"},
    {"replace_text", "replace_text([s], [k], \"+\")"},
    {"part_of_text", "part_of_text([s], 2, 3)"},
    {"split_text", "split_text([s], [k], [x])"},
    {"characters", "characters([s])"},
    {"between", "between([x], [y], 10)"},
    {"remainder", "remainder([x], [y])"},
    {"whole_quotient", "whole_quotient([x], [y])"},
    {"quotient_remainder", "quotient_remainder([x], [y])"},
    {"year", "year([d])"},
    {"month", "month([d])"},
    {"day", "day([d])"},
    {"weekday", "weekday([d])"},
    {"hour", "hour([ts])"},
    {"minute", "minute([ts])"},
    {"second", "second([ts])"},
    {"date_text", "date_text([ts], \"%d/%m/%Y %H:%M\")"},
    {"running_total", "running_total([x])"},
    {"previous", "previous([x], 2)"},
    {"following", "following([x])"},
    {"rolling", "rolling(average([x]), 3)"},
    {"latest", "latest([s])"},
};

// Sentences that put the call in each place its kind may stand.
std::vector<std::string> sentences_around(const FunctionEntry& function, const std::string& call) {
    switch (function.kind) {
        case FunctionKind::Scalar:
            return {"t then add [out] as " + call, "t then keep where " + call + " is not missing",
                    "t then fill_missing [s] as to_text(" + call + ")"};
        case FunctionKind::Aggregate:
            return {"t then summarize [out] as " + call,
                    "t then summarize [out] as " + call + " by [k]",
                    "t then add [out] as " + call + " by [k]",
                    "t then sort [x] then summarize [out] as " + call + " by [k]",
                    "t then widen name [k], value " + call + " by [x] giving [a, b]"};
        case FunctionKind::Window:
            return {"t then sort [d] then add [out] as " + call,
                    "t then sort [d] then add [out] as " + call + " by [k]"};
    }
    return {};
}

TEST(EveryTarget, WritesEveryFunctionOrRefusesItUnderTheWords) {
    const auto backends = all_backends();
    for (const FunctionEntry& function : functions()) {
        const auto sample = kSampleCalls.find(function.name);
        ASSERT_NE(sample, kSampleCalls.end()) << "no sample call of `" << function.name << "`";
        for (const std::string& sentence : sentences_around(function, sample->second)) {
            auto checked = check_text(sentence, kColumns);
            // A place the checker does not allow the function in is no place to write it.
            if (!checked.ok()) continue;
            for (const auto& backend : backends) {
                if (const Verdict refusal = backend->check(*checked)) {
                    EXPECT_FALSE(refusal->message.empty()) << backend->name() << ": " << sentence;
                    EXPECT_TRUE(refusal->span.has_value())
                        << backend->name() << " refuses " << sentence << " under no words";
                    continue;
                }
                EXPECT_FALSE(backend->write(*checked, checked->columns_before).empty())
                    << backend->name() << ": " << sentence;
            }
        }
    }
}

TEST(EveryTarget, EverySampleSentenceIsOneTheCheckerAccepts) {
    // The samples must reach the writers: each function's first place is always allowed.
    for (const FunctionEntry& function : functions()) {
        const auto sample = kSampleCalls.find(function.name);
        ASSERT_NE(sample, kSampleCalls.end()) << function.name;
        const std::string sentence = sentences_around(function, sample->second).front();
        const auto checked = check_text(sentence, kColumns);
        EXPECT_TRUE(checked.ok()) << sentence << ": "
                                  << (checked.ok() ? "" : checked.error().message);
    }
}

}  // namespace
}  // namespace brell
