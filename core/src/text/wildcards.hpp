#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brell {

// A pattern of `matches`: `*` stands for any run of characters, none included, and every other
// character for itself. The pieces between the stars, in order: "*special*requests*" is "",
// "special", "requests", "".
std::vector<std::string> wildcard_pieces(std::string_view pattern);

// Whether the whole text is the pattern's pieces in order, with anything between them.
bool wildcard_matches(std::string_view text, std::string_view pattern);

// The pattern as the inside of a regular expression that Python's `re`, Rust's `regex` and ICU
// read alike: the pieces, each character that means something to them escaped, joined by `.*`.
// The caller anchors it to the whole text and lets `.` match a line break.
std::string wildcard_regex(std::string_view pattern);

// A regular expression that a search (`str.contains`, `str_detect`) finds in exactly the texts
// the pattern matches whole, `.` matching a line break: anchored only at an end the pattern does
// not leave open with a star, since a search for `special.*requests` runs far faster than one
// for `^.*special.*requests.*\z`. `end_of_text` is the engine's anchor at the very end of the
// text: `\z` in Rust and ICU, `\Z` in Python's `re`.
std::string wildcard_search(std::string_view pattern, std::string_view end_of_text);

// The pattern as a LIKE pattern of SQL and Spark, escaped with `\`: each star `%`, and each `\`,
// `%` and `_` of the pieces escaped.
std::string wildcard_like(std::string_view pattern);

}  // namespace brell
