#include "draw/ladder.hpp"

#include <algorithm>
#include <set>
#include <unordered_map>

#include "check/checker.hpp"
#include "check/lookup.hpp"
#include "diagnostic/unreachable.hpp"
#include "parse/canonical.hpp"
#include "parse/overloaded.hpp"
#include "parse/parse.hpp"
#include "text/unicode.hpp"

namespace brell {
namespace {

bool holds_span(Span outer, Span inner) {
    return outer.start <= inner.start && inner.end() <= outer.end();
}

// Every `matching(...)` of a keep condition, left side first, each with the negation in force.
void membership_crossings(const Value& value, bool negated, std::vector<Crossing>& found) {
    if (const auto* logic = std::get_if<Logic>(&value.node)) {
        membership_crossings(*logic->left, negated, found);
        membership_crossings(*logic->right, negated, found);
    } else if (const auto* inverted = std::get_if<Not>(&value.node)) {
        membership_crossings(*inverted->operand, !negated, found);
    } else if (const auto* matching = std::get_if<Matching>(&value.node)) {
        Crossing crossing{matching->table.text, {}, {}, CrossingKind::Membership, negated ? 1 : 0};
        for (const KeyPair& key : matching->keys) {
            crossing.pairs.push_back(key.left.text == key.right.text
                                         ? key.left.text
                                         : key.left.text + " is " + key.right.text);
            crossing.right_names.push_back(key.right.text);
        }
        found.push_back(std::move(crossing));
    }
}

const TableDescription* described_table(const Ladder& ladder, const std::string& name) {
    if (ladder.described == nullptr) return nullptr;
    for (const TableDescription& table : *ladder.described) {
        if (table.name == name) return &table;
    }
    return nullptr;
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

// Pairs each note with the step whose span it carries, found through the steps' starting
// offsets, so that no rung reads through every note.
std::vector<std::pair<std::size_t, std::size_t>> notes_paired_with_steps(
    const CheckedPipeline& checked) {
    std::unordered_map<std::size_t, std::size_t> step_starting_at;
    for (std::size_t i = 0; i < checked.steps.size(); ++i) {
        step_starting_at.emplace(checked.steps[i].span.start, i);
    }
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    for (std::size_t note = 0; note < checked.notes.size(); ++note) {
        const std::optional<Span>& span = checked.notes[note].span;
        if (!span) continue;
        const auto step = step_starting_at.find(span->start);
        if (step != step_starting_at.end() && checked.steps[step->second].span == *span) {
            pairs.emplace_back(step->second, note);
        }
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

}  // namespace

std::string_view ink_name(Ink ink) {
    switch (ink) {
        case Ink::Rail:
            return "rail";
        case Ink::Source:
            return "source";
        case Ink::Step:
            return "step";
        case Ink::Table:
            return "table";
        case Ink::Column:
            return "column";
        case Ink::Added:
            return "added";
        case Ink::Dropped:
            return "dropped";
        case Ink::Key:
            return "key";
        case Ink::Kind:
            return "kind";
        case Ink::Note:
            return "note";
        case Ink::Warn:
            return "warn";
        case Ink::Caret:
            return "caret";
    }
    return "note";
}

Ladder build_ladder(const Pipeline& pipeline, std::string_view sentence,
                    const std::vector<TableDescription>& described) {
    return build_ladder(Pipeline(pipeline), sentence, described);
}

Ladder build_ladder(Pipeline&& checked_pipeline, std::string_view sentence,
                    const std::vector<TableDescription>& described) {
    Ladder ladder;
    ladder.sentence = sentence;
    ladder.described = &described;
    bool something_checked = true;
    auto whole = check(std::move(checked_pipeline), described);
    if (whole) {
        ladder.checked = std::move(*whole);
    } else {
        // The checker has rewritten the steps it reached; the steps as written come from the
        // sentence again, which parsed before.
        auto parsed = parse(sentence);
        if (!parsed) unreachable("a sentence that parsed once parses again");
        const Pipeline& pipeline = *parsed;
        LadderRefusal refused{whole.error(), std::nullopt};
        std::size_t prefix = pipeline.steps.size();
        if (refused.refusal.span) {
            for (std::size_t i = 0; i < pipeline.steps.size(); ++i) {
                if (!holds_span(pipeline.steps[i].span, *refused.refusal.span)) continue;
                refused.refused_step = pipeline.steps[i].span;
                prefix = i;
                break;
            }
        } else if (!pipeline.steps.empty()) {
            refused.refused_step = pipeline.steps[0].span;
            prefix = 0;
        }
        Pipeline before{pipeline.source, {}, pipeline.span};
        before.steps.assign(pipeline.steps.begin(),
                            pipeline.steps.begin() + static_cast<std::ptrdiff_t>(prefix));
        auto checked_before = check(std::move(before), described);
        if (checked_before) {
            ladder.checked = std::move(*checked_before);
        } else {
            something_checked = false;
            ladder.checked.source = pipeline.source.text;
            ladder.checked.source_span = pipeline.source.span;
            ladder.checked.span = pipeline.span;
        }
        ladder.refused = std::move(refused);
    }
    if (something_checked) {
        // One table per point of the pipeline: entering each step, then after the last.
        ladder.tables = ladder.checked.columns_before;
        ladder.tables.push_back(
            std::make_shared<const std::vector<TableColumn>>(ladder.checked.columns));
    }
    ladder.notes_by_step = notes_paired_with_steps(ladder.checked);
    return ladder;
}

std::vector<Crossing> crossings_of(const Step& step) {
    std::vector<Crossing> found;
    if (const auto* join = std::get_if<Join>(&step.node)) {
        Crossing crossing{
            join->table.text, {}, {}, CrossingKind::Join, static_cast<int>(join->unmatched)};
        for (const KeyPair& key : join->keys) {
            crossing.pairs.push_back(key.left.text == key.right.text
                                         ? key.left.text
                                         : key.left.text + " is " + key.right.text);
            crossing.right_names.push_back(key.right.text);
        }
        found.push_back(std::move(crossing));
    } else if (const auto* add_rows = std::get_if<AddRows>(&step.node)) {
        found.push_back(Crossing{add_rows->table.text, {}, {}, CrossingKind::AddRows, 0});
    } else if (const auto* keep = std::get_if<Keep>(&step.node)) {
        membership_crossings(keep->condition, false, found);
    }
    return found;
}

std::optional<std::string> kind_text(ColumnType type) {
    switch (type) {
        case ColumnType::Number:
            return ":number";
        case ColumnType::Text:
            return ":text";
        case ColumnType::Truth:
            return ":truth";
        case ColumnType::Date:
        case ColumnType::Timestamp:
            return ":date";
        case ColumnType::Opaque:
            return std::nullopt;
    }
    return std::nullopt;
}

std::vector<Chip> source_chips(const Ladder& ladder) {
    std::vector<Chip> chips;
    if (ladder.tables.empty()) return chips;
    for (const TableColumn& column : *ladder.tables.front()) {
        chips.push_back(Chip{column.name, Ink::Column, kind_text(column.type)});
    }
    return chips;
}

std::vector<Chip> rung_chips(const Ladder& ladder, std::size_t index) {
    const std::vector<TableColumn>& before = *ladder.tables.at(index);
    const std::vector<TableColumn>& after = *ladder.tables.at(index + 1);
    std::set<std::string> keys;
    for (const Crossing& crossing : crossings_of(ladder.checked.steps.at(index))) {
        keys.insert(crossing.pairs.begin(), crossing.pairs.end());
    }
    const ColumnIndex before_by_name(before);
    std::vector<Chip> chips;
    chips.reserve(after.size());
    for (const TableColumn& column : after) {
        if (!before_by_name.contains(column.name)) {
            chips.push_back(Chip{"+" + column.name, Ink::Added, kind_text(column.type)});
        } else if (keys.count(column.name) > 0) {
            chips.push_back(Chip{"=" + column.name, Ink::Key, std::nullopt});
        } else {
            chips.push_back(Chip{column.name, Ink::Column, std::nullopt});
        }
    }
    return chips;
}

std::vector<Chip> dropped_chips(const Ladder& ladder, std::size_t index) {
    const std::vector<TableColumn>& before = *ladder.tables.at(index);
    const std::vector<TableColumn>& after = *ladder.tables.at(index + 1);
    std::vector<Chip> chips;
    if (ladder.tables.at(index) == ladder.tables.at(index + 1)) return chips;
    const ColumnIndex after_by_name(after);
    for (const TableColumn& column : before) {
        if (!after_by_name.contains(column.name)) {
            chips.push_back(Chip{"-" + column.name, Ink::Dropped, std::nullopt});
        }
    }
    return chips;
}

std::optional<std::vector<Chip>> crossing_chips(const Ladder& ladder, const Crossing& crossing) {
    const TableDescription* table = described_table(ladder, crossing.table);
    if (table == nullptr) return std::nullopt;
    const std::set<std::string> keys(crossing.pairs.begin(), crossing.pairs.end());
    std::vector<Chip> chips;
    for (const TableColumn& column : table->columns) {
        if (keys.count(column.name) > 0) {
            chips.push_back(Chip{"=" + column.name, Ink::Key, std::nullopt});
        } else {
            chips.push_back(Chip{column.name, Ink::Column, kind_text(column.type)});
        }
    }
    return chips;
}

std::string crossing_phrase(const Ladder& ladder, const Crossing& crossing) {
    const std::string matched =
        crossing.pairs.empty() ? "matched" : "matched on " + joined(crossing.pairs);
    switch (crossing.kind) {
        case CrossingKind::Membership:
            return matched + " · no columns cross, only rows go";
        case CrossingKind::AddRows:
            return "the same columns · its rows are added underneath";
        case CrossingKind::Join:
            break;
    }
    const TableDescription* table = described_table(ladder, crossing.table);
    if (table == nullptr) return matched + " · nothing else crosses";
    const std::set<std::string> right_keys(crossing.right_names.begin(),
                                           crossing.right_names.end());
    std::vector<std::string> crossing_over;
    for (const TableColumn& column : table->columns) {
        if (right_keys.count(column.name) == 0) crossing_over.push_back(column.name);
    }
    if (crossing_over.empty()) return matched + " · nothing else crosses";
    if (crossing_over.size() == 1) return matched + " · " + crossing_over[0] + " crosses over";
    return matched + " · " + joined(crossing_over) + " cross over";
}

std::vector<Phrase> row_phrases(const Step& step) {
    std::vector<Phrase> phrases;
    std::visit(
        Overloaded{
            [&](const Summarize& node) {
                phrases.push_back(
                    {node.by.empty() ? "one row, for the whole table" : "one row per group"});
            },
            [&](const Take& node) {
                const std::string rows =
                    std::to_string(node.count) + (node.count == 1 ? " row" : " rows");
                const std::string per_group = node.by.empty() ? "" : " per group";
                if (node.first_row) {
                    // Only the rows of the range that exist: none when the table is shorter.
                    phrases.push_back({"rows " + std::to_string(*node.first_row) + " to " +
                                       std::to_string(node.count) +
                                       (node.by.empty() ? "" : " of each group") +
                                       ", those that exist"});
                    return;
                }
                const std::string far_end = node.last ? ", from the far end" : "";
                // With ties, rows level with the last one taken come too, so there may be more.
                phrases.push_back(
                    {node.with_ties
                         ? rows + per_group + ", or more when the last places tie" + far_end
                         : "at most " + rows + per_group + far_end});
            },
            [&](const AddCombinations&) {
                phrases.push_back(
                    {"more rows — one per absent combination, missing everywhere else"});
            },
            [&](const DropDuplicates&) { phrases.push_back({"one row per distinct combination"}); },
            [&](const Lengthen&) { phrases.push_back({"more rows — one per column stacked"}); },
            [&](const Widen&) { phrases.push_back({"fewer rows — one per group"}); },
            [](const auto&) {},
        },
        step.node);
    for (const Crossing& crossing : crossings_of(step)) {
        switch (crossing.kind) {
            case CrossingKind::Join: {
                static constexpr std::string_view kKept[] = {"every row of this table is kept",
                                                             "only the rows that matched",
                                                             "every row of both tables is kept"};
                phrases.push_back({std::string(kKept[crossing.flag])});
                phrases.push_back(
                    {"rows may multiply — one for each time " + crossing.table + " repeats a key",
                     Ink::Warn});
                break;
            }
            case CrossingKind::Membership:
                phrases.push_back({"only the rows that " +
                                   std::string(crossing.flag != 0 ? "do not " : "") + "match " +
                                   crossing.table + " — never more than it started with"});
                break;
            case CrossingKind::AddRows:
                phrases.push_back({"more rows — however many " + crossing.table + " has"});
                break;
        }
    }
    return phrases;
}

std::vector<const Diagnostic*> step_notes(const Ladder& ladder, std::size_t index) {
    std::vector<const Diagnostic*> notes;
    auto pair = std::lower_bound(ladder.notes_by_step.begin(), ladder.notes_by_step.end(),
                                 std::pair<std::size_t, std::size_t>{index, 0});
    for (; pair != ladder.notes_by_step.end() && pair->first == index; ++pair) {
        notes.push_back(&ladder.checked.notes.at(pair->second));
    }
    return notes;
}

std::string refused_words(const Ladder& ladder) {
    const std::string fallback = "this sentence";
    if (!ladder.refused || !ladder.refused->refused_step) return fallback;
    const Span step = *ladder.refused->refused_step;
    const std::string_view sentence = ladder.sentence;
    const auto on_boundary = [&](std::size_t offset) {
        return offset == sentence.size() ||
               (offset < sentence.size() &&
                (static_cast<unsigned char>(sentence[offset]) & 0xC0) != 0x80);
    };
    if (step.end() > sentence.size() || !on_boundary(step.start) || !on_boundary(step.end())) {
        return fallback;
    }
    std::string words(trim_white_space(sentence.substr(step.start, step.length)));
    // A step written over several lines is drawn on one.
    std::replace_if(
        words.begin(), words.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; },
        ' ');
    return words.empty() ? fallback : words;
}

}  // namespace brell
