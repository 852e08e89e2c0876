#pragma once

#include <string>
#include <string_view>

#include "parse/syntax_tree.hpp"

namespace brell {

// The texts in which the two SQL backends differ. Templates are filled by plain replacement of
// their holes: "{}", or "{value}" and "{separator}".
struct SqlDialect {
    std::string_view except_keyword;
    std::string_view error_function;
    std::string_view iso_weekday;
    std::string_view last_value_ignore_nulls;
    std::string_view median;  // used by `rolling` only
    std::string_view string_agg;
    char quote_char;
    bool backslash_escapes;
    bool spark;  // Spark's own spellings of a few windowed aggregates
};

inline constexpr SqlDialect kSqlDialect{
    "EXCLUDE",    "error",
    "isodow({})", "last_value({} IGNORE NULLS)",
    "median({})", "string_agg({value}, {separator})",
    '"',          false,
    false,
};

inline constexpr SqlDialect kSparkDialect{
    "EXCEPT",
    "raise_error",
    "extract(DAYOFWEEK_ISO FROM {})",
    "last_value({}, true)",
    "percentile({}, 0.5)",
    "array_join(collect_list({value}), {separator})",
    '`',
    true,
    true,
};

// Every occurrence of `hole` in the template replaced by `filling`.
std::string fill(std::string_view template_text, std::string_view hole, std::string_view filling);

// The template with its `{value}` and `{separator}` holes filled in one pass, so that a filling
// that looks like a hole is never filled again.
std::string fill_value_and_separator(std::string_view template_text, std::string_view value,
                                     std::string_view separator);

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
