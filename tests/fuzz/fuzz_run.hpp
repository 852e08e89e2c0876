#pragma once

#include <string>
#include <vector>

namespace brell::fuzz {

// Runs one command line through the whole program, in process, and stops the fuzzer (by
// aborting) if the outcome breaks the program's promises: an exit status other than 0, 1 or 2,
// output on standard output with a failure, a failure without a report, or a success that
// prints nothing where something is owed.
void run_and_check(const std::vector<std::string>& arguments, const std::string& standard_input);

// Every job a pipeline can be given, each run and checked: every backend, both drawings and
// `--needs`.
void run_every_job(const std::string& pipeline, const std::vector<std::string>& columns_arguments);

}  // namespace brell::fuzz
