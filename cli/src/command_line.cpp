#include "command_line.hpp"

#include <algorithm>

#include "arguments.hpp"
#include "help_text.hpp"
#include "jobs.hpp"
#include "project_file.hpp"
#include "sentence_file.hpp"

namespace brell {
namespace {

JobOutcome answer_listing(ListingRequest request) {
    switch (request) {
        case ListingRequest::Help:
            return success(help_text());
        case ListingRequest::Version:
            return success(version_text());
        case ListingRequest::Vocabulary:
            return success(front::vocabulary());
        case ListingRequest::Seats:
            return success(front::seats());
    }
    return success("");
}

// The pipeline text, and whether it was read from the `.brell` file the argument names.
struct PipelineText {
    std::string text;
    bool from_file = false;
};

// The pipeline text: the argument as given, the `.brell` file it names, or else all of standard
// input.
std::variant<PipelineText, UsageError> pipeline_text(
    const Arguments& arguments, const std::function<StandardInput()>& read_standard_input) {
    if (arguments.pipeline) {
        const ArgumentRole role = argument_role(*arguments.pipeline);
        if (role == ArgumentRole::SentenceFile) {
            SentenceFileRead read = read_sentence_file(*arguments.pipeline);
            if (read.problem) return UsageError{std::move(*read.problem)};
            return PipelineText{std::move(read.text), true};
        }
        if (!front::is_valid_utf8(*arguments.pipeline)) {
            return UsageError{"could not read the pipeline: the argument was not valid UTF-8"};
        }
        if (role == ArgumentRole::MissingSentenceFile) {
            return UsageError{missing_sentence_file(*arguments.pipeline)};
        }
        return PipelineText{*arguments.pipeline};
    }
    StandardInput input = read_standard_input();
    if (input.read_error) {
        return UsageError{"could not read the pipeline from stdin: " + *input.read_error};
    }
    if (front::is_too_long(input.text)) {
        return UsageError{"could not read the pipeline from stdin: it is 4 GiB or longer"};
    }
    if (!front::is_valid_utf8(input.text)) {
        return UsageError{
            "could not read the pipeline from stdin: stream did not contain valid UTF-8"};
    }
    if (front::is_blank(input.text)) return UsageError{"no pipeline was given"};
    return PipelineText{std::move(input.text)};
}

// The project file `--tables` names, or else the nearest `brell.toml`; none when there is none.
std::variant<std::optional<ProjectTables>, ProjectFileError> project_tables(
    const Arguments& arguments) {
    const std::optional<std::string> path =
        arguments.tables_file ? arguments.tables_file : find_project_file();
    if (!path) return std::nullopt;
    auto read = read_project_file(*path);
    if (auto* error = std::get_if<ProjectFileError>(&read)) return std::move(*error);
    return std::optional<ProjectTables>{std::get<ProjectTables>(std::move(read))};
}

// Whether `name` is a table described by `--columns` or by the project file.
bool is_described(std::string_view name, const Arguments& arguments,
                  const std::optional<ProjectTables>& project) {
    const auto named = [&](const auto& entry) { return entry.first == name; };
    const auto& given = arguments.named_columns;
    if (std::any_of(given.begin(), given.end(), named)) return true;
    return project && std::any_of(project->lists.begin(), project->lists.end(), named);
}

// One `--columns` list read into columns; text that is not UTF-8 is refused before it is read.
std::variant<std::vector<front::Column>, UsageError> read_list(std::string_view table,
                                                               std::string_view list) {
    if (!front::is_valid_utf8(table) || !front::is_valid_utf8(list)) {
        return UsageError{"could not read `--columns`: the list was not valid UTF-8"};
    }
    front::ColumnsRead read = front::read_columns(list);
    if (read.problem) return UsageError{std::move(*read.problem)};
    return std::move(read.columns);
}

// Every `--columns` list read, the head table's first: the first refusal wins.
std::variant<front::Tables, UsageError> read_descriptions(const Arguments& arguments) {
    front::Tables described;
    if (arguments.head_columns) {
        auto head = read_list("", *arguments.head_columns);
        if (auto* error = std::get_if<UsageError>(&head)) return *error;
        described.head = std::get<std::vector<front::Column>>(std::move(head));
    }
    for (const auto& [table, list] : arguments.named_columns) {
        auto columns = read_list(table, list);
        if (auto* error = std::get_if<UsageError>(&columns)) return *error;
        described.named.push_back(
            front::NamedTable{table, std::get<std::vector<front::Column>>(std::move(columns))});
    }
    return described;
}

// The refusal of a pipeline whose own table no `--columns` described; `source` is its name, when
// the pipeline parses.
std::string columns_required(const Arguments& arguments, const std::optional<std::string>& source,
                             const std::optional<ProjectTables>& project) {
    if (project && source) {
        return "no table called `" + *source + "` is described, and the pipeline reads it. " +
               "Describe it in " + project->path + ", under [tables]: " + *source +
               " = \"name:type,...\"";
    }
    std::string message =
        "`--columns` is required. The grammar checks a pipeline against the table it will run on, "
        "and it cannot do that without knowing the columns";
    if (arguments.named_columns.empty() || !source) return message;
    std::string named;
    for (const auto& [table, list] : arguments.named_columns) {
        named += (named.empty() ? "`" : ", `") + table + "`";
    }
    return message + ". The lists given are named for " + named + "; describe `" + *source +
           "` too, the table the pipeline reads: `--columns '" + *source + "=name:type,...'`";
}

}  // namespace

JobOutcome run_command_line(std::span<const std::string> argument_list,
                            const std::function<StandardInput()>& read_standard_input,
                            const front::TextSink* stream_drawing) {
    ScanOutcome scanned = scan_arguments(argument_list);
    if (auto* request = std::get_if<ListingRequest>(&scanned)) return answer_listing(*request);
    if (auto* error = std::get_if<UsageError>(&scanned)) return usage_error(error->message);
    Arguments& arguments = std::get<Arguments>(scanned);

    auto text = pipeline_text(arguments, read_standard_input);
    if (auto* error = std::get_if<UsageError>(&text)) return usage_error(error->message);
    const std::string& pipeline = std::get<PipelineText>(text).text;

    if (arguments.needs) return run_needs(pipeline);

    auto project_read = project_tables(arguments);
    if (auto* error = std::get_if<ProjectFileError>(&project_read)) {
        return file_error(error->message);
    }
    const auto& project = std::get<std::optional<ProjectTables>>(project_read);
    if (std::get<PipelineText>(text).from_file &&
        is_described(*arguments.pipeline, arguments, project)) {
        return usage_error(file_or_table(*arguments.pipeline));
    }

    std::optional<std::string> source;
    // The source is the first table the sentence reads, when it parses.
    if (const front::Answer read = front::needs(pipeline); !read.refusal) {
        source = read.text.substr(0, read.text.find('\n'));
    }
    if (source) {
        if (auto error = take_head_by_name(arguments, *source)) return usage_error(error->message);
    }
    if (project) take_project_tables(arguments, project->lists, source);
    // With a project file, a pipeline that does not parse names no table to look up, and its
    // parse refusal is its answer.
    if (!arguments.head_columns && (source || !project)) {
        return usage_error(columns_required(arguments, source, project));
    }
    auto described = read_descriptions(arguments);
    if (auto* error = std::get_if<UsageError>(&described)) return usage_error(error->message);
    const front::Tables& tables = std::get<front::Tables>(described);

    if (arguments.draw_way) {
        if (arguments.backend) {
            return usage_error(
                "`--draw` and `--as` answer different questions, so this takes one or the other. "
                "`--as` writes the pipeline out in another language; `--draw` shows what it does "
                "to the table");
        }
        return run_drawing(pipeline, *arguments.draw_way, tables, stream_drawing);
    }
    return run_writing(pipeline, arguments.backend.value_or("sql"), tables);
}

}  // namespace brell
