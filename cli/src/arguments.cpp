#include "arguments.hpp"

#include <algorithm>

#include "brell/brell.hpp"

namespace brell {
namespace {

// A `--columns` value names a table when it holds `=` with no `:` before the first `=`.
std::optional<std::pair<std::string, std::string>> split_named_table(const std::string& value) {
    const std::size_t equals = value.find('=');
    if (equals == std::string::npos) return std::nullopt;
    const std::size_t colon = value.find(':');
    if (colon != std::string::npos && colon < equals) return std::nullopt;
    return std::pair{value.substr(0, equals), value.substr(equals + 1)};
}

std::optional<UsageError> take_columns(Arguments& collected, const std::string& value) {
    if (auto named = split_named_table(value)) {
        const std::string& table = named->first;
        const bool described =
            std::any_of(collected.named_columns.begin(), collected.named_columns.end(),
                        [&](const auto& entry) { return entry.first == table; });
        if (described) {
            return UsageError{"`--columns` described `" + table +
                              "` twice, and a table takes one description"};
        }
        collected.named_columns.push_back(std::move(*named));
        return std::nullopt;
    }
    if (collected.head_columns) {
        return UsageError{
            "`--columns` described the head table twice, and it takes one description"};
    }
    collected.head_columns = value;
    return std::nullopt;
}

}  // namespace

std::optional<UsageError> take_head_by_name(Arguments& collected, std::string_view source) {
    auto& named = collected.named_columns;
    const auto found = std::find_if(named.begin(), named.end(),
                                    [&](const auto& entry) { return entry.first == source; });
    if (found == named.end()) return std::nullopt;
    if (collected.head_columns) {
        return UsageError{"`--columns` described `" + found->first +
                          "` twice, once without its name, and a table takes one description"};
    }
    collected.head_columns = std::move(found->second);
    named.erase(found);
    return std::nullopt;
}

void take_project_tables(Arguments& collected,
                         const std::vector<std::pair<std::string, std::string>>& lists,
                         const std::optional<std::string>& source) {
    auto& named = collected.named_columns;
    for (const auto& entry : lists) {
        const std::string& table = entry.first;  // named, so that the lambda below may take it
        if (source && table == *source) {
            if (!collected.head_columns) collected.head_columns = entry.second;
            continue;
        }
        const bool described = std::any_of(named.begin(), named.end(),
                                           [&](const auto& given) { return given.first == table; });
        if (!described) named.push_back(entry);
    }
}

ScanOutcome scan_arguments(std::span<const std::string> arguments) {
    Arguments collected;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool has_next = i + 1 < arguments.size();
        if (argument == "--help" || argument == "-h") return ListingRequest::Help;
        if (argument == "--version") return ListingRequest::Version;
        if (argument == "--vocabulary") return ListingRequest::Vocabulary;
        if (argument == "--seats") return ListingRequest::Seats;
        if (argument == "--needs") {
            collected.needs = true;
        } else if (argument == "--as") {
            if (collected.backend) return UsageError{"`--as` was given twice, and this takes one"};
            if (!has_next) {
                return UsageError{"`--as` needs a backend. There is: " + front::backend_list()};
            }
            collected.backend = arguments[++i];
        } else if (argument == "--draw") {
            if (collected.draw_way) {
                return UsageError{"`--draw` was given twice, and this takes one"};
            }
            if (!has_next) {
                return UsageError{"`--draw` needs a way of drawing. There is: " +
                                  front::drawing_way_list()};
            }
            collected.draw_way = arguments[++i];
        } else if (argument == "--columns") {
            if (!has_next) {
                return UsageError{"`--columns` needs a list, like \"region:text,revenue:number\""};
            }
            if (auto error = take_columns(collected, arguments[++i])) return *error;
        } else if (argument == "--tables") {
            if (collected.tables_file) {
                return UsageError{"`--tables` was given twice, and this takes one"};
            }
            if (!has_next) return UsageError{"`--tables` needs a file, like brell.toml"};
            collected.tables_file = arguments[++i];
        } else if (!argument.empty() && argument[0] == '-') {
            return UsageError{"`" + argument + "` is not an option"};
        } else {
            if (collected.pipeline)
                return UsageError{"two pipelines were given, and this takes one"};
            collected.pipeline = argument;
        }
    }
    return collected;
}

}  // namespace brell
