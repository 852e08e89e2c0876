#include "help_text.hpp"

namespace brell {

std::string_view help_text() {
    // The first line names the program and says what it is for; the rest is the usage.
    return R"help(brell - checks a one-sentence table pipeline, then writes it as SQL, R or Python, or draws it

    brell [options] <pipeline>
    brell [options] < pipeline.brell

Options
    --columns <list>   the table's columns, as name:type separated by commas.
                       Types: text, number, truth, date, timestamp. Anything
                       else is read as a type the grammar has no opinion about.
                       A timestamp is a date carrying a time. The two differ for
                       `hour` alone, and `kind` reports both as a date.
    --as <backend>     what to write out. Default: sql
    --draw <way>       draw what the pipeline does to the table, step by step,
                       and run nothing. `text` for a terminal, `svg` for a page.
                       A sentence that will not check is drawn as far as it
                       checked, with the refusal under the words that stopped it.
    --needs            print the table this pipeline reads, and stop. A launcher
                       asks this first, so it knows which table to describe
                       without having to read the pipeline itself.
    --vocabulary       print every word the grammar has, one per line, tagged
                       with what kind of word it is. Nothing else should keep
                       its own copy of this list.
    --seats            print where each kind of function can stand, one cell
                       per line: seat, kind, stands or refused, and the note
                       the cell carries. The book's table is generated from
                       this, so it cannot drift from the checker.
    --help             this

Examples
    brell --columns 'region:text,revenue:number' \
        'sales then keep where [region] is "West" then take 10'

    Wrap the pipeline in single quotes: a text value is written with double
    quotes, so single quotes around the whole thing keep the shell out of it.

    brell --columns 'a:number' --as dplyr 't then sort [a] descending'
)help";
}

}  // namespace brell
