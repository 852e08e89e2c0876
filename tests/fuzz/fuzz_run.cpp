#include "fuzz_run.hpp"

#include <cstdio>
#include <cstdlib>

#include "backend/backend.hpp"
#include "command_line.hpp"
#include "deep_stack.hpp"

namespace brell::fuzz {
namespace {

[[noreturn]] void broken(const char* promise, const std::vector<std::string>& arguments) {
    std::fprintf(stderr, "broken promise: %s\narguments:", promise);
    for (const std::string& argument : arguments) std::fprintf(stderr, " [%s]", argument.c_str());
    std::fprintf(stderr, "\n");
    std::abort();
}

}  // namespace

void run_and_check(const std::vector<std::string>& arguments, const std::string& standard_input) {
    JobOutcome outcome;
    run_with_deep_stack([&] {
        outcome = run_command_line(arguments, [&] { return StandardInput{standard_input, {}}; });
    });
    switch (outcome.exit_status) {
        case 0:
            if (!outcome.standard_error.empty() &&
                outcome.standard_error.rfind("assumption: ", 0) != 0) {
                broken("a success reports only the checker's notes", arguments);
            }
            break;
        case 1:
            if (outcome.standard_error.rfind("brell: ", 0) != 0) {
                broken("a usage error begins \"brell: \"", arguments);
            }
            [[fallthrough]];
        case 2:
            if (!outcome.standard_output.empty()) {
                broken("a failure prints nothing on standard output", arguments);
            }
            if (outcome.standard_error.empty() || outcome.standard_error.back() != '\n') {
                broken("a failure is reported, ending in a newline", arguments);
            }
            break;
        default:
            broken("the exit status is 0, 1 or 2", arguments);
    }
}

void run_every_job(const std::string& pipeline, const std::vector<std::string>& columns_arguments) {
    const auto with = [&](std::vector<std::string> job) {
        std::vector<std::string> arguments = columns_arguments;
        arguments.insert(arguments.end(), job.begin(), job.end());
        arguments.push_back(pipeline);
        return arguments;
    };
    run_and_check(with({"--needs"}), "");
    run_and_check(with({"--draw", "text"}), "");
    run_and_check(with({"--draw", "svg"}), "");
    for (const std::string& backend : backend_names()) run_and_check(with({"--as", backend}), "");
}

}  // namespace brell::fuzz
