#pragma once

#include <string>

#include "brell/brell.hpp"
#include "outcome.hpp"

namespace brell {

// `--needs`: the tables the pipeline reads, one per line.
JobOutcome run_needs(const std::string& pipeline);

// `--draw {way}`: what each step does to the table; written to `stream` as it is made when one
// is given, and then not held in the outcome.
JobOutcome run_drawing(const std::string& pipeline, const std::string& way,
                       const front::Tables& tables, const front::TextSink* stream);

// `--as {backend}` (sql when not given): the pipeline written out in another language.
JobOutcome run_writing(const std::string& pipeline, const std::string& backend,
                       const front::Tables& tables);

}  // namespace brell
