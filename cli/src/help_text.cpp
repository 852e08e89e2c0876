#include "help_text.hpp"

#include <string_view>

#include "brell/brell.hpp"

namespace brell {
namespace {

// An option's description starts in this column, and its lines end before the last.
constexpr std::size_t kDescriptionColumn = 23;
constexpr std::size_t kLineWidth = 78;

// The words laid into lines that continue an option's description, each line but the first
// indented to the description's column.
std::string wrapped_description(std::string_view first_line_start, std::string_view words) {
    std::string text(first_line_start);
    std::size_t line_length = text.size();
    while (!words.empty()) {
        const std::size_t space = words.find(' ');
        const std::string_view word = words.substr(0, space);
        words = space == std::string_view::npos ? std::string_view{} : words.substr(space + 1);
        if (line_length + 1 + word.size() > kLineWidth) {
            text += "\n" + std::string(kDescriptionColumn, ' ');
            line_length = kDescriptionColumn;
        } else {
            text += ' ';
            ++line_length;
        }
        text += word;
        line_length += word.size();
    }
    return text + "\n";
}

std::string backends_sentence() {
    return "what to write out: " + front::backend_list() + ". Default: sql";
}

std::string drawing_ways_sentence() {
    std::string ways;
    for (const front::DrawingWay& way : front::drawing_ways()) {
        ways += (ways.empty() ? "" : ", ") + ("`" + way.name + "` ") + way.used_for;
    }
    return "draw what the pipeline does to the table, step by step, and run nothing: " + ways +
           ". A sentence that will not check is drawn as far as it checked, with the refusal "
           "under the words that stopped it.";
}

}  // namespace

std::string help_text() {
    // The first line names the program and says what it is for; the rest is the usage.
    std::string text =
        R"help(brell - checks a one-sentence table pipeline, then writes it as SQL, R or Python, or draws it

    brell [options] <pipeline>
    brell [options] <file.brell>
    brell [options] < file.brell

    An argument ending in `.brell` that names a file is that file, holding the
    pipeline; one that names no file and holds no space is refused.

Options
    --columns <list>   the table's columns, as name:type separated by commas.
                       Types: text, number, truth, date, timestamp. Anything
                       else is read as a type the grammar has no opinion about.
                       A timestamp is a date carrying a time, which `hour`,
                       `minute` and `second` read; `kind` reports both as a date.
                       Another table the pipeline reads (with `join`, `add_rows`
                       or `matching`) is described by one more `--columns`,
                       named for it:
                           --columns 'customers=customer:text,city:text'
                       A list given here replaces the project file's for its
                       table.
    --tables <file>    the project file describing the tables, instead of the
                       nearest brell.toml. Without `--tables`, brell.toml is
                       read from the current folder or else the nearest folder
                       above it that has one. It is TOML: under [tables], each
                       table's name and its columns, as `--columns` takes them:
                           [tables]
                           sales = "day:date,store:text,units:number"
                       The pipeline's first table is found there by its name.
)help";
    text += wrapped_description("    --as <backend>    ", backends_sentence());
    text += wrapped_description("    --draw <way>      ", drawing_ways_sentence());
    text += R"help(    --needs            print the table this pipeline reads, and stop. A launcher
                       asks this first, so it knows which table to describe
                       without having to read the pipeline itself.
    --vocabulary       print every word the grammar has, one per line, tagged
                       with what kind of word it is. Nothing else should keep
                       its own copy of this list.
    --seats            print where each kind of function can stand, one cell
                       per line: seat, kind, stands or refused, and the note
                       the cell carries. The book's table is generated from
                       this, so it cannot drift from the checker.
    --version          print the version, and stop
    --help             this

Examples
    brell --columns 'region:text,revenue:number' \
        'sales then keep where [region] is "West" then take 10'

    Wrap the pipeline in single quotes: a text value is written with double
    quotes, so single quotes around the whole thing keep the shell out of it.

    brell --columns 'a:number' --as dplyr 't then sort [a] descending'

    brell --columns 'customer:text,amount:number' \
        --columns 'customers=customer:text,city:text' \
        'orders then join customers by [customer]'

    brell sales_by_store.brell
        (the pipeline in sales_by_store.brell, its tables in brell.toml)

The book, a tour of the language and every word with examples, is
docs/README.md in brell's source.
)help";
    return text;
}

std::string version_text() {
    return std::string("brell ") + BRELL_VERSION + "\n";
}

}  // namespace brell
