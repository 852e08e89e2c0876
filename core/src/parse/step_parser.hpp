#pragma once

#include <string_view>

#include "diagnostic/result.hpp"
#include "parse/syntax_tree.hpp"
#include "parse/token_cursor.hpp"
#include "parse/value_parser.hpp"

namespace brell {

// Reads the pipeline: the source table's name, then one step per `then`, each by its verb's
// grammar.
class StepParser {
  public:
    explicit StepParser(TokenCursor& cursor) : cursor_(cursor), values_(cursor) {}

    // `most_steps`: how many steps the text can hold at most (room is made for them at once).
    Result<Pipeline> parse_pipeline(std::size_t most_steps);

  private:
    Result<Step> step();
    Result<StepNode> verb_grammar(std::string_view verb);

    Result<StepNode> keep();
    Result<StepNode> pick();
    template <typename Node>
    Result<StepNode> add_or_summarize(std::string_view verb);
    Result<StepNode> sort();
    Result<StepNode> take(std::string_view verb);
    // `take rows 11 to 15`: the first row and `to`, then the last row, never before the first.
    Result<std::int64_t> row_range_start();
    Result<std::int64_t> row_range_end(std::int64_t first);
    Result<StepNode> join();
    Result<StepNode> add_rows();
    Result<StepNode> add_combinations();
    Result<StepNode> drop_duplicates();
    Result<StepNode> drop_missing();
    Result<std::vector<NamedValue>> named_values(std::string_view verb,
                                                 std::string_view column_refusal);
    Result<StepNode> lengthen();
    Result<StepNode> widen();

    // `name ...` and `value ...`, joined by a comma, after `lengthen ... as` and after `widen`.
    struct NameAndValue {
        std::optional<NamePattern> name;
        std::optional<Value> value;              // widen: what fills the cells
        std::optional<ColumnName> value_column;  // lengthen: the column holding the values
    };
    Result<NameAndValue> name_and_value_clauses(std::string_view verb);
    Result<NamePattern> name_clause(std::string_view verb);

    // An optional `by` and its column list.
    Result<ColumnList> optional_by(std::string_view refusal);

    Result<Value> value() { return values_.parse_value(); }

    TokenCursor& cursor_;
    ValueParser values_;
};

// The name pattern a text holds (`"{question}_{year}"`), or the refusal of its shape, under
// the text.
Result<NamePattern> read_name_pattern(const std::string& text, Span span);

}  // namespace brell
