#include "parse/step_parser.hpp"

#include <algorithm>
#include <array>

#include "parse/lexer.hpp"
#include "parse/misplaced_words.hpp"
#include "parse/parse.hpp"
#include "parse/vocabulary.hpp"
#include "text/suggest.hpp"
#include "text/unicode.hpp"

namespace brell {
namespace {

std::string joined(std::span<const std::string_view> words) {
    std::string text;
    for (std::string_view word : words) text += (text.empty() ? "" : ", ") + std::string(word);
    return text;
}

// Words other languages use where `pick` takes `all_but`.
constexpr std::array<std::string_view, 6> kAllButElsewhere = {
    "except", "exclude", "excluding", "drop", "omit", "without",
};

// `take 10..15`, a range written as other languages write it, is shown the range in words. Both
// ends are kept as written, and the hint says both are counted, since `10..15` is read one way
// by some languages (rows 10 to 15) and another by others (rows 11 to 15).
std::string written_range_hint(const TokenCursor& cursor) {
    if (!cursor.current_is(TokenKind::Decimal)) return "";
    const Token& start = cursor.current();
    const Token* dot = cursor.peek();
    const Token* end = cursor.peek(2);
    std::string range = "11 to 15";
    if (dot == nullptr || (dot->kind != TokenKind::Dot && dot->kind != TokenKind::Decimal)) {
        return "";
    }
    const std::string_view written = cursor.text().substr(start.span.start, start.span.length);
    if (dot->kind == TokenKind::Dot && end != nullptr && end->kind == TokenKind::Whole &&
        written.ends_with('.') && start.decimal >= 1 &&
        start.decimal <= static_cast<double>(end->whole)) {
        range = std::string(written.substr(0, written.size() - 1)) + " to " +
                std::to_string(end->whole);
    }
    return ". A range of rows names its first and its last row, both counted from 1: `take rows " +
           range + "`";
}

}  // namespace

Result<Pipeline> parse(std::string_view text) {
    // A first reading finds any lexical refusal (which comes before any other) and how many
    // steps there can be; the parser then reads the tokens again, a few at a time.
    BRELL_TRY(const std::size_t then_words, count_then_words(text));
    TokenCursor cursor(text);
    return StepParser(cursor).parse_pipeline(then_words);
}

Result<Pipeline> StepParser::parse_pipeline(std::size_t most_steps) {
    if (cursor_.at_end()) {
        // At the start of the text, covering its first character whole.
        Span first{0, 1};
        if (!cursor_.text().empty()) {
            std::size_t length = 1;
            while (length < cursor_.text().size() &&
                   (static_cast<unsigned char>(cursor_.text()[length]) & 0xC0) == 0x80) {
                ++length;
            }
            first.length = length;
        }
        return Diagnostic::illegal(
            "a pipeline starts with the name of a table, and this one is empty. Write one: `sales "
            "then take 10`",
            first);
    }
    if (cursor_.current_is(TokenKind::ColumnBracket)) {
        return cursor_.refuse_here(
            "a pipeline starts with the name of a table, written plainly. Brackets are for "
            "columns");
    }
    static constexpr std::string_view kStartsWithTable =
        "a pipeline starts with the name of a table, then what happens to it: `sales then take 10`";
    if (!cursor_.current_is(TokenKind::Word) || is_reserved_word(cursor_.current().text)) {
        return cursor_.refuse_here(std::string(kStartsWithTable));
    }
    Pipeline pipeline;
    BRELL_TRY(pipeline.source, cursor_.table_name(kStartsWithTable));
    pipeline.span = Span{0, cursor_.text().size()};
    pipeline.steps.reserve(most_steps);
    while (!cursor_.at_end()) {
        if (!cursor_.current_is_word("then")) {
            const Token& token = cursor_.current();
            if (token.kind == TokenKind::Word) {
                const std::string lowered = ascii_lower(token.text);
                if (lowered != token.text && is_reserved_word(lowered)) {
                    return cursor_.refuse_here("the grammar's words are lowercase. Write `" +
                                               lowered + "` instead of `" + token.text + "`");
                }
            }
            if (auto expected = expected_instead_of_then(cursor_)) {
                return cursor_.refuse_here(std::move(*expected));
            }
            return cursor_.refuse_here(
                "steps are joined by the word `then`, and one is missing here");
        }
        cursor_.advance();
        BRELL_TRY(Step next, step());
        pipeline.steps.push_back(std::move(next));
        cursor_.forget_consumed();
    }
    return pipeline;
}

Result<Step> StepParser::step() {
    if (!cursor_.current_is(TokenKind::Word)) {
        return cursor_.refuse_here("`then` has to be followed by a verb: " + joined(verbs()));
    }
    const Token& verb = cursor_.current();
    if (!is_verb(verb.text)) {
        if (const BorrowedWord* borrowed = find_borrowed(verb.text, BorrowedSeat::Verb)) {
            return cursor_.refuse_here(borrowed_verb_refusal(cursor_, *borrowed));
        }
        return cursor_.refuse_here("`" + verb.text + "` is not one of the verbs." +
                                   did_you_mean(suggest(verb.text, verbs())) +
                                   " The verbs are: " + joined(verbs()));
    }
    cursor_.advance();
    BRELL_TRY(StepNode node, verb_grammar(verb.text));
    return Step{cursor_.span_from(verb.span.start), std::move(node)};
}

Result<StepNode> StepParser::verb_grammar(std::string_view verb) {
    if (verb == "keep") return keep();
    if (verb == "pick") return pick();
    if (verb == "add") return add_or_summarize<Add>(verb);
    if (verb == "summarize") return add_or_summarize<Summarize>(verb);
    if (verb == "sort") return sort();
    if (verb == "take" || verb == "take_last") return take(verb);
    if (verb == "join") return join();
    if (verb == "add_rows") return add_rows();
    if (verb == "add_combinations") return add_combinations();
    if (verb == "drop_duplicates") return drop_duplicates();
    if (verb == "drop_missing") return drop_missing();
    if (verb == "rename") {
        BRELL_TRY(
            std::vector<NamedValue> pairs,
            named_values(verb, "`rename` names the column, in brackets: `rename [name] as ...`"));
        return StepNode{Rename{std::move(pairs)}};
    }
    if (verb == "fill_missing") {
        BRELL_TRY(std::vector<NamedValue> items,
                  named_values(verb,
                               "`fill_missing` names the column, in brackets: "
                               "`fill_missing [name] as ...`"));
        return StepNode{FillMissing{std::move(items)}};
    }
    if (verb == "lengthen") return lengthen();
    return widen();
}

Result<ColumnList> StepParser::optional_by(std::string_view refusal) {
    if (!cursor_.accept("by")) return ColumnList{};
    return cursor_.column_list(refusal);
}

Result<StepNode> StepParser::keep() {
    if (!cursor_.accept("where")) {
        return cursor_.refuse_here(
            "`keep` reads as a sentence: `keep where [column] is \"value\"`. The word `where` is "
            "missing");
    }
    if (cursor_.current_is_word("any") || cursor_.current_is_word("every")) {
        const Token& word = cursor_.advance();
        const Quantifier quantifier = word.text == "any" ? Quantifier::Any : Quantifier::Every;
        BRELL_TRY(Value chooser, value());
        if (!cursor_.accept("as")) {
            return cursor_.refuse_here(
                "a question asked of many columns needs the question after `as`: `keep where any "
                "name starts \"q\" as value > 3`");
        }
        BRELL_TRY(Value question, value());
        const Span span = cursor_.span_from(word.span.start);
        return StepNode{
            Keep{Value{span, OverColumns{quantifier, std::move(chooser), std::move(question)}}}};
    }
    BRELL_TRY(Value condition, value());
    return StepNode{Keep{std::move(condition)}};
}

Result<StepNode> StepParser::pick() {
    Pick node;
    if (cursor_.accept("where")) {
        BRELL_TRY(node.chooser, value());
        return StepNode{std::move(node)};
    }
    node.all_but = cursor_.accept("all_but");
    if (cursor_.current_is(TokenKind::Word)) {
        const std::string& word = cursor_.current().text;
        if (std::find(kAllButElsewhere.begin(), kAllButElsewhere.end(), word) !=
            kAllButElsewhere.end()) {
            return cursor_.refuse_here(
                "the grammar writes this as `all_but`, so there is one spelling rather than one "
                "per language. Write `pick all_but [a, b]` instead of `pick " +
                word + " [a, b]`");
        }
    }
    const bool first_is_bracket = cursor_.current_is(TokenKind::ColumnBracket);
    std::vector<BracketName> written =
        first_is_bracket ? cursor_.current().names : std::vector<BracketName>{};
    BRELL_TRY(node.columns,
              cursor_.column_list("`pick` needs the columns to choose, in brackets: `pick [a, b]`, "
                                  "or by the shape of the name: `pick where name starts \"q\"`"));
    if (cursor_.current_is(TokenKind::ColumnBracket)) {
        const std::vector<BracketName>& second = cursor_.current().names;
        written.insert(written.end(), second.begin(), second.end());
        return cursor_.refuse_here(
            "`pick` takes one list of columns in one bracket. Write `pick [" +
            joined_names(written) + "]`");
    }
    return StepNode{std::move(node)};
}

template <typename Node>
Result<StepNode> StepParser::add_or_summarize(std::string_view verb) {
    const std::string name(verb);
    Node node;
    if (cursor_.accept("where")) {
        BRELL_TRY(node.chooser, value());
        if (!cursor_.accept("as")) {
            return cursor_.refuse_here("`" + name +
                                       " where ...` has to say what to make of each column: write "
                                       "`as` and then the value, with `value` standing for the "
                                       "column");
        }
        BRELL_TRY(node.template_value, value());
    } else {
        BRELL_TRY(node.items, named_values(verb, "`" + name +
                                                     "` names the column it is making, "
                                                     "in brackets: `" +
                                                     name + " [name] as ...`"));
    }
    BRELL_TRY(node.by, optional_by("`by` needs the columns that say which rows go together, in "
                                   "brackets: `by [product]`"));
    return StepNode{std::move(node)};
}

Result<std::vector<NamedValue>> StepParser::named_values(std::string_view verb,
                                                         std::string_view column_refusal) {
    std::vector<NamedValue> items;
    do {
        BRELL_TRY(ColumnName name, cursor_.one_column(column_refusal));
        if (!cursor_.accept("as")) {
            return cursor_.refuse_here("`" + std::string(verb) + " [" + name.text +
                                       "]` has to say what it is: write `as` and then the value");
        }
        BRELL_TRY(Value item, value());
        items.push_back(NamedValue{std::move(name), std::move(item)});
    } while (cursor_.accept(TokenKind::Comma));
    items.shrink_to_fit();  // the syntax tree keeps it for every step that has one
    return items;
}

Result<StepNode> StepParser::sort() {
    if (cursor_.current_is_word("by")) {
        return cursor_.refuse_here(
            "`sort` does not take the word `by`. Write `sort [column]`, and `descending` after it "
            "to run the other way");
    }
    Sort node;
    do {
        BRELL_TRY(ColumnName column, cursor_.one_column("`sort` needs the column to order by, in "
                                                        "brackets: `sort [amount]`"));
        if (cursor_.current_is_word("ascending")) {
            return cursor_.refuse_here(
                "there is no word `ascending`, because ascending is what `sort` does when nothing "
                "is asked of it. Write `sort [column]`");
        }
        node.keys.push_back(SortKey{std::move(column), cursor_.accept("descending")});
    } while (cursor_.accept(TokenKind::Comma));
    if (cursor_.accept("missing")) {
        if (cursor_.accept("first")) {
            node.missing_first = true;
        } else if (!cursor_.accept("last")) {
            return cursor_.refuse_here(
                "`missing` says where the rows with no value go, and takes `first` or `last`: "
                "`sort [amount] missing first`. Without it they go last");
        }
    }
    return StepNode{std::move(node)};
}

Result<StepNode> StepParser::take(std::string_view verb) {
    const std::string name(verb);
    Take node;
    node.last = verb == "take_last";
    if (cursor_.current_is_word("rows")) {
        if (node.last) {
            return cursor_.refuse_here(
                "`take_last` counts from the far end, and a range of rows is counted from the "
                "first row. Sort the other way and take the range: `then sort [day] descending "
                "then take rows 11 to 15`");
        }
        cursor_.advance();
        BRELL_TRY(node.first_row, row_range_start());
        BRELL_TRY(node.count, row_range_end(*node.first_row));
    } else if (!cursor_.current_is(TokenKind::Whole)) {
        return cursor_.refuse_here("`" + name + "` needs a whole number of rows: `" + name +
                                   " 10`" + written_range_hint(cursor_));
    } else {
        node.count = cursor_.advance().whole;
    }
    BRELL_TRY(node.by, optional_by("`by` needs the columns that say which rows go together, in "
                                   "brackets: `by [id]`"));
    if (cursor_.accept("with")) {
        if (!cursor_.accept("ties")) {
            return cursor_.refuse_here("the only thing `" + name +
                                       "` takes after `with` is `ties`: `" + name +
                                       " 3 with ties`");
        }
        if (node.first_row) {
            return Diagnostic::illegal(
                "`with ties` lets in the rows level with the last one taken, and a range of rows "
                "has a first one too, where rows level with it would be cut off. Take the range "
                "alone, `take rows 11 to 15`, or the first rows with their ties: `take 15 with "
                "ties`",
                cursor_.span_from(cursor_.behind(2)->span.start));
        }
        node.with_ties = true;
    }
    return StepNode{std::move(node)};
}

Result<std::int64_t> StepParser::row_range_start() {
    static constexpr std::string_view kRange =
        "`take rows` needs the first and the last row to keep, both counted from 1: `take rows 11 "
        "to 15`";
    if (!cursor_.current_is(TokenKind::Whole)) return cursor_.refuse_here(std::string(kRange));
    if (cursor_.current().whole < 1) {
        return cursor_.refuse_here(
            "rows are counted from 1, so the first row is row 1: `take rows 1 to 5`");
    }
    const std::int64_t first = cursor_.advance().whole;
    if (!cursor_.accept("to")) return cursor_.refuse_here(std::string(kRange));
    return first;
}

Result<std::int64_t> StepParser::row_range_end(std::int64_t first) {
    if (!cursor_.current_is(TokenKind::Whole)) {
        return cursor_.refuse_here("`take rows " + std::to_string(first) +
                                   " to` needs the last row to keep, counted from 1 as the first "
                                   "is: `take rows 11 to 15`");
    }
    const std::int64_t last = cursor_.current().whole;
    cursor_.advance();
    if (last < first) {
        // `rows`, the first row, `to` and the last row.
        return Diagnostic::illegal("`take rows " + std::to_string(first) + " to " +
                                       std::to_string(last) +
                                       "` runs backwards, and the first row comes first: `take "
                                       "rows " +
                                       std::to_string(std::max<std::int64_t>(last, 1)) + " to " +
                                       std::to_string(first) + "`",
                                   cursor_.span_from(cursor_.behind(4)->span.start));
    }
    return last;
}

Result<StepNode> StepParser::join() {
    Join node;
    BRELL_TRY(node.table,
              cursor_.table_name("`join` needs the table to join to, by name: `join products by "
                                 "[id]`"));
    if (cursor_.accept("by")) {
        BRELL_TRY(node.keys,
                  cursor_.key_list("`by` needs the columns that say which rows correspond, in "
                                   "brackets: `by [id]`, or `by [customer_id] is [id]` where the "
                                   "two tables name it differently"));
    }
    if (cursor_.accept("unmatched")) {
        if (!cursor_.current_is(TokenKind::Text)) {
            return cursor_.refuse_here(
                "`unmatched` takes `\"this\"`, `\"none\"` or `\"both\"`, written in double quotes: "
                "`unmatched \"both\"`");
        }
        const std::string& choice = cursor_.current().text;
        if (choice == "this") {
            node.unmatched = Unmatched::This;
        } else if (choice == "none") {
            node.unmatched = Unmatched::None;
        } else if (choice == "both") {
            node.unmatched = Unmatched::Both;
        } else {
            return cursor_.refuse_here(
                "`unmatched` takes `\"this\"`, `\"none\"` or `\"both\"`, and `\"" + choice +
                "\"` is none of them. It says whose unmatched rows survive: `\"this\"` keeps this "
                "table's, `\"none\"` keeps neither, `\"both\"` keeps both");
        }
        cursor_.advance();
    }
    return StepNode{std::move(node)};
}

Result<StepNode> StepParser::add_rows() {
    BRELL_TRY(TableName table,
              cursor_.table_name("`add_rows` needs the table whose rows to add, by name: "
                                 "`add_rows more_sales`"));
    return StepNode{AddRows{std::move(table)}};
}

Result<StepNode> StepParser::add_combinations() {
    if (cursor_.current_is(TokenKind::Word)) {
        return cursor_.refuse_here(
            "`add_combinations` works on this table's own values, so it takes columns rather than "
            "a table: `add_combinations [region, product]`. For another table's rows underneath: "
            "`add_rows " +
            cursor_.current().text + "`");
    }
    AddCombinations node;
    BRELL_TRY(node.columns,
              cursor_.column_list("`add_combinations` needs the columns whose combinations to "
                                  "make, in brackets: `add_combinations [region, product]`"));
    BRELL_TRY(node.by, optional_by("`by` needs the columns to make the combinations inside, in "
                                   "brackets: `by [store]`"));
    return StepNode{std::move(node)};
}

Result<StepNode> StepParser::drop_duplicates() {
    if (cursor_.current_is(TokenKind::ColumnBracket)) {
        const std::string names = joined_names(cursor_.current().names);
        return cursor_.refuse_here(
            "`drop_duplicates` takes no columns, because naming some means two different things "
            "and one of them has no answer. For the distinct values of " +
            names + ": `pick [" + names +
            "] then drop_duplicates`. To keep whole rows, one per group: `sort [...] then "
            "take 1 by [" +
            names + "]`");
    }
    return StepNode{DropDuplicates{}};
}

Result<StepNode> StepParser::drop_missing() {
    DropMissing node;
    if (cursor_.current_is(TokenKind::ColumnBracket)) {
        BRELL_TRY(node.columns, cursor_.column_list(""));
    }
    return StepNode{std::move(node)};
}

}  // namespace brell
