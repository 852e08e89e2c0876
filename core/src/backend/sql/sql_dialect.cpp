#include "backend/sql/sql_dialect.hpp"

namespace brell {

std::string quote_name(const SqlDialect& dialect, std::string_view name) {
    std::string quoted(1, dialect.quote_char);
    for (char character : name) {
        quoted += character;
        if (character == dialect.quote_char) quoted += character;
    }
    quoted += dialect.quote_char;
    return quoted;
}

std::string quote_table(const SqlDialect& dialect, std::string_view name) {
    std::string quoted;
    std::size_t from = 0;
    while (true) {
        const std::size_t dot = name.find('.', from);
        quoted += quote_name(dialect, name.substr(from, dot - from));
        if (dot == std::string_view::npos) break;
        quoted += '.';
        from = dot + 1;
    }
    return quoted;
}

std::string quote_text(const SqlDialect& dialect, std::string_view text) {
    std::string quoted = "'";
    // Where a backslash escapes (Spark), a quote is escaped by one too: Spark reads 'it''s' as
    // two texts run together, "its".
    const char quote_escape = dialect.backslash_escapes ? '\\' : '\'';
    for (char character : text) {
        if (character == '\\' && dialect.backslash_escapes) quoted += '\\';
        if (character == '\'') quoted += quote_escape;
        quoted += character;
    }
    return quoted + "'";
}

std::string write_keys(const SqlDialect& dialect, const Sort& sort, std::string_view qualifier) {
    std::string keys;
    for (const SortKey& key : sort.keys) {
        if (!keys.empty()) keys += ", ";
        if (!qualifier.empty()) keys.append(qualifier).append(".");
        keys += quote_name(dialect, key.column.text) + (key.descending ? " DESC" : "") +
                (sort.missing_first ? " NULLS FIRST" : " NULLS LAST");
    }
    return keys;
}

}  // namespace brell
