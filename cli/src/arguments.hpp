#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace brell {

// What the argument scan collects for a job.
struct Arguments {
    std::optional<std::string> pipeline;
    std::optional<std::string> backend;
    std::optional<std::string> draw_way;
    bool needs = false;
    std::optional<std::string> head_columns;
    std::vector<std::pair<std::string, std::string>> named_columns;  // (table, column list)
    std::optional<std::string> tables_file;  // `--tables`: the project file, not looked for
};

// A question the scan answers at once, without a pipeline.
enum class ListingRequest { Help, Version, Vocabulary, Seats };

// A usage error met during the scan: the message after "brell: ".
struct UsageError {
    std::string message;
};

using ScanOutcome = std::variant<Arguments, ListingRequest, UsageError>;

// When no unnamed `--columns` described the head table, the list named for the pipeline's own
// source (`--columns 'orders=...'` for `orders then ...`) describes it. A head table described both
// ways is a usage error.
std::optional<UsageError> take_head_by_name(Arguments& collected, std::string_view source);

// The tables a project file describes, under those `--columns` describes: a table described both
// ways takes its `--columns` list. The file's table named for the pipeline's `source` describes
// the head table. Called after `take_head_by_name`.
void take_project_tables(Arguments& collected,
                         const std::vector<std::pair<std::string, std::string>>& lists,
                         const std::optional<std::string>& source);

// Reads the arguments (after the program's name) left to right, one at a time, each compared as
// a whole. Stops at the first listing request or usage error.
ScanOutcome scan_arguments(std::span<const std::string> arguments);

}  // namespace brell
