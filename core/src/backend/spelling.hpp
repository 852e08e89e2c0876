#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brell {

// A writer's spelling of a function is a template with holes, one syntax for every target:
//
//   {1}, {2}, ...  the argument at that place, counted from 1;
//   {r1}           the argument in a form the writer names by one letter (`r` a receiver that
//                  a method is called on, `e` an expression, `p` a plain value, `i` a position
//                  counted from 0);
//   {2...}         the argument at that place and every one after it, joined by ", ";
//   {,2}           ", " and the argument at that place when the call has one, else nothing;
//   {window}       a part the writer names by a word (its window, the partition, the place).
//
// The writer says how to write one argument in one form and what each named part is; an
// argument the call does not have, or a part the writer does not know, is a fault of the
// template.
struct SpellingHoles {
    std::size_t arguments = 0;
    // The argument at `index` (from 0) in `form` (0 for the writer's plain way).
    std::function<std::string(std::size_t index, char form)> argument;
    // The named part; a writer whose templates name none leaves it empty.
    std::function<std::string(std::string_view name)> part;
};

std::string fill_spelling(std::string_view spelling, const SpellingHoles& holes);

// A named part and what it is written as.
struct SpellingPart {
    std::string_view name;
    std::string text;
};

// The template filled with `arguments`, each written as it is (a form letter changes nothing),
// and with the parts named.
std::string fill_spelling(std::string_view spelling, const std::vector<std::string>& arguments,
                          const std::vector<SpellingPart>& parts = {});

}  // namespace brell
