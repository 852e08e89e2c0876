#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "parse/column_type.hpp"
#include "parse/syntax_tree.hpp"

namespace brell::pandas {

// What a written value is when pandas works it out inside `lambda d: ...`: a Series on the
// frame's rows, a Series of yes, no or missing answers (pandas' nullable booleans, `pd.NA` where
// the answer is missing), a NumPy array of one entry per row, or one plain value for every row.
enum class Shape { Series, Truth, Array, Constant };

struct Spelled {
    std::string text;
    Shape shape = Shape::Series;
    // A test whose missing answer is read as no, written as pandas answers it: no where a side is
    // missing, or missing where a side's dtype holds one (`&` and `|` of those answer as a query
    // does). `and` and `or` of two such tests are written plainly too.
    bool missing_reads_no = false;
};

// What a value made of two others is: a Series if either is one, else an array if either is
// one, else one plain value.
Shape combined(Shape left, Shape right);

// The value as a Series on the frame's rows, so that Series methods can be called on it: an
// array or a plain value is put into one with the frame's index.
std::string series_of(const Spelled& value);

// The value as a Series of texts on the frame's rows, for the `.str` methods: a plain value put
// into one is held as texts even when it is missing (a group's answer of no texts), which pandas
// would otherwise hold as a number that `.str` cannot read.
std::string text_series_of(const Spelled& value);

// The value as yes, no or missing on each row: a Series of nullable booleans.
std::string truth_of(const Spelled& value);

// Whether a test holds on each row, as plain booleans that can choose rows: a missing answer does
// not hold.
std::string holds(const Spelled& test);

// A divisor made missing where it is 0, as a division by zero is.
Spelled without_zero(const Spelled& divisor);

// The text of a date written in the sentence, `to_date("2024-01-31")`, or null.
const Text* written_date(const Call& call);
const Text* written_date(const Value& value);

// Whether the value is a column written by itself, `[x]`.
bool is_bare_column(const Value& value);

// The column a bare column value names.
const std::string& bare_column_name(const Value& value);

// An aggregate's word for `agg`, `transform` and the other group methods: `"sum"`, `"size"`,
// or, for `join_rows`, a lambda over the group's values.
std::string aggregation_word(const Call& call);

// One aggregate's answer for each group of the groups `g`, of the named column (its first
// argument, worked out), of the given type (any column and type for `row_count()`): pandas' own
// method where it means what the aggregate means (`g["x"].sum(min_count=1)`), else `agg` over
// each group's values.
std::string grouped_answer(const Call& call, const std::string& column, ColumnType argument_type);

// Whether pandas' own `min` and `max` order a column of this type as a query does, passing its
// missing values by: numbers, dates and timestamps (texts with a missing value fail).
bool ordered_natively(ColumnType type);

// An aggregate's word for `transform`, which puts the group's answer on each of its rows.
std::string transform_word(const Call& call);

// One input of a value worked out row by row: its name inside the comprehension, the value, and
// whether it must be text (else a number) for the row to have an answer.
struct RowInput {
    std::string name;
    const Value* value;
    bool text = true;
};

// Writes values as pandas expressions over the frame `d`.
class PandasValues {
  public:
    // `group_by` holds the `by` columns of an `add ... by`: there every aggregate and every value
    // worked out along the rows is each group's. Elsewhere it is empty.
    // `table` is the step's columns as they arrive, with their types: a grouped smallest or
    // largest of a column pandas orders itself is then its built-in `min` or `max`.
    explicit PandasValues(std::vector<std::string> group_by = {},
                          std::span<const TableColumn> table = {})
        : group_by_(std::move(group_by)), table_(table) {}

    Spelled write(const Value& value) const;

    // The tests whose missing answer is read as no (plan/missing_as_no): pandas' own comparison
    // answers no where a side is missing, as `isin` does for a set of written values, and each is
    // written as it stands.
    void read_as_no(std::unordered_set<const Value*> tests) { read_as_no_ = std::move(tests); }

  private:
    Spelled compare(const Compare& node, bool read_as_no) const;
    // A test pandas worked out from `sides`, which answers no (or, for `!=`, yes) where a side is
    // missing, made missing there instead, as a test on a missing value is.
    Spelled missing_where_missing(const std::string& test,
                                  const std::vector<std::pair<Spelled, const Value*>>& sides) const;
    Spelled in_set(const InSet& node, bool read_as_no) const;
    Spelled text_test(const TextTest& node) const;
    Spelled ranking(const Ranking& node) const;
    // The answer of the first question that holds on each row, else the `otherwise` value.
    Spelled choice(const std::vector<Spelled>& questions, const std::vector<Spelled>& answers,
                   const Value* otherwise) const;
    Spelled when(const When& node) const;
    Spelled look_up(const LookUp& node) const;

    // Calls, in pandas_calls.cpp.
    Spelled call(const Call& node) const;
    Spelled scalar_call(const Call& node) const;
    Spelled aggregate(const Call& node) const;
    Spelled window(const Call& node) const;
    Spelled rolling(const Rolling& node) const;
    Spelled replace_text(const Call& node) const;
    Spelled part_of_text(const Call& node) const;
    Spelled split_text(const Call& node) const;
    Spelled join_text(const Call& node) const;
    Spelled first_present(const Call& node) const;

    // A value worked out one row at a time, for the text methods that take only written texts:
    // `expression` is given each input's name, or its written value when it is written out. A
    // row with a missing input gets `when_missing`.
    Spelled row_by_row(
        const std::vector<RowInput>& inputs,
        const std::function<std::string(const std::vector<std::string>&)>& expression,
        std::string_view when_missing, std::string_view dtype) const;

    // `d.groupby([...], dropna=False)`, over this value's groups.
    std::string groups() const;

    std::vector<std::string> group_by_;
    std::span<const TableColumn> table_;
    std::unordered_set<const Value*> read_as_no_;
};

}  // namespace brell::pandas
