#pragma once

#include <string>
#include <string_view>

#include "brell/brell.hpp"

namespace brell {

// Everything one run prints and how it ends. A run builds its whole outcome before anything is
// printed, so nothing is ever half-printed; only a drawing may be written as it is made (see
// `run_command_line`), once its sentence is read and nothing can refuse it any more.
struct JobOutcome {
    std::string standard_output;
    std::string standard_error;
    int exit_status = 0;
};

// The job's text on standard output; exit status 0.
JobOutcome success(std::string output);

// "brell: {message}", a blank line and the help text on standard error; exit status 1.
JobOutcome usage_error(std::string_view message);

// "brell: {message}" alone on standard error, without the help text, which has nothing to say of
// what is wrong inside a file; exit status 1.
JobOutcome file_error(std::string_view message);

// The refusal drawn under the pipeline text on standard error; exit status 2.
JobOutcome refusal(const front::Message& refused);

}  // namespace brell
