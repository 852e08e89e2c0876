#pragma once

// The one way into the compiler. The command line, the Python package, the fuzzers and the
// benchmarks all reach it through this header and nothing else: each job takes a sentence and
// answers with its text or the one message that refused it, and every job runs on a stack deep
// enough for values nested a thousand levels.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brell::front {

// One column: its name and its type word (text, number, truth, date, timestamp; any other word
// is a type the language has no opinion about).
struct Column {
    std::string name;
    std::string type;
};

// A table the sentence reads other than its source, by name.
struct NamedTable {
    std::string name;
    std::vector<Column> columns;
};

// Every table a sentence may read: the columns of the table it starts from (whatever that
// table is called), and the others by name.
struct Tables {
    std::vector<Column> head;
    std::vector<NamedTable> named;
};

// Where a message stands in the sentence, in bytes of its UTF-8 encoding: `begin` is the first
// byte, `end` one past the last.
struct Place {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// A refusal or a note, as the user sees it and in its parts.
struct Message {
    std::string kind;  // "illegal", "assumption" (a note) or "not built yet"
    std::string text;  // the message alone
    std::optional<Place> place;
    std::string drawn;  // "{kind}: {text}", and the sentence's line with carets; no final newline
};

// What a job gives: its text, or the one message that refused the sentence. Notes are the
// checker's remarks on a sentence it accepted; they never stop it.
struct Answer {
    std::string text;
    std::optional<Message> refusal;
    std::vector<Message> notes;

    bool ok() const { return !refusal.has_value(); }
};

// The sentence written out by `backend` (one of `backends()`), exactly as `brell --as` prints
// it, its final newline included.
Answer compile(std::string_view sentence, const Tables& tables, std::string_view backend = "sql");

// What each step does to the table, drawn the named way: "text" or "svg".
Answer draw(std::string_view sentence, const Tables& tables, std::string_view way);

// Takes a text a piece at a time, in order.
using TextSink = std::function<void(std::string_view piece)>;

// The same drawing handed to `write` a piece at a time as it is made, rather than held whole in
// the answer's text (which stays empty): the SVG of a long sentence runs to gigabytes. Nothing is
// written when the sentence is refused.
Answer draw_to(std::string_view sentence, const Tables& tables, std::string_view way,
               const TextSink& write);

// One step of a sentence, as far as it checked: where its words stand, and the table it leaves.
struct StepTable {
    Place place;
    std::vector<Column> columns;  // type words as `--columns` takes them; "" for an opaque type
};

// The table at every step: what an editor shows beside a step and completes after it. The
// source's columns, then each step that checked (all of them, or those before the refused one),
// with the refusal and the notes as `compile` gives them (nothing checks when the sentence does
// not parse).
struct StepTables {
    std::vector<Column> source;
    std::vector<StepTable> steps;
    std::optional<Message> refusal;
    std::vector<Message> notes;
};
StepTables step_tables(std::string_view sentence, const Tables& tables);

// The tables the sentence reads, one per line: its source first, then the others in order of
// first appearance. Needs no columns.
Answer needs(std::string_view sentence);

// Every backend's name, in the order of every listing: sql, spark, dplyr, pandas, polars,
// pyspark, brell.
std::vector<std::string> backends();

// The backends' names joined by ", ".
std::string backend_list();

// Every way of drawing, in the order of every listing (text, svg), with what it is for.
struct DrawingWay {
    std::string name;
    std::string used_for;
};
std::vector<DrawingWay> drawing_ways();

// The ways' names joined by ", ".
std::string drawing_way_list();

// Every word of the language, one per line: "verb", a function's kind, or "word", a tab, the
// word.
std::string vocabulary();

// Every cell of the seat table, one per line: seat, where it stands, kind, verdict, note.
std::string seats();

// A column list written as the command line takes it, "region:text, revenue:number": its
// columns, or what is wrong with it.
struct ColumnsRead {
    std::vector<Column> columns;
    std::optional<std::string> problem;
};
ColumnsRead read_columns(std::string_view list);

// Whether the bytes are well-formed UTF-8, as every text the jobs take must be.
bool is_valid_utf8(std::string_view text);

// Whether the text holds nothing but white space (Unicode's class), so no sentence at all.
bool is_blank(std::string_view text);

// Whether the sentence is too long for the jobs to place a message in it: 4 GiB or more.
bool is_too_long(std::string_view text);

}  // namespace brell::front
