#include "listings.hpp"

#include "check/seats.hpp"
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
