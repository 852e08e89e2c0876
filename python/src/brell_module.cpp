// The compiler's front as the Python module `brell._brell`. Each job copies its arguments, lets
// go of the interpreter while the compiler works, and answers with plain tuples that the
// package's Python side turns into its own types and exceptions. A table's columns come as a
// `ColumnList`, made once from a description and kept by the package, so that a call passes
// them without reading each name and type word again.

#include <nanobind/nanobind.h>
#include <nanobind/stl/optional.h>
#include <nanobind/stl/pair.h>
#include <nanobind/stl/string.h>
#include <nanobind/stl/tuple.h>
#include <nanobind/stl/vector.h>

#include <cstddef>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "brell/brell.hpp"

namespace nb = nanobind;

namespace {

using ColumnPairs = std::vector<std::pair<std::string, std::string>>;

// One table's columns, as the compiler takes them.
struct ColumnList {
    std::vector<brell::front::Column> columns;
};
using NamedLists = std::vector<std::pair<std::string, const ColumnList*>>;

// kind, message, first character, one past the last character (both None without a place), drawn
using MessageTuple = std::tuple<std::string, std::string, std::optional<std::size_t>,
                                std::optional<std::size_t>, std::string>;
// text (None when refused), the refusal (None when answered), the notes
using AnswerTuple =
    std::tuple<std::optional<std::string>, std::optional<MessageTuple>, std::vector<MessageTuple>>;

ColumnList column_list(const ColumnPairs& pairs) {
    ColumnList list;
    list.columns.reserve(pairs.size());
    for (const auto& [name, type] : pairs) list.columns.push_back({name, type});
    return list;
}

brell::front::Tables tables_of(const ColumnList& head, const NamedLists& named) {
    brell::front::Tables tables{head.columns, {}};
    tables.named.reserve(named.size());
    for (const auto& [name, list] : named) tables.named.push_back({name, list->columns});
    return tables;
}

// The byte offset as an offset in characters, which is how Python counts in a str.
std::size_t character_offset(const std::string& sentence, std::size_t byte_offset) {
    std::size_t characters = 0;
    const std::size_t end = byte_offset < sentence.size() ? byte_offset : sentence.size();
    for (std::size_t i = 0; i < end; ++i) {
        if ((static_cast<unsigned char>(sentence[i]) & 0xC0) != 0x80) ++characters;
    }
    return characters;
}

MessageTuple message_tuple(const brell::front::Message& message, const std::string& sentence) {
    std::optional<std::size_t> begin;
    std::optional<std::size_t> end;
    if (message.place) {
        begin = character_offset(sentence, message.place->begin);
        end = character_offset(sentence, message.place->end);
    }
    return {message.kind, message.text, begin, end, message.drawn};
}

AnswerTuple answer_tuple(const brell::front::Answer& answer, const std::string& sentence) {
    std::vector<MessageTuple> notes;
    for (const auto& note : answer.notes) notes.push_back(message_tuple(note, sentence));
    if (answer.refusal) {
        return {std::nullopt, message_tuple(*answer.refusal, sentence), std::move(notes)};
    }
    return {answer.text, std::nullopt, std::move(notes)};
}

AnswerTuple compile_sentence(const std::string& sentence, const ColumnList& head,
                             const NamedLists& named, const std::string& backend) {
    const brell::front::Tables tables = tables_of(head, named);
    brell::front::Answer answer;
    {
        nb::gil_scoped_release released;
        answer = brell::front::compile(sentence, tables, backend);
    }
    return answer_tuple(answer, sentence);
}

AnswerTuple draw_sentence(const std::string& sentence, const ColumnList& head,
                          const NamedLists& named, const std::string& way) {
    const brell::front::Tables tables = tables_of(head, named);
    brell::front::Answer answer;
    {
        nb::gil_scoped_release released;
        answer = brell::front::draw(sentence, tables, way);
    }
    return answer_tuple(answer, sentence);
}

AnswerTuple sentence_needs(const std::string& sentence) {
    brell::front::Answer answer;
    {
        nb::gil_scoped_release released;
        answer = brell::front::needs(sentence);
    }
    return answer_tuple(answer, sentence);
}

ColumnPairs column_pairs(const std::vector<brell::front::Column>& columns) {
    ColumnPairs pairs;
    pairs.reserve(columns.size());
    for (const auto& column : columns) pairs.emplace_back(column.name, column.type);
    return pairs;
}

// the step's first character, one past its last, the columns it leaves
using StepTuple = std::tuple<std::size_t, std::size_t, ColumnPairs>;
// the source's columns, the steps that checked, the refusal (None when none), the notes
using StepTablesTuple = std::tuple<ColumnPairs, std::vector<StepTuple>, std::optional<MessageTuple>,
                                   std::vector<MessageTuple>>;

StepTablesTuple step_tables(const std::string& sentence, const ColumnList& head,
                            const NamedLists& named) {
    const brell::front::Tables tables = tables_of(head, named);
    brell::front::StepTables found;
    {
        nb::gil_scoped_release released;
        found = brell::front::step_tables(sentence, tables);
    }
    std::vector<StepTuple> steps;
    steps.reserve(found.steps.size());
    for (const auto& step : found.steps) {
        steps.emplace_back(character_offset(sentence, step.place.begin),
                           character_offset(sentence, step.place.end), column_pairs(step.columns));
    }
    std::optional<MessageTuple> refusal;
    if (found.refusal) refusal = message_tuple(*found.refusal, sentence);
    std::vector<MessageTuple> notes;
    for (const auto& note : found.notes) notes.push_back(message_tuple(note, sentence));
    return {column_pairs(found.source), std::move(steps), std::move(refusal), std::move(notes)};
}

// The columns of a `--columns` list, or what is wrong with it.
std::pair<std::optional<ColumnList>, std::optional<std::string>> read_columns(
    const std::string& list) {
    brell::front::ColumnsRead read = brell::front::read_columns(list);
    if (read.problem) return {std::nullopt, std::move(read.problem)};
    return {ColumnList{std::move(read.columns)}, std::nullopt};
}

}  // namespace

NB_MODULE(_brell, module) {
    module.doc() = "The brell compiler's front, in process. Use the `brell` package instead.";
    nb::class_<ColumnList>(module, "ColumnList");
    module.def("column_list", &column_list, nb::arg("pairs"));
    module.def("compile", &compile_sentence, nb::arg("sentence"), nb::arg("head"), nb::arg("named"),
               nb::arg("backend"));
    module.def("draw", &draw_sentence, nb::arg("sentence"), nb::arg("head"), nb::arg("named"),
               nb::arg("way"));
    module.def("step_tables", &step_tables, nb::arg("sentence"), nb::arg("head"), nb::arg("named"));
    module.def("needs", &sentence_needs, nb::arg("sentence"));
    module.def("backends", &brell::front::backends);
    module.def("vocabulary", &brell::front::vocabulary);
    module.def("seats", &brell::front::seats);
    module.def("read_columns", &read_columns, nb::arg("list"));
    module.def("is_blank", [](const std::string& text) { return brell::front::is_blank(text); });
}
