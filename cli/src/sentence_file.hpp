#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brell {

// Where the one positional argument's pipeline is: the argument itself, or a `.brell` file.
//
// An argument ending in `.brell` that names an existing file is that file, holding the pipeline.
// One ending in `.brell` with no white space in it that names no file is refused: it reads as
// a file's name, and a pipeline of that one word (the table `orders.brell` alone) is given on
// standard input instead. Any other argument is the pipeline itself.
enum class ArgumentRole { Pipeline, SentenceFile, MissingSentenceFile };

ArgumentRole argument_role(std::string_view argument);

// The refusal of an argument that looks like a `.brell` file's name and names none.
std::string missing_sentence_file(std::string_view argument);

// The refusal of a `.brell` file whose name is also the name of a table described, so that the
// argument could be either.
std::string file_or_table(std::string_view argument);

// A sentence file's text, or why it cannot be a pipeline (the message after "brell: ").
struct SentenceFileRead {
    std::string text;
    std::optional<std::string> problem;
};
SentenceFileRead read_sentence_file(const std::string& path);

}  // namespace brell
