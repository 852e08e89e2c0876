#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "diagnostic/span.hpp"
#include "parse/box.hpp"
#include "parse/column_type.hpp"

namespace brell {

// ---- Names ------------------------------------------------------------------------------

// A table's name as written: one word, or words joined by dots (`schema.orders`), as one text.
struct TableName {
    std::string text;
    Span span;
};

// The text inside a column bracket, with its own span.
struct ColumnName {
    std::string text;
    Span span;
};

// The names written inside one pair of brackets, with the span of the whole bracket.
struct ColumnList {
    std::vector<ColumnName> names;
    Span span;

    bool empty() const { return names.empty(); }
};

// ---- Values -----------------------------------------------------------------------------

struct Value;

enum class ArithmeticOperator { Plus, Minus, Times, DividedBy };
enum class CompareOperator { Is, IsNot, Less, LessOrEqual, Greater, GreaterOrEqual };
enum class LogicOperator { And, Or };
enum class TextTestOperator { Starts, Ends, Contains, Matches };
enum class Quantifier { Any, Every };

// One key of a join or of `matching`: `[customer_id] is [id]`, or `[id]` on both sides.
struct KeyPair {
    ColumnName left;
    ColumnName right;
};

struct Column {
    ColumnName name;
};
struct Text {
    std::string text;
};
struct Whole {
    std::int64_t number = 0;
};
struct Decimal {
    double number = 0;
};
struct Truth {
    bool yes = false;
};
struct Missing {};
struct Arithmetic {
    ArithmeticOperator op;
    Box<Value> left;
    Box<Value> right;
};
struct Compare {
    CompareOperator op;
    Box<Value> left;
    Box<Value> right;
};
struct Logic {
    LogicOperator op;
    Box<Value> left;
    Box<Value> right;
};
struct Not {
    Box<Value> operand;
};
struct InSet {
    Box<Value> operand;
    bool negated = false;
    std::vector<Value> items;
};
struct IsMissing {
    Box<Value> operand;
    bool negated = false;
};
struct Call {
    std::string function;
    Span function_span;  // the function's name alone
    std::vector<Value> arguments;
};
struct TextTest {
    TextTestOperator op;
    Box<Value> left;
    Box<Value> right;
};
struct OverColumns {
    Quantifier quantifier;
    Box<Value> chooser;   // the test on `name` or `kind`
    Box<Value> question;  // the value after `as`, with `value` standing for each column
};
struct KindWord {};
struct ValueWord {};
struct NameWord {};
// `rank([x] descending)` holds its column; `row_number()` holds none.
struct Ranking {
    std::optional<ColumnName> column;
    bool descending = false;
};
struct WhenBranch {
    Box<Value> question;
    Box<Value> answer;
};
struct When {
    std::vector<WhenBranch> branches;
    std::optional<Box<Value>> otherwise;
};
struct LookUpPair {
    Box<Value> from;
    Box<Value> to;
};
struct LookUp {
    Box<Value> subject;
    std::vector<LookUpPair> pairs;
    Box<Value> otherwise;
};
struct Rolling {
    std::string function;  // the aggregate inside
    Span function_span;
    std::vector<Value> arguments;
    Box<Value> size;
    Span call_span;  // the aggregate's name to its closing parenthesis
};
// The `where` of `matching(orders, by [id], where [status] is "open")`: which of the other
// table's rows count as partners. It reads the other table's columns, which the checker writes
// in.
struct PartnerQuestion {
    Box<Value> question;
    std::vector<TableColumn> other_columns;
};

// Whether a row has a partner among the other table's rows (those the `where` keeps).
struct Matching {
    TableName table;
    std::vector<KeyPair> keys;
    OptionalBox<PartnerQuestion> partners;
};

using ValueNode = std::variant<Column, Text, Whole, Decimal, Truth, Missing, Arithmetic, Compare,
                               Logic, Not, InSet, IsMissing, Call, TextTest, OverColumns, KindWord,
                               ValueWord, NameWord, Ranking, When, LookUp, Rolling, Matching>;

// One value of the language, with the span of the words it was read from. Parentheses only
// group: they leave no node of their own.
struct Value {
    Span span;
    ValueNode node;
};

// The direct children of a value, in written order.
// `+`, `-`, `*` or `/`: how the sentence writes the operator, and every target language too.
std::string_view arithmetic_symbol(ArithmeticOperator op);
// How the sentence writes the other operators: `is`, `is not`, `<`, ...; `and`, `or`; `starts`,
// `ends`, `contains`.
std::string_view compare_word(CompareOperator op);
std::string_view logic_word(LogicOperator op);
std::string_view text_test_word(TextTestOperator op);

std::vector<const Value*> children(const Value& value);
std::vector<Value*> children(Value& value);

// ---- Companion records of steps ---------------------------------------------------------

// `[name] as value`: the name made (or renamed, or filled) and the value after `as`.
struct NamedValue {
    ColumnName name;
    Value value;
};

struct SortKey {
    ColumnName column;
    bool descending = false;
};

// Whose unmatched rows survive a join.
enum class Unmatched { This, None, Both };

// One braced piece of a name pattern: `{year}`, or the special `{value}`.
struct PatternPiece {
    std::string name;
    bool is_value = false;
};

// The shape of a family of column names, `"{question}_{year}"`: literal 0, piece 1, literal 1,
// ..., piece k, literal k. A plain column `[x]` is one piece between two empty literals, marked
// as written in brackets.
struct NamePattern {
    std::vector<std::string> literals;
    std::vector<PatternPiece> pieces;
    bool bracketed = false;
    Span span;
};

// ---- Steps ------------------------------------------------------------------------------

struct Keep {
    Value condition;
};
struct Pick {
    ColumnList columns;  // empty when a chooser is given
    bool all_but = false;
    OptionalBox<Value> chooser;
};
struct Add {
    std::vector<NamedValue> items;
    OptionalBox<Value> chooser;         // with template_value, the `where` form
    OptionalBox<Value> template_value;  // the value after `as` in the `where` form
    ColumnList by;
};
struct Summarize {
    std::vector<NamedValue> items;
    OptionalBox<Value> chooser;
    OptionalBox<Value> template_value;
    ColumnList by;
};
struct Sort {
    std::vector<SortKey> keys;
    bool missing_first = false;
};
struct Take {
    std::int64_t count = 0;  // the last row kept, counted from the first: 15 in `take 15`
    // Written `take rows 11 to 15`: the first row kept (11), with `count` the last one (15).
    std::optional<std::int64_t> first_row;
    bool last = false;  // written `take_last`
    ColumnList by;
    bool with_ties = false;
};
struct AddRows {
    TableName table;
};
struct AddCombinations {
    ColumnList columns;
    ColumnList by;
};
struct DropDuplicates {};
struct Rename {
    std::vector<NamedValue> pairs;  // new name, old column
};
struct DropMissing {
    ColumnList columns;  // empty means every column
};
struct FillMissing {
    std::vector<NamedValue> items;  // column, filler
};
// How the checker resolves a lengthen, so that no writer matches a pattern again: the columns
// kept as they are, the columns made, and one group of rows per combination of name pieces.
struct LengthenGroup {
    std::vector<std::string> name_pieces;  // the text each name column holds for these rows
    std::vector<std::string> sources;      // the stacked column feeding each value column
};
struct LengthenPlan {
    std::vector<std::string> kept;
    std::vector<std::string> name_columns;
    std::vector<std::string> value_columns;
    std::vector<LengthenGroup> groups;
};

// How the checker resolves a widen: the columns that say which rows go together, the columns
// the new names are read from (in pattern order), and for each `giving` name the text each of
// those columns holds for it.
struct WidenPlan {
    std::vector<std::string> identifying;
    std::vector<std::string> name_columns;
    std::vector<std::vector<std::string>> giving_pieces;
};

struct Lengthen {
    ColumnList columns;  // listed, or (with all_but) the ones to leave
    bool all_but = false;
    OptionalBox<Value> chooser;      // `lengthen where ...`
    OptionalBox<NamePattern> name;   // `as name [n]` or `as name "{a}_{b}"`
    OptionalBox<ColumnName> value;   // `value [v]`
    OptionalBox<LengthenPlan> plan;  // set by the checker
};
struct Widen {
    OptionalBox<NamePattern> name;  // where the new columns' names come from
    OptionalBox<Value> value;       // what fills the cells
    ColumnList by;
    OptionalBox<Value> missing;  // the filler for empty cells
    ColumnList giving;
    OptionalBox<WidenPlan> plan;  // set by the checker
};
struct Join {
    TableName table;
    std::vector<KeyPair> keys;
    Unmatched unmatched = Unmatched::This;
};

using StepNode =
    std::variant<Keep, Pick, Add, Summarize, Sort, Take, AddRows, AddCombinations, DropDuplicates,
                 Rename, DropMissing, FillMissing, Lengthen, Widen, Join>;

// One step, from its verb to the end of its last word.
struct Step {
    Span span;
    StepNode node;
};

// The verb a step is written with: `keep`, `take`, `take_last`, `join`, ...
std::string_view verb_word(const StepNode& step);

// A whole sentence: the table it starts from and one step per `then`.
struct Pipeline {
    TableName source;
    std::vector<Step> steps;
    Span span;
};

}  // namespace brell
