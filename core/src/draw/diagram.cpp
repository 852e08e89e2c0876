// The ladder as one self-contained SVG document: a rail of nodes on the left, the step's words
// beside each node, and a bar of column chips to the right of each rung.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "diagnostic/unreachable.hpp"
#include "draw/display_width.hpp"
#include "draw/ladder.hpp"
#include "text/unicode.hpp"

namespace brell {
namespace {

using Units = std::int64_t;

constexpr Units kNormalUnit = 9;  // per display column of normal text
constexpr Units kSmallUnit = 7;   // per display column of small text and chip text
constexpr std::size_t kWrapCharacters = 46;
constexpr std::size_t kSmallWrapCharacters = 80;  // a refusal's message, in small text

constexpr std::string_view kStyleSheet =
    "<style>svg{max-width:100%;height:auto}svg "
    "text{white-space:pre;font-family:ui-monospace,SFMono-Regular,'SF "
    "Mono',Menlo,Consolas,'DejaVu Sans Mono',monospace;font-size:15px}svg "
    ".small{font-size:12px}svg .on-chip{font-size:12px}"
    "svg .ground{fill:#fbfaf8}"
    "svg .bar{fill:#f0eee9;stroke:#e2ded6;stroke-width:1}"
    "svg .rail{stroke:#cbc7bf;stroke-width:2;fill:none}"
    "svg .node{fill:#fbfaf8;stroke:#a8a49b;stroke-width:2}"
    "svg .cross{stroke:#a8514a;stroke-width:2;fill:none;stroke-linecap:round}"
    "svg .flow{stroke:#a8a49b;stroke-width:2;fill:none}"
    "svg .head{fill:#a8a49b}"
    "svg .chip{fill:#ffffff;stroke:#ddd8ce;stroke-width:1}"
    "svg .chip-added{fill:#e3f3e9;stroke:#8fc9a9}"
    "svg .chip-key{fill:#e4ecfa;stroke:#9ab6e4}"
    "svg .chip-note{fill:#efece7;stroke:#ddd8ce}"
    "svg .ink-source{fill:#1a1a18;font-weight:600}"
    "svg .ink-step{fill:#26251f}"
    "svg .ink-table{fill:#1a1a18;font-weight:600}"
    "svg .ink-column{fill:#57544c}"
    "svg .ink-kind{fill:#a5a096}"
    "svg .ink-added{fill:#14663d;font-weight:600}"
    "svg .ink-key{fill:#27528f;font-weight:600}"
    "svg .ink-dropped{fill:#a8514a;text-decoration:line-through}"
    "svg .ink-note{fill:#8b867e}"
    "svg .ink-warn{fill:#8a6410}"
    "svg .ink-caret{fill:#a8514a;font-weight:600}"
    "@media (prefers-color-scheme:dark){"
    "svg .ground{fill:#17181b}"
    "svg .bar{fill:#202227;stroke:#2f3238}"
    "svg .rail{stroke:#3d4046}"
    "svg .node{fill:#17181b;stroke:#6b7078}"
    "svg .cross{stroke:#e2908a}"
    "svg .flow{stroke:#6b7078}"
    "svg .head{fill:#6b7078}"
    "svg .chip{fill:#26282d;stroke:#3a3d43}"
    "svg .chip-added{fill:#1c3a2b;stroke:#3f7a58}"
    "svg .chip-key{fill:#1e2b40;stroke:#3f5f8f}"
    "svg .chip-note{fill:#232529;stroke:#3a3d43}"
    "svg .ink-source{fill:#eceae5}"
    "svg .ink-step{fill:#dedbd4}"
    "svg .ink-table{fill:#eceae5}"
    "svg .ink-column{fill:#b3afa6}"
    "svg .ink-kind{fill:#6e6a63}"
    "svg .ink-added{fill:#6fd39c}"
    "svg .ink-key{fill:#8fb6f5}"
    "svg .ink-dropped{fill:#e2908a}"
    "svg .ink-note{fill:#7e7a73}"
    "svg .ink-warn{fill:#d7a54c}"
    "svg .ink-caret{fill:#e2908a}"
    "}</style>";

Units width_of(std::string_view text, Units unit) {
    return unit * static_cast<Units>(display_width(text));
}

// The room a chip's name takes: a small monospace character is a little over 7 wide, and over a
// long name (bold, for a new column or a key) the difference adds up; a quarter more per four
// characters keeps it off the kind after it where a viewer does not honour `textLength`.
Units chip_name_width(std::string_view text) {
    const Units columns = static_cast<Units>(display_width(text));
    return kSmallUnit * columns + (columns + 3) / 4;
}

// The words laid into lines of at most `limit` characters, cut at spaces.
std::vector<std::string> wrapped_lines(std::string_view content, std::size_t limit) {
    std::vector<std::string> lines;
    std::string current;
    bool first = true;
    std::size_t from = 0;
    while (from <= content.size()) {
        std::size_t space = content.find(' ', from);
        if (space == std::string_view::npos) space = content.size();
        const std::string word(content.substr(from, space - from));
        if (first) {
            current = word;
            first = false;
        } else if (count_characters(current) + 1 + count_characters(word) <= limit) {
            current += " " + word;
        } else {
            lines.push_back(current);
            current = word;
        }
        from = space + 1;
    }
    lines.push_back(current);
    return lines;
}

// Text content as XML: the five markup characters escaped, and the control characters (which
// XML forbids or no viewer shows) written as U+FFFD.
std::string escaped(std::string_view text) {
    std::string out;
    for (std::size_t offset = 0; offset < text.size();) {
        const Character character = decode_character(text, offset);
        offset += character.length;
        const char32_t c = character.value;
        if (c == '"') {
            out += "&quot;";
        } else if (c == '&') {
            out += "&amp;";
        } else if (c == '\'') {
            out += "&apos;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || (c >= 0x7F && c < 0xA0) ||
                   c == 0xFFFE || c == 0xFFFF) {
            out += "\xEF\xBF\xBD";
        } else {
            out += text.substr(character.offset, character.length);
        }
    }
    return out;
}

class Diagram {
  public:
    // A diagram that only counts the bytes of its body.
    static Diagram counting() { return Diagram(); }
    // A diagram that hands its body to `write` a piece at a time, each piece about kPieceBytes.
    static Diagram writing_to(const TextSink& write) {
        Diagram diagram;
        diagram.write_ = &write;
        diagram.body_.reserve(kPieceBytes + 4096);
        return diagram;
    }
    // The bytes of the body counted so far.
    std::size_t body_bytes() const { return counted_; }

    // One text element, its length stated so that the drawing does not depend on the font.
    void text(const std::string& classes, Units x, Units y, std::string_view content, Units unit) {
        const Units length = width_of(content, unit);
        element("<text class=\"" + classes + "\" x=\"" + number(x) + "\" y=\"" + number(y) +
                "\" textLength=\"" + number(length) + "\" lengthAdjust=\"spacingAndGlyphs\">" +
                escaped(content) + "</text>");
        reach(x + length);
    }

    void small(Units x, Units y, std::string_view content, Ink ink) {
        text("ink-" + std::string(ink_name(ink)) + " small", x, y, content, kSmallUnit);
    }

    // Lines of at most 46 characters, centred on the line `centre`; three lines or more start
    // level with it instead, so that they never reach up into the rung above. Gives the last
    // line's baseline.
    Units wrapped(Units x, Units centre, std::string_view content, Ink ink) {
        const std::vector<std::string> lines = wrapped_lines(content, kWrapCharacters);
        const Units count = static_cast<Units>(lines.size());
        Units baseline = centre < 10 * count ? 15 : centre - 10 * count + 15;
        if (count >= 3) baseline = std::max(baseline, centre - 6);
        for (const std::string& line : lines) {
            text("ink-" + std::string(ink_name(ink)), x, baseline, line, kNormalUnit);
            baseline += 20;
        }
        return baseline - 20;
    }

    // Small text in lines of at most 80 characters, the first on `baseline`; gives the last
    // line's baseline.
    Units wrapped_small(Units x, Units baseline, std::string_view content, Ink ink) {
        for (const std::string& line : wrapped_lines(content, kSmallWrapCharacters)) {
            small(x, baseline, line, ink);
            baseline += 16;
        }
        return baseline - 16;
    }

    // The chips in rows of five inside a rounded bar; gives the bar's bottom.
    Units bar(Units x, Units y, const std::vector<Chip>& chips) {
        std::vector<std::vector<const Chip*>> rows(1);
        for (const Chip& chip : chips) {
            if (rows.back().size() == 5) rows.emplace_back();
            rows.back().push_back(&chip);
        }
        const auto chip_width = [](const Chip& chip) {
            return chip_name_width(chip.text) + 18 +
                   (chip.kind_text ? width_of(*chip.kind_text, kSmallUnit) : 0);
        };
        Units widest = 0;
        for (const auto& row : rows) {
            Units width = 0;
            for (std::size_t i = 0; i < row.size(); ++i) width += chip_width(*row[i]) + (i ? 6 : 0);
            widest = std::max(widest, width);
        }
        const Units rows_count = static_cast<Units>(rows.size());
        const Units bar_width = widest + 16;
        element("<rect class=\"bar\" x=\"" + number(x) + "\" y=\"" + number(y) + "\" width=\"" +
                number(bar_width) + "\" height=\"" + number(32 * rows_count + 10) +
                "\" rx=\"9\"/>");
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const Units top = y + 32 * static_cast<Units>(r) + 8;
            Units chip_x = x + 8;
            for (const Chip* chip : rows[r]) {
                const Units width = chip_width(*chip);
                element("<rect class=\"chip chip-" + std::string(ink_name(chip->ink)) + "\" x=\"" +
                        number(chip_x) + "\" y=\"" + number(top) + "\" width=\"" + number(width) +
                        "\" height=\"26\" rx=\"6\"/>");
                text("on-chip ink-" + std::string(ink_name(chip->ink)), chip_x + 9, top + 17,
                     chip->text, kSmallUnit);
                if (chip->kind_text) {
                    text("ink-kind on-chip", chip_x + 9 + chip_name_width(chip->text), top + 17,
                         *chip->kind_text, kSmallUnit);
                }
                chip_x += width + 6;
            }
        }
        reach(x + bar_width);
        return y + 32 * rows_count + 10;
    }

    void node(Units centre_y) {
        element("<circle class=\"node\" cx=\"34\" cy=\"" + number(centre_y) + "\" r=\"5\"/>");
    }
    void flow(Units x, Units from_y, Units to_y) {
        element("<path class=\"flow\" d=\"M" + number(x) + " " + number(from_y) + "V" +
                number(to_y) + "\"/>");
    }
    // An arrowhead pointing up, its tip at `tip`.
    void head(Units x, Units tip) {
        element("<path class=\"head\" d=\"M" + number(x - 4) + " " + number(tip + 7) + "L" +
                number(x) + " " + number(tip) + "L" + number(x + 4) + " " + number(tip + 7) +
                "Z\"/>");
    }
    void cross(Units top) {
        element("<path class=\"cross\" d=\"M29 " + number(top + 16) + "L39 " + number(top + 26) +
                "M39 " + number(top + 16) + "L29 " + number(top + 26) + "\"/>");
    }
    void dropped(Units x, Units y, std::string_view name) {
        text("ink-dropped small", x, y, name, kSmallUnit);
    }
    void reach(Units edge) { right_ = std::max(right_, edge); }

    // What comes before the body: the document's opening, its ground, its style and the rail.
    // It states the document's width, so it is made once the body has been laid out.
    std::string opening(Units height, Units rail_bottom) const {
        const Units width = right_ + 26;
        std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(width) +
                          "\" height=\"" + number(height) +
                          "\" xml:space=\"preserve\" viewBox=\"0 0 " + number(width) + " " +
                          number(height) + "\">\n";
        svg += "<rect class=\"ground\" x=\"0\" y=\"0\" width=\"" + number(width) + "\" height=\"" +
               number(height) + "\"/>\n";
        svg += std::string(kStyleSheet) + "\n";
        if (rail_bottom > 47)
            svg += "<path class=\"rail\" d=\"M34 47V" + number(rail_bottom) + "\"/>\n";
        return svg;
    }
    static constexpr std::string_view kTail = "</svg>\n";

    // Hands what is left of the body to the writer.
    void flush() {
        if (write_ && !body_.empty()) (*write_)(body_);
        body_.clear();
    }

  private:
    static std::string number(Units value) { return std::to_string(value); }
    // A drawing of many steps runs to gigabytes: it is handed on in pieces of this size rather
    // than held whole.
    static constexpr std::size_t kPieceBytes = std::size_t{1} << 20;
    void element(const std::string& markup) {
        counted_ += markup.size() + 1;
        if (!write_) return;
        body_ += markup;
        body_ += '\n';
        if (body_.size() >= kPieceBytes) flush();
    }
    Diagram() = default;
    const TextSink* write_ = nullptr;  // none when only counting
    std::size_t counted_ = 0;
    std::string body_;
    Units right_ = 0;
};

// Draws the ladder into the diagram; gives the document's height and the rail's lowest point.
std::pair<Units, Units> lay_out(Diagram& diagram, const Ladder& ladder) {
    const CheckedPipeline& checked = ladder.checked;
    std::size_t widest_words = display_width(checked.source);
    std::vector<std::string> words;
    for (const Step& step : checked.steps) {
        words.push_back(step_words(step));
        widest_words = std::max(widest_words, display_width(words.back()));
    }
    const Units chips_x =
        kNormalUnit * static_cast<Units>(std::min<std::size_t>(widest_words, 46)) + 84;
    Units y = 78;
    Units rail_bottom = 47;
    if (ladder.tables.empty()) {
        diagram.wrapped(56, 47, checked.source, Ink::Source);
    } else {
        diagram.node(47);
        diagram.wrapped(56, 47, checked.source, Ink::Source);
        y = diagram.bar(chips_x, 26, source_chips(ladder)) + 10;
    }
    for (std::size_t i = 0; i < checked.steps.size(); ++i) {
        const Step& step = checked.steps[i];
        const Units top = y;
        diagram.node(top + 21);
        const Units words_bottom = diagram.wrapped(56, top + 21, words[i], Ink::Step) + 8;
        const Units bar_bottom = diagram.bar(chips_x, top, rung_chips(ladder, i));
        Units bottom = bar_bottom;
        rail_bottom = top + 21;
        const std::vector<Chip> dropped = dropped_chips(ladder, i);
        if (!dropped.empty()) {
            bottom += 4;
            for (std::size_t first = 0; first < dropped.size(); first += 5) {
                Units x = chips_x + 8;
                for (std::size_t d = first; d < std::min(first + 5, dropped.size()); ++d) {
                    diagram.dropped(x, bottom + 12, dropped[d].text);
                    x += width_of(dropped[d].text, kSmallUnit) + 12;
                }
                diagram.reach(x);
                bottom += 18;
            }
        }
        for (const Crossing& crossing : crossings_of(step)) {
            const Units above = bottom;
            bottom = above + 6;
            // The arrow rises to the bar's lowest row of chips, however many rows it has.
            diagram.flow(chips_x + 14, above + 27, bar_bottom + 6);
            diagram.head(chips_x + 14, bar_bottom);
            diagram.wrapped(chips_x + 30, above + 27, crossing.table, Ink::Table);
            Units phrase_top = above + 48;
            if (auto chips = crossing_chips(ladder, crossing)) {
                phrase_top = diagram.bar(chips_x + 46 + width_of(crossing.table, kNormalUnit),
                                         above + 6, *chips);
            }
            diagram.small(chips_x + 30, phrase_top + 14, crossing_phrase(ladder, crossing),
                          Ink::Note);
            bottom = phrase_top + 20;
        }
        for (const Diagnostic* note : step_notes(ladder, i)) {
            diagram.small(chips_x, bottom + 12, note->message, Ink::Note);
            bottom += 18;
        }
        for (const Phrase& phrase : row_phrases(step)) {
            diagram.small(chips_x, bottom + 12, phrase.text, phrase.ink);
            bottom += 18;
        }
        y = std::max(bottom, words_bottom) + 10;
    }
    if (ladder.refused) {
        const Units top = y;
        diagram.cross(top);
        const Units words_bottom = diagram.wrapped(56, top + 21, refused_words(ladder), Ink::Caret);
        const Units message_bottom = diagram.wrapped_small(
            56, std::max(top + 54, words_bottom + 22), ladder.refused->refusal.message, Ink::Warn);
        rail_bottom = top + 21;
        y = message_bottom + 16;
    }
    return {y + 26, rail_bottom};
}

// Laid out twice: once to find the edges that the document's opening states (and to count the
// body's bytes, which `sized` hears before the first piece is written), then writing the body.
void write_svg(const Ladder& ladder, const std::function<void(std::size_t)>& sized,
               const TextSink& write) {
    Diagram sizing = Diagram::counting();
    const auto [height, rail_bottom] = lay_out(sizing, ladder);
    const std::string opening = sizing.opening(height, rail_bottom);
    sized(opening.size() + sizing.body_bytes() + Diagram::kTail.size());
    write(opening);
    Diagram diagram = Diagram::writing_to(write);
    lay_out(diagram, ladder);
    diagram.flush();
    write(Diagram::kTail);
}

}  // namespace

void draw_svg(const Ladder& ladder, const TextSink& write) {
    write_svg(
        ladder, [](std::size_t) {}, write);
}

std::string draw_svg(const Ladder& ladder) {
    std::string document;
    std::size_t counted = 0;
    // Room for the whole document from the start, so that it never grows by copying itself.
    write_svg(
        ladder,
        [&](std::size_t bytes) {
            counted = bytes;
            document.reserve(bytes);
        },
        [&](std::string_view piece) { document += piece; });
    // Both layouts make the same elements, so the pieces add up to what was counted.
    if (document.size() != counted) unreachable("the SVG's pieces differ from its counted bytes");
    return document;
}

}  // namespace brell
