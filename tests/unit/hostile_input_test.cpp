// Inputs meant to break the program: huge, deep, wide, or full of bytes that are not text. Every
// one must end in one of the program's three outcomes, whole, and quickly: success with the job's
// text, a usage error, or one refusal — never a crash, a hang or half an answer.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backend/backend.hpp"
#include "command_line.hpp"

namespace brell {
namespace {

JobOutcome run(std::vector<std::string> arguments, const std::string& standard_input = "") {
    return run_command_line(arguments, [&] { return StandardInput{standard_input, {}}; });
}

// The promises every outcome keeps.
void expect_whole(const JobOutcome& outcome, const std::string& what) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(outcome.exit_status == 0 || outcome.exit_status == 1 || outcome.exit_status == 2)
        << outcome.exit_status;
    if (outcome.exit_status != 0) {
        EXPECT_TRUE(outcome.standard_output.empty());
        ASSERT_FALSE(outcome.standard_error.empty());
        EXPECT_EQ(outcome.standard_error.back(), '\n');
    } else {
        EXPECT_FALSE(outcome.standard_output.empty());
    }
    EXPECT_EQ(outcome.standard_error.find("internal error"), std::string::npos);
}

// A drawing written out as it is made (as the command line writes it) is the drawing held whole,
// however many pieces it comes in.
void expect_streamed_alike(const std::vector<std::string>& arguments, const std::string& pipeline,
                           const JobOutcome& held) {
    std::string streamed;
    const front::TextSink stream = [&](std::string_view piece) { streamed += piece; };
    const JobOutcome outcome = run_command_line(
        arguments,
        [&] {
            return StandardInput{pipeline, {}};
        },
        &stream);
    EXPECT_TRUE(outcome.standard_output.empty());
    EXPECT_EQ(outcome.standard_error, held.standard_error);
    EXPECT_EQ(outcome.exit_status, held.exit_status);
    EXPECT_TRUE(streamed == held.standard_output)
        << "streamed " << streamed.size() << " bytes, held " << held.standard_output.size();
}

// Every job the pipeline can be given: --needs, both drawings, every backend.
std::vector<std::vector<std::string>> every_job() {
    std::vector<std::vector<std::string>> jobs = {
        {"--needs"}, {"--draw", "text"}, {"--draw", "svg"}};
    for (const std::string& backend : backend_names()) jobs.push_back({"--as", backend});
    return jobs;
}

// Every job, each answering whole; the writers with the status expected.
void expect_every_job_whole(const std::vector<std::string>& columns, const std::string& pipeline,
                            int expected_status, int drawing_status = 0) {
    for (const auto& job : every_job()) {
        std::vector<std::string> arguments = columns;
        arguments.insert(arguments.end(), job.begin(), job.end());
        const JobOutcome outcome = run(arguments, pipeline);
        expect_whole(outcome, job.back());
        // A drawing draws a sentence that parses even when it does not check; a writer refuses it.
        // (Backends not built yet answer with their own refusal.)
        if (job[0] == "--draw") {
            EXPECT_EQ(outcome.exit_status, drawing_status) << job.back();
            expect_streamed_alike(arguments, pipeline, outcome);
        } else if (job[0] == "--as" && outcome.standard_error.rfind("not built yet", 0) != 0) {
            EXPECT_EQ(outcome.exit_status, expected_status) << job.back();
        }
    }
}

std::string repeated(const std::string& piece, std::size_t times, const std::string& between = "") {
    std::string text;
    text.reserve((piece.size() + between.size()) * times);
    for (std::size_t i = 0; i < times; ++i) text += (i ? between : "") + piece;
    return text;
}

TEST(HostileInput, EmptyAndBlankPipelinesForEveryJob) {
    for (const std::string& pipeline :
         {std::string(""), std::string(" \n\t "), std::string("# a note")}) {
        for (const auto& job : every_job()) {
            std::vector<std::string> arguments = {"--columns", "a:number"};
            arguments.insert(arguments.end(), job.begin(), job.end());
            expect_whole(run(arguments, pipeline), "stdin");
            arguments.push_back(pipeline);
            const JobOutcome outcome = run(arguments);
            expect_whole(outcome, "argument");
            EXPECT_EQ(outcome.exit_status, 2);
        }
    }
}

TEST(HostileInput, FiveMegabytePipelines) {
    // One text value of five megabytes, and a sentence of five megabytes of steps.
    const std::string text = "t then keep where [a] is \"" + repeated("x", 5'000'000) + "\"";
    expect_every_job_whole({"--columns", "a:text"}, text, 0);
    const std::string steps = "t" + repeated(" then keep where [a] is \"xyz\"", 180'000);
    ASSERT_GT(steps.size(), 5'000'000u);
    expect_every_job_whole({"--columns", "a:text"}, steps, 0);
}

TEST(HostileInput, HundredThousandStepsOfEveryKind) {
    const std::vector<std::string> kinds = {"keep where [a] > 1",
                                            "add [b] as [a] * 2",
                                            "sort [a] descending",
                                            "take 5",
                                            "pick [a, b, c]",
                                            "rename [d] as [c]",
                                            "rename [c] as [d]",
                                            "drop_missing",
                                            "fill_missing [b] as 0",
                                            "take_last 3 by [c]",
                                            "add [r] as running_total([a]) by [c]",
                                            "drop_duplicates"};
    std::string pipeline = "t";
    for (std::size_t i = 0; i < 100'000; ++i) pipeline += " then " + kinds[i % kinds.size()];
    expect_every_job_whole({"--columns", "a:number,b:number,c:text"}, pipeline, 0);
}

TEST(HostileInput, TenThousandColumns) {
    std::string columns;
    for (int i = 0; i < 10'000; ++i)
        columns += (i ? "," : "") + ("c" + std::to_string(i)) + ":number";
    expect_every_job_whole(
        {"--columns", columns},
        "t then keep where any name starts \"c1\" as value > 1 then add where "
        "kind is \"number\" as value * 2 then sort [c9999] then take_last 2 then "
        "lengthen all_but [c0] as name [n], value [v]",
        0);
    // A misspelt name among them is refused with its suggestion, not searched forever.
    expect_every_job_whole({"--columns", columns}, "t then sort [c99999]", 2);
}

TEST(HostileInput, HundredThousandColumnEntries) {
    std::string columns;
    for (int i = 0; i < 100'000; ++i)
        columns += (i ? "," : "") + ("c" + std::to_string(i)) + ":text";
    expect_every_job_whole({"--columns", columns}, "t then pick [c5, c99999]", 0);
    const JobOutcome twice = run({"--columns", columns + ",c5:number", "t"});
    expect_whole(twice, "a column described twice");
    EXPECT_EQ(twice.exit_status, 1);
}

TEST(HostileInput, LongNamesAndTextsInBothDrawings) {
    const std::string name = repeated("n", 100'000);
    const std::string text = repeated("数", 100'000);
    expect_every_job_whole({"--columns", name + ":text"},
                           "t then add [" + name + "2] as [" + name + "] is \"" + text +
                               "\" then pick [" + name + "2]",
                           0);
    expect_every_job_whole({"--columns", "a:text"}, "t then keep where [" + name + "] is 1", 2);
}

TEST(HostileInput, NulAndControlCharactersInTextsAndNames) {
    std::string controls;
    for (char c = 1; c < 0x20; ++c) controls += c;
    controls += '\x7f';
    expect_every_job_whole({"--columns", "a:text", "--columns", "p=a:text"},
                           "t then keep where [a] is \"" + controls + "\"", 0);
    // No target can hold a NUL in a text, so none may stand in the sentence.
    expect_every_job_whole({"--columns", "a:text"},
                           std::string("t then keep where [a] is \"x\0y\"", 30), 2, 2);
    // A line feed or comma ends a `--columns` entry; the rest of the controls can be in a name.
    std::string column_name = "c";
    for (char c = 1; c < 0x20; ++c) {
        if (c != '\n' && c != ',' && c != '\t' && c != '\r' && c != '\v' && c != '\f')
            column_name += c;
    }
    expect_every_job_whole({"--columns", column_name + ":text"},
                           "t then add [x] as [" + column_name + "] then rename [y] as [x]", 0);
    // A NUL outside a text is refused as a character that means nothing, by every job.
    expect_every_job_whole({"--columns", "a:text"}, std::string("t then take 1\0", 14), 2, 2);
}

TEST(HostileInput, InvalidUtf8InEachInput) {
    const std::string bad = "\xff\xfe\xc3";
    for (const auto& job : every_job()) {
        std::vector<std::string> arguments = {"--columns", "a:number"};
        arguments.insert(arguments.end(), job.begin(), job.end());
        std::vector<std::string> with_argument = arguments;
        with_argument.push_back("t then keep where [a] is \"" + bad + "\"");
        EXPECT_EQ(run(with_argument).exit_status, 1);
        EXPECT_EQ(run(arguments, "t" + bad).exit_status, 1);
        std::vector<std::string> bad_columns = {"--columns", "a" + bad + ":number"};
        bad_columns.insert(bad_columns.end(), job.begin(), job.end());
        bad_columns.push_back("t");
        const JobOutcome outcome = run(bad_columns);
        expect_whole(outcome, "bad columns");
        EXPECT_EQ(outcome.exit_status, job[0] == "--needs" ? 0 : 1);
    }
}

TEST(HostileInput, NestingAtAndBeyondTheDepthLimit) {
    const std::string deepest = repeated("(", 999) + "[a]" + repeated(")", 999) + " > 1";
    expect_every_job_whole({"--columns", "a:number"}, "t then keep where " + deepest, 0);
    expect_every_job_whole({"--columns", "a:number"},
                           "t then add [s] as " + repeated("[a]", 1000, " + "), 0);
    expect_every_job_whole({"--columns", "a:number"},
                           "t then add [s] as " + repeated("[a]", 1001, " + "), 2, 2);
    expect_every_job_whole({"--columns", "a:number"},
                           "t then keep where " + repeated("not ", 100'000) + "[a] > 1", 2, 2);
}

TEST(HostileInput, SameInputSameOutput) {
    const std::string pipeline =
        "t then join p then widen name [g], value total([v]) by [id] giving [x, y] missing 0";
    for (const auto& job : every_job()) {
        std::vector<std::string> arguments = {"--columns", "id:number,g:text,v:number", "--columns",
                                              "p=id:number,w:text"};
        arguments.insert(arguments.end(), job.begin(), job.end());
        arguments.push_back(pipeline);
        const JobOutcome first = run(arguments);
        const JobOutcome second = run(arguments);
        EXPECT_EQ(first.standard_output, second.standard_output) << job.back();
        EXPECT_EQ(first.standard_error, second.standard_error) << job.back();
    }
}

}  // namespace
}  // namespace brell
