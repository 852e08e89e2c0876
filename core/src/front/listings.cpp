#include "front/listings.hpp"

#include <unordered_set>

#include "check/seats.hpp"
#include "parse/overloaded.hpp"
#include "parse/vocabulary.hpp"

namespace brell {

std::string vocabulary_listing() {
    std::string listing;
    const auto line = [&](std::string_view tag, std::string_view word) {
        listing.append(tag).append("\t").append(word).append("\n");
    };
    for (std::string_view verb : verbs()) line("verb", verb);
    for (const FunctionEntry& function : functions()) line(kind_word(function.kind), function.name);
    for (std::string_view word : reserved_words()) line("word", word);
    return listing;
}

std::string seats_listing() {
    std::string listing;
    for (const SeatCell& cell : seat_table()) {
        listing.append(seat_name(cell.seat)).append("\t");
        listing.append(seat_example(cell.seat)).append("\t");
        listing.append(kind_word(cell.kind)).append("\t");
        listing.append(cell.stands ? "stands" : "refused").append("\t");
        listing.append(cell.note).append("\n");
    }
    return listing;
}

}  // namespace brell

namespace brell {
namespace {

// Every `matching(...)` table a condition names, in reading order.
void matching_tables(const Value& condition, std::vector<std::string>& tables) {
    if (const auto* matching = std::get_if<Matching>(&condition.node)) {
        tables.push_back(matching->table.text);
    }
    for (const Value* child : children(condition)) matching_tables(*child, tables);
}

}  // namespace

std::string needs_listing(const Pipeline& pipeline) {
    std::vector<std::string> tables{pipeline.source.text};
    for (const Step& step : pipeline.steps) {
        if (const auto* keep = std::get_if<Keep>(&step.node)) {
            matching_tables(keep->condition, tables);
        } else if (const auto* add_rows = std::get_if<AddRows>(&step.node)) {
            tables.push_back(add_rows->table.text);
        } else if (const auto* join = std::get_if<Join>(&step.node)) {
            tables.push_back(join->table.text);
        }
    }
    std::string listing;
    std::unordered_set<std::string> listed;
    for (const std::string& table : tables) {
        if (listed.insert(table).second) listing += table + "\n";
    }
    return listing;
}

}  // namespace brell
