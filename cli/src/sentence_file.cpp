#include "sentence_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "brell/brell.hpp"

namespace brell {
namespace {

constexpr std::string_view kSentenceFileEnding = ".brell";

bool has_white_space(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
    });
}

}  // namespace

ArgumentRole argument_role(std::string_view argument) {
    // A NUL ends a path early (the system would look at another file), and no argument of a
    // process holds one; only a caller in the same process can pass it.
    if (!argument.ends_with(kSentenceFileEnding) || argument.find('\0') != std::string_view::npos) {
        return ArgumentRole::Pipeline;
    }
    std::error_code error;
    if (std::filesystem::is_regular_file(std::filesystem::path(argument), error)) {
        return ArgumentRole::SentenceFile;
    }
    return has_white_space(argument) ? ArgumentRole::Pipeline : ArgumentRole::MissingSentenceFile;
}

std::string missing_sentence_file(std::string_view argument) {
    const std::string name(argument);
    return "there is no file `" + name + "`. An argument ending in `.brell` names a file holding " +
           "the pipeline; a pipeline that only reads a table called `" + name +
           "` is given on standard input: echo '" + name + "' | brell ...";
}

std::string file_or_table(std::string_view argument) {
    const std::string name(argument);
    return "`" + name + "` is a file here and also a table described, so it is not clear " +
           "which is meant. To read the pipeline in the file, give it on standard input: brell " +
           "... < " + name + "; to read the table, give its name the same way: echo '" + name +
           "' | brell ...";
}

SentenceFileRead read_sentence_file(const std::string& path) {
    const std::string failed = "could not read the pipeline from " + path + ": ";
    std::ifstream file(path, std::ios::binary);
    if (!file) return {"", failed + std::strerror(errno)};
    std::ostringstream whole;
    whole << file.rdbuf();
    if (file.bad()) return {"", failed + std::strerror(errno)};
    std::string text = whole.str();
    if (front::is_too_long(text)) return {"", failed + "it is 4 GiB or longer"};
    if (!front::is_valid_utf8(text)) return {"", failed + "the file is not valid UTF-8"};
    if (front::is_blank(text)) return {"", path + " holds no pipeline"};
    return {std::move(text), std::nullopt};
}

}  // namespace brell
