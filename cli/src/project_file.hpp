#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace brell {

// The project file's name, looked for in the current folder and each folder above it.
inline constexpr const char* kProjectFileName = "brell.toml";

// The tables a project file describes, in the order it writes them: each table's name and its
// column list, as `--columns` takes it.
struct ProjectTables {
    std::string path;
    std::vector<std::pair<std::string, std::string>> lists;  // (table, column list)
};

// Why a project file could not be used: "{path}:{line}:{column}: {what is wrong}", or
// "{path}: {what is wrong}" when no place in it is at fault.
struct ProjectFileError {
    std::string message;
};

// The nearest project file: `brell.toml` in the current folder, or else in the nearest folder
// above it that has one. Its path is written relative to the current folder ("brell.toml",
// "../brell.toml"), as the messages show it.
std::optional<std::string> find_project_file();

// The file read whole: it must be TOML whose one key is `tables`, a table of column lists, each
// a text that reads as a `--columns` list. Any fault refuses the whole file.
std::variant<ProjectTables, ProjectFileError> read_project_file(const std::string& path);

}  // namespace brell
