#pragma once

#include <string>
#include <string_view>

#include "parse/syntax_tree.hpp"

namespace brell {

// The texts in which the two SQL backends differ. Templates have the holes of every spelling
// (backend/spelling.hpp): "{1}" the value, "{2}" the separator and "{place}" the row's place.
struct SqlDialect {
    std::string_view except_keyword;
    std::string_view error_function;
    std::string_view iso_weekday;
    std::string_view last_value_ignore_nulls;
    std::string_view median;  // used by `rolling` only
    // The texts of a group joined, missing when the group holds none.
    std::string_view string_agg;
    // How each row's place is numbered where an aggregate reads the rows in order (`first`,
    // `last`, `join_rows`), or empty where the engine's aggregates read the rows in the order
    // they come. The ordered aggregates then read `{place}`, the column that holds it.
    std::string_view row_place;
    std::string_view ordered_first;
    std::string_view ordered_last;
    std::string_view ordered_string_agg;
    // Whether the texts joined are one aggregate call, which `FILTER (WHERE ...)` can follow;
    // else only the texts of the rows wanted are given to it, the others made missing.
    bool string_agg_takes_filter;
    char quote_char;
    bool backslash_escapes;
    bool spark;  // Spark's own spellings of a few windowed aggregates
};

inline constexpr SqlDialect kSqlDialect{
    .except_keyword = "EXCLUDE",
    .error_function = "error",
    .iso_weekday = "isodow({1})",
    .last_value_ignore_nulls = "last_value({1} IGNORE NULLS)",
    .median = "median({1})",
    .string_agg = "string_agg({1}, {2})",
    .row_place = "",
    .ordered_first = "",
    .ordered_last = "",
    .ordered_string_agg = "",
    .string_agg_takes_filter = true,
    .quote_char = '"',
    .backslash_escapes = false,
    .spark = false,
};

// Spark's `first`, `last` and `collect_list` follow no order once the rows are shuffled: the
// rows are numbered where the order holds, and the aggregates go by that number.
inline constexpr SqlDialect kSparkDialect{
    .except_keyword = "EXCEPT",
    .error_function = "raise_error",
    .iso_weekday = "extract(DAYOFWEEK_ISO FROM {1})",
    .last_value_ignore_nulls = "last_value({1}, true)",
    .median = "percentile({1}, 0.5)",
    .string_agg = "CASE WHEN count({1}) > 0 THEN array_join(collect_list({1}), {2}) END",
    .row_place = "monotonically_increasing_id()",
    .ordered_first = "min_by({1}, {place})",
    .ordered_last = "max_by({1}, {place})",
    .ordered_string_agg =
        "CASE WHEN count({1}) > 0 THEN array_join(transform(array_sort(collect_list("
        "named_struct('place', {place}, 'value', {1}))), piece -> piece.value), {2}) "
        "END",
    .string_agg_takes_filter = false,
    .quote_char = '`',
    .backslash_escapes = true,
    .spark = true,
};

// A column (or helper) name in the dialect's quotes, the quote character doubled inside.
std::string quote_name(const SqlDialect& dialect, std::string_view name);

// A table's name, each dotted part quoted: "schema"."orders".
std::string quote_table(const SqlDialect& dialect, std::string_view name);

// A text in single quotes, quotes doubled; where a backslash escapes (Spark), a quote and a
// backslash are each escaped by a backslash.
std::string quote_text(const SqlDialect& dialect, std::string_view text);

// A sort step's keys: "x" DESC NULLS LAST, ... With a qualifier, each key names the column of
// that table (`step1."x"`), for a select whose own output gives the name new values.
std::string write_keys(const SqlDialect& dialect, const Sort& sort,
                       std::string_view qualifier = {});

}  // namespace brell
