#pragma once

#include "parse/syntax_tree.hpp"

namespace brell {

// Whether arithmetic on written whole numbers alone (`3000000 * 1000`) reaches past what 32 bits
// hold at any step. SQL engines and Spark type a written whole number as a 32-bit integer, so
// such arithmetic overflows there (an error on DuckDB, silently wrapped values on Spark) unless
// the program widens a number to 64 bits first. False for a value that reads a column or holds a
// decimal or a division: those are not worked out in 32 bits.
bool whole_arithmetic_passes_32_bits(const Arithmetic& arithmetic);

}  // namespace brell
