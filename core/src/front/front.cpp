#include <algorithm>
#include <array>

#include "backend/backend.hpp"
#include "brell/brell.hpp"
#include "check/checked_pipeline.hpp"
#include "check/checker.hpp"
#include "diagnostic/render.hpp"
#include "diagnostic/span.hpp"
#include "draw/ladder.hpp"
#include "front/column_list.hpp"
#include "front/deep_stack.hpp"
#include "front/listings.hpp"
#include "parse/parse.hpp"
#include "text/suggest.hpp"
#include "text/unicode.hpp"

namespace brell::front {
namespace {

constexpr std::array<std::string_view, 2> kDrawingWays = {"text", "svg"};

Message message(const Diagnostic& diagnostic, const SentenceLines& lines) {
    Message made{std::string(kind_word(diagnostic.kind)), diagnostic.message, std::nullopt,
                 render(diagnostic, lines)};
    if (diagnostic.span) made.place = Place{diagnostic.span->start, diagnostic.span->end()};
    return made;
}

Answer refused(const Diagnostic& diagnostic, std::string_view sentence) {
    Answer answer;
    answer.refusal = message(diagnostic, SentenceLines(sentence));
    return answer;
}

Answer answered(std::string text) {
    Answer answer;
    answer.text = std::move(text);
    return answer;
}

std::vector<TableColumn> typed(const std::vector<Column>& columns) {
    std::vector<TableColumn> typed_columns;
    typed_columns.reserve(columns.size());
    for (const Column& column : columns) {
        typed_columns.push_back(TableColumn{column.name, type_from_word(column.type)});
    }
    return typed_columns;
}

// The tables as the checker reads them, the head table under the sentence's own source name.
std::vector<TableDescription> described(const Tables& tables, const std::string& source) {
    std::vector<TableDescription> named;
    named.reserve(tables.named.size());
    for (const NamedTable& table : tables.named) {
        named.push_back(TableDescription{table.name, typed(table.columns)});
    }
    return described_tables(std::move(named), typed(tables.head), source);
}

// The job on the sentence run to its end on a stack deep enough for it.
template <typename Job>
Answer on_deep_stack(std::string_view sentence, const Job& job) {
    Answer answer;
    run_with_deep_stack([&] { answer = job(); }, sentence.size());
    return answer;
}

Answer compile_here(std::string_view sentence, const Tables& tables,
                    const std::string& backend_name) {
    auto parsed = parse(sentence);
    if (!parsed) return refused(parsed.error(), sentence);
    const std::string source = parsed->source.text;
    auto checked = check(std::move(*parsed), described(tables, source));
    if (!checked) return refused(checked.error(), sentence);
    const std::unique_ptr<Backend> backend = find_backend(backend_name);
    if (!backend) {
        return refused(Diagnostic::illegal("there is no backend called `" + backend_name + "`." +
                                           did_you_mean(suggest(backend_name, backend_names())) +
                                           " There is: " + brell::backend_list()),
                       sentence);
    }
    if (Verdict refusal = backend->check(*checked)) return refused(*refusal, sentence);
    std::string program = backend->write(*checked, checked->columns_before);
    if (program.empty() || program.back() != '\n') program += '\n';
    Answer answer = answered(std::move(program));
    // The steps are let go before the notes are drawn, so that the drawn notes take their room.
    const std::vector<Diagnostic> notes = std::move(checked->notes);
    *checked = CheckedPipeline{};
    const SentenceLines lines(sentence);
    answer.notes.reserve(notes.size());
    for (const Diagnostic& note : notes) answer.notes.push_back(message(note, lines));
    return answer;
}

// The drawing, handed to `write` when it is given, else held in the answer.
Answer draw_here(std::string_view sentence, const Tables& tables, const std::string& way,
                 const TextSink* write) {
    auto parsed = parse(sentence);
    if (!parsed) return refused(parsed.error(), sentence);
    if (way != "text" && way != "svg") {
        return refused(
            Diagnostic::illegal("there is no way of drawing called `" + way + "`." +
                                did_you_mean(suggest(way, kDrawingWays)) + " There is: text, svg"),
            sentence);
    }
    // The ladder reads the tables where they stand, so they outlive it.
    const std::vector<TableDescription> read = described(tables, parsed->source.text);
    const Ladder ladder = build_ladder(std::move(*parsed), sentence, read);
    if (!write) return answered(way == "svg" ? draw_svg(ladder) : draw_text(ladder));
    if (way == "svg") {
        draw_svg(ladder, *write);
    } else {
        (*write)(draw_text(ladder));
    }
    return Answer{};
}

std::vector<Column> untyped(const std::vector<TableColumn>& columns) {
    std::vector<Column> listed;
    listed.reserve(columns.size());
    for (const TableColumn& column : columns)
        listed.push_back({column.name, std::string(type_word(column.type))});
    return listed;
}

StepTables step_tables_here(std::string_view sentence, const Tables& tables) {
    StepTables found;
    auto parsed = parse(sentence);
    if (!parsed) {
        found.refusal = refused(parsed.error(), sentence).refusal;
        return found;
    }
    const std::vector<TableDescription> read = described(tables, parsed->source.text);
    const Ladder ladder = build_ladder(std::move(*parsed), sentence, read);
    const SentenceLines lines(sentence);
    if (ladder.refused) found.refusal = message(ladder.refused->refusal, lines);
    for (const Diagnostic& note : ladder.checked.notes) found.notes.push_back(message(note, lines));
    if (ladder.tables.empty()) return found;
    found.source = untyped(*ladder.tables.front());
    for (std::size_t i = 0; i < ladder.checked.steps.size(); ++i) {
        const Span span = ladder.checked.steps[i].span;
        found.steps.push_back({Place{span.start, span.end()}, untyped(*ladder.tables[i + 1])});
    }
    return found;
}

Answer needs_here(std::string_view sentence) {
    auto parsed = parse(sentence);
    if (!parsed) return refused(parsed.error(), sentence);
    return answered(needs_listing(*parsed));
}

}  // namespace

Answer compile(std::string_view sentence, const Tables& tables, std::string_view backend) {
    // The job runs to its end before this returns, so it reads the sentence where it stands.
    const std::string name(backend);
    return on_deep_stack(sentence, [&] { return compile_here(sentence, tables, name); });
}

Answer draw(std::string_view sentence, const Tables& tables, std::string_view way) {
    const std::string name(way);
    return on_deep_stack(sentence, [&] { return draw_here(sentence, tables, name, nullptr); });
}

Answer draw_to(std::string_view sentence, const Tables& tables, std::string_view way,
               const TextSink& write) {
    const std::string name(way);
    return on_deep_stack(sentence, [&] { return draw_here(sentence, tables, name, &write); });
}

StepTables step_tables(std::string_view sentence, const Tables& tables) {
    StepTables found;
    run_with_deep_stack([&] { found = step_tables_here(sentence, tables); }, sentence.size());
    return found;
}

Answer needs(std::string_view sentence) {
    return on_deep_stack(sentence, [&] { return needs_here(sentence); });
}

std::vector<std::string> backends() {
    return backend_names();
}

std::string backend_list() {
    return brell::backend_list();
}

std::vector<DrawingWay> drawing_ways() {
    std::vector<DrawingWay> ways;
    for (const brell::DrawingWay& way : brell::drawing_ways()) {
        ways.push_back({std::string(way.name), std::string(way.used_for)});
    }
    return ways;
}

std::string drawing_way_list() {
    return brell::drawing_way_list();
}

std::string vocabulary() {
    return vocabulary_listing();
}

std::string seats() {
    return seats_listing();
}

ColumnsRead read_columns(std::string_view list) {
    return read_column_list(list);
}

bool is_too_long(std::string_view text) {
    return text.size() > kLongestSpannedText;
}

bool is_valid_utf8(std::string_view text) {
    return brell::is_valid_utf8(text);
}

bool is_blank(std::string_view text) {
    return trim_white_space(text).empty();
}

}  // namespace brell::front
