#pragma once

#include <vector>

#include "check/lookup.hpp"
#include "diagnostic/result.hpp"
#include "parse/column_type.hpp"
#include "parse/syntax_tree.hpp"
#include "parse/vocabulary.hpp"

namespace brell {

// Types values against the columns of the table as a step receives it, refusing (under the
// sub-value at fault) what could never run.
class ValueTypes {
  public:
    explicit ValueTypes(const ColumnIndex& columns) : columns_(columns) {}

    Result<ColumnType> type(const Value& value) const;

  private:
    Result<ColumnType> arithmetic(const Arithmetic& node) const;
    Result<ColumnType> compare(const Value& value, const Compare& node) const;
    Result<ColumnType> logic(const Logic& node) const;
    Result<ColumnType> not_question(const Not& node) const;
    Result<ColumnType> in_set(const InSet& node) const;
    Result<ColumnType> text_test(const TextTest& node) const;
    Result<ColumnType> ranking(const Value& value, const Ranking& node) const;
    Result<ColumnType> when(const When& node, Span span) const;
    Result<ColumnType> look_up(const LookUp& node) const;
    Result<ColumnType> call(const Value& value, const Call& node) const;
    Result<ColumnType> rolling(const Rolling& node) const;
    Result<ColumnType> argument_rule(const FunctionEntry& function, const Call& node,
                                     const std::vector<ColumnType>& types) const;

    const ColumnIndex& columns_;
};

// What a value is in the seat rules: aggregate, window or scalar.
FunctionKind value_kind(const Value& value);

// "`{name}` takes {arity}, and {count} {was|were} written".
std::string arity_refusal(const FunctionEntry& function, std::size_t written);

// The refusal of an unknown function name: `to_whole`'s own message, or "there is no function
// called ..." with the closest name and every name listed.
Diagnostic unknown_function(const std::string& name, Span span);

}  // namespace brell
