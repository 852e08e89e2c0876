#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.hpp"

namespace {

brell::StandardInput read_all_of_standard_input() {
    brell::StandardInput input;
    char buffer[1 << 16];
    while (true) {
        const std::size_t count = std::fread(buffer, 1, sizeof buffer, stdin);
        input.text.append(buffer, count);
        if (count < sizeof buffer) break;
    }
    if (std::ferror(stdin)) input.read_error = std::strerror(errno);
    return input;
}

// Writes the whole text; false when the stream would not take it.
bool write_all(std::FILE* stream, const std::string& text) {
    if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stream);
    return std::fflush(stream) == 0 && !std::ferror(stream);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    // Each job runs on a deep stack of its own behind the compiler's front. A drawing goes out
    // as it is made; whether all of it got there is asked of the stream below.
    const brell::front::TextSink drawing_to_standard_output = [](std::string_view piece) {
        std::fwrite(piece.data(), 1, piece.size(), stdout);
    };
    const brell::JobOutcome outcome =
        brell::run_command_line(arguments, read_all_of_standard_input, &drawing_to_standard_output);
    // Notes and refusals first: a checker's notes come before the program they speak of.
    write_all(stderr, outcome.standard_error);
    if (!write_all(stdout, outcome.standard_output)) {
        // An answer that never reached its reader is not a success.
        const int error = errno;
        std::fprintf(stderr, "brell: could not write to standard output: %s\n",
                     std::strerror(error));
        return outcome.exit_status == 0 ? 1 : outcome.exit_status;
    }
    return outcome.exit_status;
}
