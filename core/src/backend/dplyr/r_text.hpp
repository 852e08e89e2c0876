#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brell {

// A column or table name as R code: bare when it is a name R reads as one symbol (a letter first,
// then letters, digits, "." and "_") and not one of R's reserved words; otherwise in backticks,
// with backslashes doubled and backticks escaped, since R reads escapes inside backticks too.
std::string r_name(std::string_view name);

// A name as it stands before the value it is given inside `mutate`, `summarise` or `rename`:
// `name = `. A name that is one of those verbs' own arguments (`.by`, `.keep`, ...) would be
// taken as that argument, so it is given with `:=`, which R never matches to an argument.
std::string r_named(std::string_view name);

// A text in double quotes: backslashes doubled, then double quotes escaped.
std::string r_text(std::string_view text);

// A decimal: the shortest digits that read back as the same number, with an exponent when the
// number is 1e16 or more or below 1e-4 (`1e21`, `1.5e-7`), else positionally (`0.001`), and
// ".0" when neither a point nor an exponent shows it is a decimal.
std::string r_decimal(double number);

// The text with every character that means something in a regular expression escaped.
std::string regex_escaped(std::string_view text);

// The parts joined by the separator.
std::string r_joined(const std::vector<std::string>& parts, std::string_view separator);

// The names as R code, joined by ", ".
std::string r_names(const std::vector<std::string>& names);

// A list of columns: the single name, or `c(...)` of several.
std::string r_list(const std::vector<std::string>& names);

}  // namespace brell
