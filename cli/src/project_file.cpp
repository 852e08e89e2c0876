#include "project_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "brell/brell.hpp"

// toml++ 3.3 checks with an assertion that a key begins with a key's character, which a malformed
// file breaks (`[=`), and in an optimised build tells the compiler to assume it instead; either
// way its parser then reports the file's fault as it should. Its internal checks are made to do
// nothing, and NDEBUG is lifted while it is read so that the assumption is not made either.
#pragma push_macro("NDEBUG")
#undef NDEBUG
#define TOML_ASSERT(expr) static_cast<void>(0)
#include <toml++/toml.h>
#pragma pop_macro("NDEBUG")

namespace brell {
namespace {

ProjectFileError fault_at(const toml::source_region& where, const std::string& path,
                          const std::string& what) {
    return ProjectFileError{path + ":" + std::to_string(where.begin.line) + ":" +
                            std::to_string(where.begin.column) + ": " + what};
}

// What the file says of one table, or why it cannot be read as a column list.
std::optional<ProjectFileError> list_fault(const std::string& path, const std::string& table,
                                           const toml::node& value) {
    const auto* list = value.as_string();
    if (!list) {
        std::string what = "`" + table + "` should be a column list in quotes, like " + table +
                           " = \"region:text,revenue:number\"";
        // `orders.brell = "..."` is the table `brell` inside a table `orders` to TOML.
        const auto* inner = value.as_table();
        if (inner && inner->size() == 1) {
            what += "; a table name with a dot in it is written in quotes: \"" + table + "." +
                    std::string(inner->begin()->first.str()) + "\" = \"...\"";
        }
        return fault_at(value.source(), path, what);
    }
    const front::ColumnsRead read = front::read_columns(list->get());
    if (read.problem) return fault_at(value.source(), path, "`" + table + "`: " + *read.problem);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> find_project_file() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    if (error) return std::nullopt;
    std::string up;
    while (true) {
        if (std::filesystem::is_regular_file(folder / kProjectFileName, error)) {
            return up + kProjectFileName;
        }
        if (folder == folder.root_path() || !folder.has_parent_path()) return std::nullopt;
        folder = folder.parent_path();
        up += "../";
    }
}

std::variant<ProjectTables, ProjectFileError> read_project_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return ProjectFileError{"could not read " + path + ": " + std::strerror(errno)};
    std::ostringstream whole;
    whole << file.rdbuf();
    if (file.bad()) return ProjectFileError{"could not read " + path + ": " + std::strerror(errno)};
    const std::string text = whole.str();

    toml::parse_result parsed = toml::parse(text, path);
    if (!parsed)
        return fault_at(parsed.error().source(), path, std::string(parsed.error().description()));
    const toml::table& document = parsed.table();

    for (const auto& [key, value] : document) {
        if (key.str() != "tables") {
            return fault_at(key.source(), path,
                            "`" + std::string(key.str()) +
                                "` is not something this file describes; it holds one table, "
                                "[tables], of column lists");
        }
    }
    const toml::node* tables_node = document.get("tables");
    if (!tables_node) {
        return ProjectFileError{path +
                                ": describes no tables; write them under [tables], like "
                                "sales = \"region:text,revenue:number\""};
    }
    const toml::table* tables = tables_node->as_table();
    if (!tables) {
        return fault_at(tables_node->source(), path,
                        "`tables` should be a table of column lists, written [tables]");
    }

    // toml++ keeps keys sorted; the tables are read, and their faults found, in the file's order.
    std::vector<std::pair<const toml::key*, const toml::node*>> entries;
    for (const auto& [key, value] : *tables) entries.emplace_back(&key, &value);
    std::sort(entries.begin(), entries.end(), [](const auto& left, const auto& right) {
        return left.first->source().begin < right.first->source().begin;
    });
    ProjectTables read{path, {}};
    for (const auto& [key, value] : entries) {
        const std::string table(key->str());
        if (auto fault = list_fault(path, table, *value)) return *fault;
        read.lists.emplace_back(table, value->as_string()->get());
    }
    return read;
}

}  // namespace brell
