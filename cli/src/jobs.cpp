#include "jobs.hpp"

#include <algorithm>
#include <array>
#include <string_view>

#include "backend/backend.hpp"
#include "check/checked_pipeline.hpp"
#include "check/checker.hpp"
#include "check/suggest.hpp"
#include "diagnostic/render.hpp"
#include "draw/ladder.hpp"
#include "listings.hpp"
#include "parse/parse.hpp"

namespace brell {
namespace {

constexpr std::array<std::string_view, 2> kDrawingWays = {"text", "svg"};

}  // namespace

JobOutcome run_needs(const std::string& pipeline) {
    auto parsed = parse(pipeline);
    if (!parsed) return refusal(parsed.error(), pipeline);
    return success(needs_listing(*parsed));
}

JobOutcome run_drawing(const std::string& pipeline, const std::string& way,
                       const DescribedColumns& tables) {
    auto parsed = parse(pipeline);
    if (!parsed) return refusal(parsed.error(), pipeline);
    if (way != "text" && way != "svg") {
        return refusal(
            Diagnostic::illegal("there is no way of drawing called `" + way + "`." +
                                did_you_mean(suggest(way, kDrawingWays)) + " There is: text, svg"),
            pipeline);
    }
    const std::vector<TableDescription> described =
        described_tables(tables.named, tables.head, parsed->source.text);
    const Ladder ladder = build_ladder(*parsed, pipeline, described);
    return success(way == "svg" ? draw_svg(ladder) : draw_text(ladder));
}

JobOutcome run_writing(const std::string& pipeline, const std::string& backend_name,
                       const DescribedColumns& tables) {
    auto parsed = parse(pipeline);
    if (!parsed) return refusal(parsed.error(), pipeline);
    const std::string source = parsed->source.text;
    auto checked = check(std::move(*parsed), described_tables(tables.named, tables.head, source));
    if (!checked) return refusal(checked.error(), pipeline);
    const std::unique_ptr<Backend> backend = find_backend(backend_name);
    if (!backend) {
        return refusal(Diagnostic::illegal("there is no backend called `" + backend_name + "`." +
                                           did_you_mean(suggest(backend_name, backend_names())) +
                                           " There is: " + backend_list()),
                       pipeline);
    }
    if (Verdict refused = backend->check(*checked)) return refusal(*refused, pipeline);
    std::string notes;
    const SentenceLines lines(pipeline);
    for (const Diagnostic& note : checked->notes) notes += render(note, lines) + "\n";
    std::string program = backend->write(*checked, checked->columns_before);
    if (program.empty() || program.back() != '\n') program += '\n';
    JobOutcome outcome = success(std::move(program));
    outcome.standard_error = std::move(notes);
    return outcome;
}

}  // namespace brell
