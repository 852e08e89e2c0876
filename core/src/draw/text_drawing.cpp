// The ladder as plain text for a terminal: the source table on top, one rung per step, each
// with the table's columns lined up at one column on the right.

#include <algorithm>

#include "diagnostic/unreachable.hpp"
#include "draw/display_width.hpp"
#include "draw/ladder.hpp"
#include "text/program_room.hpp"
#include "text/unicode.hpp"

namespace brell {
namespace {

constexpr std::size_t kWidestChipColumn = 40;
constexpr std::size_t kChipsPerLine = 8;

struct TextSpan {
    std::string text;
    std::size_t column = 0;
    Ink ink = Ink::Note;
};

struct TextLine {
    std::vector<TextSpan> spans;
    std::size_t rung = 0;  // 0 the header, i the i-th step, n + 1 the refusal
    std::size_t cursor = 0;
};

class TextDrawing {
  public:
    // `room`: the empty text the lines are written into.
    TextDrawing(std::size_t chip_column, std::string room)
        : chip_column_(chip_column), text_(std::move(room)) {}

    // Begins a line for a rung.
    void begin(std::size_t rung) { line_ = TextLine{{}, rung, 0}; }

    // Places a span at a column (or, with none, at the cursor); spans never overlap.
    void place(std::string text, Ink ink, std::optional<std::size_t> column = std::nullopt) {
        const std::size_t start = std::max(line_.cursor, column.value_or(line_.cursor));
        line_.cursor = start + display_width(text);
        line_.spans.push_back(TextSpan{std::move(text), start, ink});
    }

    // Ends the line and prints it: the drawing keeps only its text, never its lines.
    void finish() {
        std::size_t width = 0;
        const std::size_t line_start = text_.size();
        for (const TextSpan& span : line_.spans) {
            if (width < span.column) {
                text_.append(span.column - width, ' ');
                width = span.column;
            }
            text_ += span.text;
            width += display_width(span.text);
        }
        const std::string_view printed = std::string_view(text_).substr(line_start);
        text_.resize(line_start + trim_trailing_white_space(printed).size());
        text_ += '\n';
        line_ = TextLine{{}, line_.rung, 0};
    }

    // Chips from the chip column on, eight to a line; continuation lines begin with `prefix`.
    void chip_row(const std::vector<Chip>& chips, const std::string& prefix) {
        const auto continuation = [&] {
            const std::size_t rung = line_.rung;
            finish();
            begin(rung);
            place(prefix, Ink::Rail, 0);
            line_.cursor = std::max(line_.cursor, chip_column_);
        };
        if (line_.cursor + 2 > chip_column_) {
            continuation();
        } else {
            line_.cursor = std::max(line_.cursor, chip_column_);
        }
        for (std::size_t i = 0; i < chips.size(); ++i) {
            // A new line only when a chip is left for it.
            if (i > 0 && i % kChipsPerLine == 0) continuation();
            const std::size_t column = i % kChipsPerLine == 0 ? line_.cursor : line_.cursor + 2;
            place(chips[i].text, chips[i].ink, column);
            if (chips[i].kind_text) place(*chips[i].kind_text, Ink::Kind);
        }
        if (!line_.spans.empty()) finish();
    }

    // The drawing's text; the drawing is done with.
    std::string print() { return std::move(text_); }

  private:
    static std::string_view trim_trailing_white_space(std::string_view text) {
        const std::string_view trimmed = trim_white_space(text);
        if (trimmed.empty()) return trimmed;
        return text.substr(0,
                           static_cast<std::size_t>(trimmed.data() - text.data()) + trimmed.size());
    }

    std::size_t chip_column_;
    TextLine line_;
    std::string text_;  // the lines finished so far
};

// The column every rung's chips start at, so that they line up.
std::size_t chip_column(const Ladder& ladder) {
    std::size_t widest = display_width(ladder.checked.source);
    for (const Step& step : ladder.checked.steps) {
        widest = std::max(widest, display_width(step_words(step)) + 2);
    }
    return std::min(widest + 2, kWidestChipColumn);
}

void draw_refusal(TextDrawing& drawing, const Ladder& ladder, std::size_t rung) {
    const LadderRefusal& refused = *ladder.refused;
    drawing.begin(rung);
    drawing.place("│", Ink::Rail, 0);
    drawing.finish();
    const std::string words = refused_words(ladder);
    drawing.place("╳", Ink::Caret, 0);
    drawing.place(words, Ink::Step, 2);
    drawing.finish();
    if (refused.refused_step && refused.refusal.span && words != "this sentence") {
        const Span step = *refused.refused_step;
        const Span at = *refused.refusal.span;
        if (at.start >= step.start && at.end() <= step.end() && at.length > 0) {
            const std::string_view sentence = ladder.sentence;
            // The words before the refusal, counted from where the trimmed words begin.
            const std::string_view step_text = sentence.substr(step.start, step.length);
            const std::string_view trimmed = trim_white_space(step_text);
            const std::size_t words_start =
                step.start + static_cast<std::size_t>(trimmed.data() - step_text.data());
            const std::size_t before =
                at.start > words_start
                    ? display_width(sentence.substr(words_start, at.start - words_start))
                    : 0;
            const std::size_t carets =
                std::max<std::size_t>(1, display_width(sentence.substr(at.start, at.length)));
            drawing.place(std::string(carets, '^'), Ink::Caret, 2 + before);
            drawing.finish();
        }
    }
    drawing.place(refused.refusal.message, Ink::Warn, 4);
    drawing.finish();
}

}  // namespace

std::string draw_text(const Ladder& ladder) {
    TextDrawing drawing(chip_column(ladder), program_room(ladder.checked.span.length));
    const CheckedPipeline& checked = ladder.checked;
    if (ladder.tables.empty()) {
        if (!ladder.refused) unreachable("nothing checked, so something refused");
        drawing.begin(0);
        drawing.place(checked.source, Ink::Source, 0);
        drawing.finish();
        draw_refusal(drawing, ladder, 1);
        return drawing.print();
    }
    drawing.begin(0);
    drawing.place(checked.source, Ink::Source, 0);
    drawing.chip_row(source_chips(ladder), " ");
    const std::size_t steps = checked.steps.size();
    for (std::size_t i = 0; i < steps; ++i) {
        const bool last = !ladder.refused && i + 1 == steps;
        const std::string rail = last ? " " : "│";
        const Step& step = checked.steps[i];
        drawing.begin(i + 1);
        drawing.place(last ? "└" : "├", Ink::Rail, 0);
        drawing.place(step_words(step), Ink::Step, 2);
        drawing.chip_row(rung_chips(ladder, i), rail);
        for (const Crossing& crossing : crossings_of(step)) {
            drawing.place(rail, Ink::Rail, 0);
            drawing.place("└", Ink::Rail, 4);
            drawing.place(crossing.table, Ink::Table, 6);
            if (auto chips = crossing_chips(ladder, crossing)) {
                drawing.chip_row(*chips, rail);
            } else {
                drawing.finish();
            }
            drawing.place(rail, Ink::Rail, 0);
            drawing.place(crossing_phrase(ladder, crossing), Ink::Note, 6);
            drawing.finish();
        }
        const std::vector<Chip> dropped = dropped_chips(ladder, i);
        if (!dropped.empty()) {
            drawing.place(rail, Ink::Rail, 0);
            drawing.chip_row(dropped, rail);
        }
        for (const Diagnostic* note : step_notes(ladder, i)) {
            drawing.place(rail, Ink::Rail, 0);
            drawing.place(note->message, Ink::Note, 4);
            drawing.finish();
        }
        for (const Phrase& phrase : row_phrases(step)) {
            drawing.place(rail, Ink::Rail, 0);
            drawing.place(phrase.text, phrase.ink, 4);
            drawing.finish();
        }
    }
    if (ladder.refused) draw_refusal(drawing, ladder, steps + 1);
    return drawing.print();
}

}  // namespace brell
