#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brell {

// The pattern of `date_text([day], "%d/%m/%Y")`: strftime's letters for the parts of a date and
// a time, each with its zeros — %Y the year in four digits, %m the month, %d the day, %H the hour
// of 24, %M the minute, %S the second — and %% for a percent sign; every other character stands
// for itself. Other letters are refused, since engines spell them differently (week numbers,
// names of months in a language) or not at all.

// The refusal of the pattern, if any: a letter brell does not write, a lone % at the end, or a
// time of day asked of a date that carries none (`carries_time` false).
std::optional<std::string> date_pattern_refusal(std::string_view pattern, bool carries_time);

// The pattern as Java's DateTimeFormatter reads it, for Spark: yyyy, MM, dd, HH, mm, ss, with
// every other run of characters quoted ('') and a quote doubled.
std::string java_date_pattern(std::string_view pattern);

}  // namespace brell
