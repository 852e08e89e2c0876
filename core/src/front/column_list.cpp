#include "front/column_list.hpp"

#include <unordered_set>

#include "text/unicode.hpp"

namespace brell {
namespace {

front::ColumnsRead refused(std::string problem) {
    return front::ColumnsRead{{}, std::move(problem)};
}

}  // namespace

front::ColumnsRead read_column_list(std::string_view list) {
    std::vector<front::Column> columns;
    std::unordered_set<std::string_view> names_seen;
    std::size_t piece_start = 0;
    while (piece_start <= list.size()) {
        std::size_t comma = list.find(',', piece_start);
        if (comma == std::string_view::npos) comma = list.size();
        const std::string_view piece =
            trim_white_space(list.substr(piece_start, comma - piece_start));
        piece_start = comma + 1;
        if (piece.empty()) continue;

        const std::size_t colon = piece.find(':');
        if (colon == std::string_view::npos) {
            return refused("`" + std::string(piece) +
                           "` has no type. Write each column as name:type, like "
                           "`revenue:number`");
        }
        const std::string_view name = trim_white_space(piece.substr(0, colon));
        const std::string_view type_word = trim_white_space(piece.substr(colon + 1));
        if (name.empty()) return refused("`" + std::string(piece) + "` has no column name");

        // Two columns of one name would make every lookup of that name ambiguous.
        if (!names_seen.insert(name).second) {
            return refused("`--columns` names `" + std::string(name) +
                           "` twice, and each column of a table needs a name of its own");
        }
        columns.push_back(front::Column{std::string(name), std::string(type_word)});
    }
    if (columns.empty()) {
        return refused(
            "`--columns` was empty. Write the table's columns as name:type, separated by commas");
    }
    return front::ColumnsRead{std::move(columns), std::nullopt};
}

}  // namespace brell
