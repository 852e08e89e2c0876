#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>

#include "outcome.hpp"

namespace brell {

// All of standard input, or the system's words for why it could not be read.
struct StandardInput {
    std::string text;
    std::optional<std::string> read_error;
};

// One whole run: the arguments after the program's name, and standard input, read only when no
// pipeline is given as an argument. A drawing (which runs to gigabytes for a long sentence) is
// written to `stream_drawing` as it is made when that is given, and is then not in the outcome.
JobOutcome run_command_line(std::span<const std::string> arguments,
                            const std::function<StandardInput()>& read_standard_input,
                            const front::TextSink* stream_drawing = nullptr);

}  // namespace brell
