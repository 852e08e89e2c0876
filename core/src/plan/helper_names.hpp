#pragma once

#include <span>
#include <string>
#include <string_view>
#include <unordered_set>

#include "parse/column_type.hpp"

namespace brell {

// The names a written program gives what it makes for its own use at one step: a column it adds
// and drops again (a row's place, a widened cell, a stacked name), or a key renamed on the way
// into a join. Such a name must be none of the names in play at that step (the table's columns,
// the columns the step makes, the other table's where a join meets it), or the program would
// overwrite or lose a user's column.
//
// Each helper asks for its usual name and gets it when it is free, so a table without such
// columns is written as it always was; otherwise it gets the usual name with the first free
// suffix `_1`, `_2`, ... A name is taken by any name in play that differs from it in case alone,
// since the SQL engines and Spark match column names with case ignored. Every name handed out is
// then taken too, so two helpers of one step never share a name. No helper is ever refused: a
// free name always exists.
class HelperNames {
  public:
    HelperNames() = default;
    explicit HelperNames(std::span<const TableColumn> table) { hold(table); }

    // Names that must stay free from here on.
    void hold(std::span<const TableColumn> columns);
    void hold(std::string_view name);

    // A free name for the helper usually called `usual`, from now on taken.
    std::string name(std::string_view usual);

  private:
    std::unordered_set<std::string> held_;  // lower-cased
};

}  // namespace brell
