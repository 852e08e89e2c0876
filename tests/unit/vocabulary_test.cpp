#include "parse/vocabulary.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "check/seats.hpp"
#include "parse/borrowed_words.hpp"

namespace brell {
namespace {

TEST(Vocabulary, WordsAreLowercaseAndEachAppearsOnce) {
    std::set<std::string_view> seen;
    const auto take = [&](std::string_view word) {
        EXPECT_TRUE(seen.insert(word).second) << word << " appears twice";
        for (char letter : word) {
            EXPECT_TRUE((letter >= 'a' && letter <= 'z') || letter == '_') << word;
        }
    };
    for (std::string_view verb : verbs()) take(verb);
    for (const FunctionEntry& function : functions()) take(function.name);
    for (std::string_view word : reserved_words()) take(word);
    EXPECT_EQ(verbs().size(), 16u);
    EXPECT_EQ(functions().size(), 56u);
    EXPECT_EQ(reserved_words().size(), 33u);
}

// A borrowed word that were also a verb or a function would shadow it (`where` is a word of the
// grammar, but never a verb), and one that pointed to
// no word of the grammar would teach a word that is refused in turn.
TEST(Vocabulary, BorrowedWordsAreNotWordsOfTheGrammarAndPointToOnes) {
    std::set<std::pair<std::string_view, BorrowedSeat>> seen;
    for (const BorrowedWord& borrowed : borrowed_words()) {
        EXPECT_TRUE(seen.insert({borrowed.written, borrowed.seat}).second) << borrowed.written;
        EXPECT_FALSE(is_verb(borrowed.written)) << borrowed.written;
        EXPECT_EQ(find_function(borrowed.written), nullptr) << borrowed.written;
        if (borrowed.ours.empty()) {
            EXPECT_FALSE(borrowed.note.empty()) << borrowed.written << " says nothing";
            continue;
        }
        if (borrowed.seat == BorrowedSeat::Verb) {
            // The verb is the first word: `keep where` is `keep` and its `where`.
            const std::string_view verb = borrowed.ours.substr(0, borrowed.ours.find(' '));
            EXPECT_TRUE(is_verb(verb)) << borrowed.written << " -> " << borrowed.ours;
        } else {
            std::string_view function = borrowed.ours;
            if (function.ends_with("()")) function.remove_suffix(2);
            EXPECT_NE(find_function(function), nullptr)
                << borrowed.written << " -> " << borrowed.ours;
        }
    }
}

TEST(Vocabulary, LookupsAreExact) {
    EXPECT_TRUE(is_verb("take_last"));
    EXPECT_FALSE(is_verb("Keep"));
    EXPECT_TRUE(is_reserved_word("all_but"));
    EXPECT_FALSE(is_reserved_word("keep"));
    ASSERT_NE(find_function("previous"), nullptr);
    EXPECT_EQ(find_function("previous")->kind, FunctionKind::Window);
    EXPECT_EQ(find_function("previous")->arity.least, 1u);
    EXPECT_EQ(find_function("previous")->arity.most, 2u);
    EXPECT_EQ(find_function("join_text")->arity.most, Arity::kUnbounded);
    EXPECT_EQ(find_function("row_count")->kind, FunctionKind::Aggregate);
    EXPECT_EQ(find_function("Total"), nullptr);
}

TEST(SeatTable, CellsAreInSeatThenKindOrder) {
    ASSERT_EQ(seat_table().size(), 18u);
    for (const SeatCell& cell : seat_table()) {
        EXPECT_EQ(&seat_cell(cell.seat, cell.kind), &cell);
    }
    EXPECT_FALSE(seat_cell(Seat::Condition, FunctionKind::Aggregate).stands);
    EXPECT_TRUE(seat_cell(Seat::CellValue, FunctionKind::Aggregate).stands);
}

}  // namespace
}  // namespace brell
