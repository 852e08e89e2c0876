#pragma once

#include <string>
#include <string_view>

namespace brell {

// A Python string literal in double quotes: backslashes doubled, double quotes escaped, and line
// feeds, carriage returns, tabs and every other control character written as escapes, so that
// the program stays one valid Python expression whatever a name or text holds.
std::string py_string(std::string_view text);

// Whether the name can be written bare in Python code: an identifier (a letter or underscore,
// then letters, digits or underscores; Unicode letters count) that is not a keyword.
bool is_python_identifier(std::string_view name);

// A step that passes the frame `d` on when `holds` (a Python truth over `d`) and else fails with
// the message, as one expression: `pipe(lambda d: d if ... else ...)`, the failure raised by a
// generator's `throw`, the one way to raise inside an expression.
std::string py_guard_call(std::string_view holds, std::string_view message);

// Whether the word is one of Python's keywords (`class`, `lambda`, `None`, ...).
bool is_python_keyword(std::string_view word);

}  // namespace brell
