#pragma once

#include "parse/syntax_tree.hpp"

namespace brell {

// The order of the columns a widen makes, after the columns that identify its rows.
enum class MadeColumnOrder {
    // The names `giving` lists, in its order, whether any row fills them or not.
    AsGiving,
    // The names the rows bring, each as the text it becomes (a number's name is its text), in
    // the order of the bytes of those texts: `10` before `9`, `B` before `a`, `z` before `é`.
    // Never by the values the names were read from, nor by the collation of a locale.
    ByNameBytes,
};

MadeColumnOrder made_column_order(const Widen& widen);

}  // namespace brell
