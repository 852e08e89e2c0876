#pragma once

#include <optional>
#include <span>
#include <string>
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
};

// A question the scan answers at once, without a pipeline.
enum class ListingRequest { Help, Vocabulary, Seats };

// A usage error met during the scan: the message after "brell: ".
struct UsageError {
    std::string message;
};

using ScanOutcome = std::variant<Arguments, ListingRequest, UsageError>;

// Reads the arguments (after the program's name) left to right, one at a time, each compared as
// a whole. Stops at the first listing request or usage error.
ScanOutcome scan_arguments(std::span<const std::string> arguments);

}  // namespace brell
