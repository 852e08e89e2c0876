#include "parse/column_type.hpp"

#include <gtest/gtest.h>

namespace brell {
namespace {

TEST(ColumnType, TypeWordsIgnoreAsciiCase) {
    EXPECT_EQ(type_from_word("NUMBER"), ColumnType::Number);
    EXPECT_EQ(type_from_word("Varchar"), ColumnType::Text);
    EXPECT_EQ(type_from_word("posixct"), ColumnType::Timestamp);
    EXPECT_EQ(type_from_word("Boolean"), ColumnType::Truth);
    EXPECT_EQ(type_from_word("date"), ColumnType::Date);
    EXPECT_EQ(type_from_word("money"), ColumnType::Opaque);
    EXPECT_EQ(type_from_word(""), ColumnType::Opaque);
    // Only ASCII capitals are lowered: a dotted capital I is not an i.
    EXPECT_EQ(type_from_word("\xC4\xB0NT"), ColumnType::Opaque);
}

TEST(ColumnType, AgreementTreatsDatesAlikeAndOpaqueAsAnything) {
    EXPECT_TRUE(agree(ColumnType::Date, ColumnType::Timestamp));
    EXPECT_TRUE(agree(ColumnType::Opaque, ColumnType::Truth));
    EXPECT_TRUE(agree(ColumnType::Text, ColumnType::Opaque));
    EXPECT_FALSE(agree(ColumnType::Text, ColumnType::Number));
    EXPECT_FALSE(agree(ColumnType::Date, ColumnType::Number));
    EXPECT_EQ(agreed_type(ColumnType::Date, ColumnType::Timestamp), ColumnType::Date);
    EXPECT_EQ(agreed_type(ColumnType::Timestamp, ColumnType::Date), ColumnType::Timestamp);
    EXPECT_EQ(agreed_type(ColumnType::Opaque, ColumnType::Number), ColumnType::Number);
}

TEST(ColumnType, KindAnswersReportTimestampsAsDates) {
    EXPECT_EQ(kind_answer(ColumnType::Timestamp), "date");
    EXPECT_EQ(kind_answer(ColumnType::Opaque), std::nullopt);
    EXPECT_EQ(type_phrase(ColumnType::Truth), "yes or no");
}

}  // namespace
}  // namespace brell
