#include "jobs.hpp"

namespace brell {
namespace {

// The answer as the command line prints it: the text on standard output with the notes on
// standard error, or the refusal on standard error.
JobOutcome printed(front::Answer answer) {
    if (answer.refusal) return refusal(*answer.refusal);
    std::size_t size = 0;
    for (const front::Message& note : answer.notes) size += note.drawn.size() + 1;
    std::string notes;
    notes.reserve(size);
    for (const front::Message& note : answer.notes) {
        notes += note.drawn;
        notes += '\n';
    }
    JobOutcome outcome = success(std::move(answer.text));
    outcome.standard_error = std::move(notes);
    return outcome;
}

}  // namespace

JobOutcome run_needs(const std::string& pipeline) {
    return printed(front::needs(pipeline));
}

JobOutcome run_drawing(const std::string& pipeline, const std::string& way,
                       const front::Tables& tables, const front::TextSink* stream) {
    if (!stream) return printed(front::draw(pipeline, tables, way));
    return printed(front::draw_to(pipeline, tables, way, *stream));
}

JobOutcome run_writing(const std::string& pipeline, const std::string& backend,
                       const front::Tables& tables) {
    return printed(front::compile(pipeline, tables, backend));
}

}  // namespace brell
