// Typing function calls and `rolling(...)`: the name, how many arguments, what may stand inside,
// and each function's own rule for its arguments.

#include <algorithm>

#include "check/lookup.hpp"
#include "check/value_types.hpp"
#include "plan/date_pattern.hpp"
#include "plan/nearest_rounding.hpp"
#include "plan/value_queries.hpp"
#include "text/suggest.hpp"

namespace brell {
namespace {

bool is_number(ColumnType type) {
    return type == ColumnType::Number || type == ColumnType::Opaque;
}
bool is_text(ColumnType type) {
    return type == ColumnType::Text || type == ColumnType::Opaque;
}
bool is_date(ColumnType type) {
    return type == ColumnType::Date || type == ColumnType::Timestamp || type == ColumnType::Opaque;
}

std::string phrase(ColumnType type) {
    return std::string(type_phrase(type));
}

// "no columns", "one column", "3 columns".
std::string columns_phrase(std::size_t count) {
    if (count == 0) return "no columns";
    if (count == 1) return "one column";
    return std::to_string(count) + " columns";
}

constexpr std::string_view kRollingAggregates =
    "`total`, `average`, `median`, `smallest`, `largest` and `standard_deviation`";

// A whole number written in the sentence, a minus sign included.
std::optional<std::int64_t> written_whole(const Value& value) {
    if (const auto* whole = std::get_if<Whole>(&value.node)) return whole->number;
    const auto* arithmetic = std::get_if<Arithmetic>(&value.node);
    if (arithmetic == nullptr || arithmetic->op != ArithmeticOperator::Minus) return std::nullopt;
    const auto* nought = std::get_if<Whole>(&arithmetic->left->node);
    const auto* whole = std::get_if<Whole>(&arithmetic->right->node);
    if (nought == nullptr || nought->number != 0 || whole == nullptr) return std::nullopt;
    if (arithmetic->left->span.start != value.span.start) return std::nullopt;
    return -whole->number;
}

}  // namespace

std::string arity_refusal(const FunctionEntry& function, std::size_t written) {
    const Arity arity = function.arity;
    std::string takes;
    if (arity.least == arity.most) {
        takes = columns_phrase(arity.least);
    } else if (arity.most == Arity::kUnbounded || written < arity.least) {
        takes = "at least " + columns_phrase(arity.least);
    } else {
        takes = "at most " + columns_phrase(arity.most);
    }
    std::string refusal = "`" + std::string(function.name) + "` takes " + takes + ", and " +
                          std::to_string(written) + (written == 1 ? " was" : " were") + " written";
    if (function.name == "row_count" && written > 0) {
        refusal +=
            ". It counts the group's rows; `value_count([column])` counts the values a column "
            "holds, and `unique_count([column])` its different values";
    }
    return refusal;
}

Diagnostic unknown_function(const std::string& name, Span span) {
    if (name == "to_whole") {
        return Diagnostic::illegal(
            "`to_whole` is now `round_below` and `round_above`, which say which way they go. It "
            "converted nothing — the grammar has one number type — so it was a rounding wearing a "
            "conversion's name, and nobody could tell from the name whether -5.5 came back as -5 "
            "or -6. `round_below(-5.5)` is -6 and `round_above(-5.5)` is -5. For the nearest whole "
            "number, `round_nearest([x])`",
            span);
    }
    std::vector<std::string_view> names;
    std::string listed;
    for (const FunctionEntry& entry : functions()) {
        names.push_back(entry.name);
        listed += (listed.empty() ? "" : ", ") + std::string(entry.name);
    }
    return Diagnostic::illegal("there is no function called `" + name + "`." +
                                   did_you_mean(suggest(name, names)) +
                                   " The grammar has: " + listed,
                               span);
}

Result<ColumnType> ValueTypes::call(const Value& value, const Call& node) const {
    const FunctionEntry* function = find_function(node.function);
    if (function == nullptr) return unknown_function(node.function, node.function_span);
    const std::size_t written = node.arguments.size();
    if (written < function->arity.least || written > function->arity.most) {
        return Diagnostic::illegal(arity_refusal(*function, written), value.span);
    }
    const std::string name(function->name);
    // A scalar function of a group's answer is a value of the group, as arithmetic on it is;
    // only an aggregate cannot hold another.
    for (const Value& argument : node.arguments) {
        if (function->kind == FunctionKind::Aggregate && holds_aggregate(argument)) {
            return Diagnostic::illegal(
                "`" + name +
                    "` is already asking about a whole group, so it cannot hold another "
                    "value that does. Use the column itself: `" +
                    name + "([column])`",
                argument.span);
        }
    }
    for (const Value& argument : node.arguments) {
        if (holds_window(argument)) {
            return Diagnostic::illegal(
                "a value worked out along the rows cannot stand inside `" + name +
                    "(...)`, because the order it walks does not reach it there. Make it a column "
                    "first: `then add [t] as running_total([x]) then ... " +
                    name + "([t])`",
                argument.span);
        }
    }
    std::vector<ColumnType> types;
    for (const Value& argument : node.arguments) {
        BRELL_TRY(ColumnType argument_type, type(argument));
        types.push_back(argument_type);
    }
    return argument_rule(*function, node, types);
}

Result<ColumnType> ValueTypes::argument_rule(const FunctionEntry& function, const Call& node,
                                             const std::vector<ColumnType>& types) const {
    const std::string name(function.name);
    const auto& arguments = node.arguments;
    const auto refuse = [&](std::size_t index, std::string message) -> Result<ColumnType> {
        return Diagnostic::illegal(std::move(message), arguments[index].span);
    };
    // The first argument whose type fails the test, if any.
    const auto first_failing = [&](auto passes) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < types.size(); ++i) {
            if (!passes(types[i])) return i;
        }
        return std::nullopt;
    };
    switch (function.rule) {
        case ArgumentRule::Numbers:
            if (!is_number(types[0])) {
                return refuse(0, "`" + name + "` works on numbers, and this column is " +
                                     phrase(types[0]) +
                                     ". Count the rows instead with `row_count()`, or convert the "
                                     "column first");
            }
            break;
        case ArgumentRule::Truths:
            if (types[0] != ColumnType::Truth && types[0] != ColumnType::Opaque) {
                return refuse(
                    0, "`" + name + "` asks whether the group's truths are yes, and this is " +
                           phrase(types[0]) + ". Ask the question first: `" + name + "([x] > 0)`");
            }
            break;
        case ArgumentRule::AnyValue:
        case ArgumentRule::OwnSyntax:
            break;
        case ArgumentRule::TextCase:
            if (!is_text(types[0])) {
                return refuse(0, "`" + name + "` changes the case of text, and this column is " +
                                     phrase(types[0]) + ". Only text has a case");
            }
            break;
        case ArgumentRule::Trim:
            if (!is_text(types[0])) {
                return refuse(0, "`" + name + "` takes the spaces off text, and this is " +
                                     phrase(types[0]) + ". Convert it first with `to_text(...)`");
            }
            break;
        case ArgumentRule::Characters:
            if (!is_text(types[0])) {
                return refuse(0, "`characters` counts the characters in text, and this is " +
                                     phrase(types[0]) + ". Convert it first with `to_text(...)`");
            }
            break;
        case ArgumentRule::ReplaceText:
            if (auto failing = first_failing(is_text)) {
                return refuse(*failing, "`replace_text` works on text, and this is " +
                                            phrase(types[*failing]) +
                                            ". It takes the text, what to look for, and what to "
                                            "put there: `replace_text([name], \"a\", \"b\")`");
            }
            break;
        case ArgumentRule::SplitText:
            for (std::size_t i = 0; i < 2; ++i) {
                if (!is_text(types[i])) {
                    return refuse(i, "`split_text` cuts text apart, and this is " +
                                         phrase(types[i]) +
                                         ". It takes the text, what to cut on, and which piece to "
                                         "keep: `split_text([name], \" \", 1)`");
                }
            }
            if (!is_number(types[2])) {
                return refuse(2,
                              "the last thing `split_text` takes is which piece to keep, "
                              "counting from 1, and this is " +
                                  phrase(types[2]));
            }
            break;
        case ArgumentRule::PartOfText: {
            if (!is_text(types[0])) {
                return refuse(0, "`part_of_text` takes characters out of text, and this is " +
                                     phrase(types[0]) + ". Convert it first with `to_text(...)`");
            }
            // A place or a length written as a plain whole number, at least `least`.
            const auto plain_whole = [&](std::size_t index, std::int64_t least) {
                const std::optional<std::int64_t> written = written_whole(arguments[index]);
                return written && *written >= least &&
                       std::holds_alternative<Whole>(arguments[index].node);
            };
            if (!plain_whole(1, 1)) {
                return refuse(1,
                              "the second thing `part_of_text` takes is the character it starts "
                              "at, counting from 1, written as a plain whole number: "
                              "`part_of_text([name], 2, 3)` is the second to the fourth");
            }
            if (arguments.size() == 3) {
                if (!plain_whole(2, 0)) {
                    return refuse(2,
                                  "the last thing `part_of_text` takes is how many characters to "
                                  "keep, 0 or more, written as a plain whole number; leave it out "
                                  "to keep the rest of the text: `part_of_text([name], 2)`");
                }
            }
            break;
        }
        case ArgumentRule::JoinText:
            if (auto failing = first_failing(is_text)) {
                return refuse(*failing,
                              "`join_text` joins text, and this is " + phrase(types[*failing]) +
                                  ". Convert it first with `to_text(...)`, which is where "
                                  "you say how it should look");
            }
            break;
        case ArgumentRule::JoinRows:
            if (!std::holds_alternative<Column>(arguments[0].node)) {
                return refuse(0,
                              "`join_rows` runs a column's values together, so it takes the "
                              "column itself rather than a value worked out from one. Make it a "
                              "column first: `then add [t] as ... then summarize [all] as "
                              "join_rows([t], \", \")`");
            }
            if (!std::holds_alternative<Text>(arguments[1].node)) {
                return refuse(1,
                              "`join_rows` puts the same text between every pair, so its "
                              "separator is written out rather than read from a column: "
                              "`join_rows([product], \", \")`");
            }
            if (auto failing = first_failing(is_text)) {
                return refuse(*failing,
                              "`join_rows` joins text, and this is " + phrase(types[*failing]) +
                                  ". Convert it first with `to_text(...)`, which is where "
                                  "you say how it should look");
            }
            break;
        case ArgumentRule::Rounding:
            if (!is_number(types[0])) {
                return refuse(0, "`" + name + "` moves a number to a whole one, and this is " +
                                     phrase(types[0]) + ". Convert it first with `to_number`");
            }
            break;
        case ArgumentRule::RoundNearest:
            if (!is_number(types[0])) {
                return refuse(0,
                              "`round_nearest` moves a number to the nearest one with the "
                              "places kept, and this is " +
                                  phrase(types[0]) + ". Convert it first with `to_number`");
            }
            if (arguments.size() == 2) {
                const std::optional<std::int64_t> places = written_whole(arguments[1]);
                if (!places) {
                    return refuse(1,
                                  "the second thing `round_nearest` takes is how many decimal "
                                  "places to keep, written as a plain whole number: "
                                  "`round_nearest([price], 2)`. It cannot be worked out per row");
                }
                if (*places < 0 || !std::holds_alternative<Whole>(arguments[1].node)) {
                    return refuse(1,
                                  "`round_nearest` keeps 0 decimal places or more. To round to "
                                  "tens, hundreds and so on, divide first and multiply after: "
                                  "`round_nearest([x] / 100) * 100`");
                }
                if (*places > kMostPlaces) {
                    return refuse(1,
                                  "a number holds about 15 significant digits, so "
                                  "`round_nearest` keeps at most " +
                                      std::to_string(kMostPlaces) + " decimal places");
                }
            }
            break;
        case ArgumentRule::NumberValue:
            if (!is_number(types[0])) {
                return refuse(0, "`" + name + "` works on a number, and this is " +
                                     phrase(types[0]) + ". Convert it first with `to_number`");
            }
            break;
        case ArgumentRule::Power:
            if (auto failing = first_failing(is_number)) {
                return refuse(*failing,
                              "`power` raises one number to another, `power([x], 2)` being `[x]` "
                              "times itself, and this is " +
                                  phrase(types[*failing]));
            }
            break;
        case ArgumentRule::Remainder:
            if (auto failing = first_failing(is_number)) {
                return refuse(*failing, "`" + name +
                                            "` divides one number by another and hands back " +
                                            (name == "whole_quotient" ? "the whole times it goes"
                                                                      : "what is left over") +
                                            ", and this is " + phrase(types[*failing]));
            }
            break;
        case ArgumentRule::DatePart:
            if (!is_date(types[0])) {
                return refuse(0, "`" + name + "` reads part of a date, and this is " +
                                     phrase(types[0]) + ". Convert it first with `to_date(...)`");
            }
            break;
        case ArgumentRule::Hour:
            if (types[0] == ColumnType::Date) {
                return refuse(
                    0, "`" + name +
                           "` reads the time of day a column carries, and a plain date "
                           "carries none, so this would be nought on every row. It wants a "
                           "column that arrived carrying one, which `to_date` does not make");
            }
            if (types[0] != ColumnType::Timestamp && types[0] != ColumnType::Opaque) {
                return refuse(0, "`" + name +
                                     "` reads the time of day a column carries, and this is " +
                                     phrase(types[0]) +
                                     ". It wants a column that arrived as a date and a time");
            }
            break;
        case ArgumentRule::DateText: {
            if (!is_date(types[0])) {
                return refuse(0, "`date_text` writes a date as text, and this is " +
                                     phrase(types[0]) + ". Convert it first with `to_date(...)`");
            }
            const auto* pattern = std::get_if<Text>(&arguments[1].node);
            if (pattern == nullptr) {
                return refuse(1,
                              "the second thing `date_text` takes is its pattern, written out in "
                              "double quotes: `date_text([day], \"%d/%m/%Y\")`");
            }
            if (auto refusal = date_pattern_refusal(pattern->text, types[0] != ColumnType::Date)) {
                return refuse(1, std::move(*refusal));
            }
            break;
        }
        case ArgumentRule::Between:
        case ArgumentRule::FirstPresent: {
            ColumnType agreed = types[0];
            for (std::size_t i = 1; i < types.size(); ++i) {
                if (!agree(agreed, types[i])) {
                    return refuse(
                        i, function.rule == ArgumentRule::Between
                               ? "`between` compares one thing against two ends, so all three have "
                                 "to hold the same kind of thing. This one is " +
                                     phrase(types[i]) + " and an earlier one is " + phrase(agreed)
                               : "`first_present` picks one of these to be the answer, so they all "
                                 "have to hold the same kind of thing. This one is " +
                                     phrase(types[i]) + " and an earlier one is " + phrase(agreed) +
                                     ". Convert one of them first");
                }
                agreed = agreed_type(agreed, types[i]);
            }
            if (function.rule == ArgumentRule::FirstPresent) return agreed;
            break;
        }
        case ArgumentRule::RunningTotal:
            if (!is_number(types[0])) {
                return refuse(0, "`running_total` adds values up as it goes, and this is " +
                                     phrase(types[0]) + ". Only numbers add up");
            }
            break;
        case ArgumentRule::Offset:
            if (arguments.size() == 2) {
                const std::optional<std::int64_t> rows = written_whole(arguments[1]);
                if (!rows) {
                    return refuse(1, "the second thing `" + name +
                                         "` takes is how many rows to look, written as a plain "
                                         "whole number: `" +
                                         name +
                                         "([revenue], 12)`. It cannot be worked out per row");
                }
                if (*rows == 0) {
                    return refuse(1, "`" + name +
                                         "([column], 0)` is the column itself, so it has no work "
                                         "to do. Use the column");
                }
                if (*rows < 0) {
                    const std::string other = name == "previous" ? "following" : "previous";
                    return refuse(1, "`" + name +
                                         "` already says which way it goes, so how far is counted "
                                         "forwards from 1. To look the other way, use `" +
                                         other + "`");
                }
            }
            break;
    }
    switch (function.result) {
        case ResultRule::Number:
            return ColumnType::Number;
        case ResultRule::Text:
            return ColumnType::Text;
        case ResultRule::Truth:
            return ColumnType::Truth;
        case ResultRule::Date:
            return ColumnType::Date;
        case ResultRule::FirstArgument:
        case ResultRule::Agreed:
            return types.empty() ? ColumnType::Opaque : types[0];
    }
    return ColumnType::Opaque;
}

Result<ColumnType> ValueTypes::rolling(const Rolling& node) const {
    const FunctionEntry* function = find_function(node.function);
    if (function == nullptr) return unknown_function(node.function, node.function_span);
    const std::string name(function->name);
    const auto at_name = [&](std::string message) -> Result<ColumnType> {
        return Diagnostic::illegal(std::move(message), node.function_span);
    };
    if (function->kind == FunctionKind::Scalar) {
        return at_name("`rolling` asks about a stretch of rows, and `" + name +
                       "` works on one value at a time. The aggregates are " +
                       std::string(kRollingAggregates));
    }
    if (function->kind == FunctionKind::Window) {
        return at_name("`rolling` holds an aggregate — a value that spans rows — and `" + name +
                       "` is already a value worked out along them. The aggregates are " +
                       std::string(kRollingAggregates));
    }
    if (name == "last") {
        return at_name(
            "the last value of the last few rows is the row's own value. Use the column");
    }
    if (name == "first") {
        return at_name(
            "the first value of the last few rows is a value from a fixed distance back, and "
            "`previous` already says that: `previous([x], 6)` is the first of a window of 7");
    }
    if (name == "row_count") {
        return at_name(
            "every full window holds the number of rows that was written, and a window that is not "
            "yet full answers `missing`, so counting them answers nothing the sentence did not "
            "already say");
    }
    if (name == "value_count") {
        return at_name(
            "a full window holds a value in each of its rows, and a window that is not yet full "
            "answers `missing`, so counting its values answers nothing the sentence did not "
            "already say. `value_count` works at full width in `summarize`");
    }
    if (name == "unique_count") {
        return at_name(
            "no query can count distinct values over a moving window on every engine underneath, "
            "so the sentence would answer on one and be refused by another. `unique_count` works "
            "at full width in `summarize`");
    }
    if (name == "join_rows") {
        return at_name(
            "`join_rows` runs text together, and no moving window of text can be spelled on every "
            "target the grammar writes. Join at full width in `summarize`, or give the rows a "
            "group and join within it");
    }
    // Every target spells these over a moving window; an aggregate added later is refused here
    // until it is spelled there too.
    if (kRollingAggregates.find("`" + name + "`") == std::string_view::npos) {
        return at_name("`rolling` holds one of " + std::string(kRollingAggregates) + ", and `" +
                       name + "` is not one of them");
    }
    const std::size_t written = node.arguments.size();
    if (written < function->arity.least || written > function->arity.most) {
        return Diagnostic::illegal(arity_refusal(*function, written), node.call_span);
    }
    const Value& argument = node.arguments[0];
    const auto* column = std::get_if<Column>(&argument.node);
    if (column == nullptr) {
        return Diagnostic::illegal(
            "`rolling` reads a column, and the computed value is an `add` "
            "away: `then add [v] as ... then add [answer] as rolling(" +
                name + "([v]), 7)`",
            argument.span);
    }
    BRELL_TRY(TableColumn read, look_up_column(column->name.text, argument.span, columns_));
    if (!is_number(read.type)) {
        return Diagnostic::illegal("`" + name + "` works on numbers, and this column is " +
                                       phrase(read.type) + ". Convert the column first",
                                   argument.span);
    }
    const Value& size = *node.size;
    const std::optional<std::int64_t> rows = written_whole(size);
    const auto at_size = [&](std::string_view message) -> Result<ColumnType> {
        return Diagnostic::illegal(std::string(message), size.span);
    };
    if (!rows) {
        return at_size(
            "the second thing `rolling` takes is how many rows the window holds, written as a "
            "plain whole number: `rolling(average([revenue]), 7)`. It cannot be worked out per "
            "row");
    }
    if (*rows < 0) {
        return at_size(
            "the window reaches back from the row itself, so how many rows it holds "
            "cannot be negative");
    }
    if (*rows == 0) {
        return at_size(
            "a window of no rows asks nothing. It holds the row itself and the rows "
            "above it, so the smallest one is 2");
    }
    if (*rows == 1) {
        return at_size(
            "a window of one row is the row itself, so there is nothing rolling about "
            "it. Use the column, or widen the window");
    }
    return ColumnType::Number;
}

}  // namespace brell
