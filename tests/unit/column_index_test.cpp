#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/lookup.hpp"

namespace brell {
namespace {

std::vector<TableColumn> numbered_columns(std::size_t count) {
    std::vector<TableColumn> columns;
    for (std::size_t i = 0; i < count; ++i) {
        columns.push_back(TableColumn{"c" + std::to_string(i), ColumnType::Number});
    }
    return columns;
}

// Narrow tables are scanned and wide ones hashed: both must give the same column, by identity,
// and both must miss what is not there, on either side of the point where the index changes.
TEST(ColumnIndex, FindsEveryColumnAndNothingElseAtEveryWidth) {
    for (std::size_t count : {0, 1, 16, 17, 2000}) {
        const std::vector<TableColumn> columns = numbered_columns(count);
        const ColumnIndex index(columns);
        for (std::size_t i = 0; i < count; ++i) {
            ASSERT_EQ(index.find("c" + std::to_string(i)), &columns[i]) << count << " columns";
        }
        EXPECT_EQ(index.find("c" + std::to_string(count)), nullptr) << count << " columns";
        EXPECT_FALSE(index.contains("")) << count << " columns";
        EXPECT_FALSE(index.contains("C0")) << count << " columns";
    }
}

TEST(ColumnIndex, MissingNameIsRefusedAsTheScanRefusesIt) {
    const std::vector<TableColumn> columns = numbered_columns(20);
    const auto through_index = look_up_column("c200", Span{3, 4}, ColumnIndex(columns));
    const auto through_scan = look_up_column("c200", Span{3, 4}, columns);
    ASSERT_FALSE(through_index);
    ASSERT_FALSE(through_scan);
    EXPECT_EQ(through_index.error().message, through_scan.error().message);
    EXPECT_EQ(through_index.error().span, through_scan.error().span);
    EXPECT_EQ(look_up_column("c19", Span{0, 1}, ColumnIndex(columns))->name, "c19");
}

}  // namespace
}  // namespace brell
