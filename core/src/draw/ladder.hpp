#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "check/checked_pipeline.hpp"
#include "diagnostic/diagnostic.hpp"
#include "parse/syntax_tree.hpp"

namespace brell {

// The style of a piece of a drawing. The text drawing carries it but prints no styling; the
// SVG turns it into the class `ink-<name>`.
enum class Ink { Rail, Source, Step, Table, Column, Added, Dropped, Key, Kind, Note, Warn, Caret };
std::string_view ink_name(Ink ink);

// The refusal a ladder ends with, and the step it is charged to.
struct LadderRefusal {
    Diagnostic refusal;
    std::optional<Span> refused_step;
};

// What each step does to the table, as far as the sentence checked: the model both drawings
// read.
struct Ladder {
    std::string_view sentence;
    std::optional<LadderRefusal> refused;  // none when the whole sentence checked
    // The steps that checked (all of them, or those before the refused one); only the source
    // name when not even those check.
    CheckedPipeline checked;
    // The table entering each checked step, then the table after the last: empty when nothing
    // checked.
    std::vector<SharedColumns> tables;
    const std::vector<TableDescription>* described = nullptr;
    // The checker's notes that belong beside a step (their span is the step's own), as (step
    // index, note index) pairs in step order.
    std::vector<std::pair<std::size_t, std::size_t>> notes_by_step;
};

// Checks the sentence; when it is refused, checks again only the steps before the refused one.
// `pipeline` is what `parse(sentence)` gave.
Ladder build_ladder(const Pipeline& pipeline, std::string_view sentence,
                    const std::vector<TableDescription>& described);
// The same, checking the pipeline itself rather than a copy (a refused one is read again from
// the sentence for the steps before the refusal).
Ladder build_ladder(Pipeline&& pipeline, std::string_view sentence,
                    const std::vector<TableDescription>& described);

// Another table a step brings in.
enum class CrossingKind { Join, Membership, AddRows };
struct Crossing {
    std::string table;
    std::vector<std::string> pairs;        // `id`, or `customer_id is id`
    std::vector<std::string> right_names;  // the other table's key columns
    CrossingKind kind = CrossingKind::Join;
    int flag = 0;  // Join: this 0, none 1, both 2; Membership: negated 1
};
std::vector<Crossing> crossings_of(const Step& step);

// One column as drawn.
struct Chip {
    std::string text;
    Ink ink = Ink::Column;
    std::optional<std::string> kind_text;
};

// ":number", ":text", ":truth", ":date", or none for an opaque column.
std::optional<std::string> kind_text(ColumnType type);

// The source table's columns, with their kinds.
std::vector<Chip> source_chips(const Ladder& ladder);

// The table after checked step `index`: kept columns plain (or marked as keys), new ones added.
std::vector<Chip> rung_chips(const Ladder& ladder, std::size_t index);

// The columns the step took away.
std::vector<Chip> dropped_chips(const Ladder& ladder, std::size_t index);

// A crossing's table's columns, when that table was described.
std::optional<std::vector<Chip>> crossing_chips(const Ladder& ladder, const Crossing& crossing);

// "matched on id · name crosses over", and the like.
std::string crossing_phrase(const Ladder& ladder, const Crossing& crossing);

// What the step does to the rows, one phrase per line, each with its ink.
struct Phrase {
    std::string text;
    Ink ink = Ink::Note;
};
std::vector<Phrase> row_phrases(const Step& step);

// The step in the language's canonical words, its values written with the fewest parentheses
// that keep their meaning.
std::string step_words(const Step& step);

// The checker's notes drawn beside step `index` (those whose span is the step's own).
std::vector<const Diagnostic*> step_notes(const Ladder& ladder, std::size_t index);

// The refused step's words (white space around them trimmed), or "this sentence".
std::string refused_words(const Ladder& ladder);

// A way of drawing `--draw` takes: its name and what it is for.
struct DrawingWay {
    std::string_view name;
    std::string_view used_for;
};
// Every way, in the order every listing and message uses: text, svg.
std::span<const DrawingWay> drawing_ways();
// Their names joined by ", ".
std::string drawing_way_list();

// The text drawing: box-drawing characters for a terminal, every line ended by "\n".
std::string draw_text(const Ladder& ladder);

// Takes a text a piece at a time, in order.
using TextSink = std::function<void(std::string_view piece)>;

// The SVG drawing: one self-contained document.
std::string draw_svg(const Ladder& ladder);
// The same document handed to `write` a piece at a time as it is made, never held whole.
void draw_svg(const Ladder& ladder, const TextSink& write);

}  // namespace brell
