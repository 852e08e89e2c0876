#include "jobs.hpp"

#include <algorithm>
#include <array>
#include <string_view>

#include "backend/sql/registry.hpp"
#include "check/suggest.hpp"
#include "listings.hpp"
#include "parse/parse.hpp"

namespace brell {
namespace {

constexpr std::array<std::string_view, 2> kDrawingWays = {"text", "svg"};

// The stages that are built so far: the sentence is parsed, and a sentence that does not parse
// is refused under the words at fault.
std::optional<JobOutcome> read_words(const std::string& pipeline) {
    auto parsed = parse(pipeline);
    if (!parsed) return refusal(parsed.error(), pipeline);
    return std::nullopt;
}

}  // namespace

JobOutcome run_needs(const std::string& pipeline) {
    auto parsed = parse(pipeline);
    if (!parsed) return refusal(parsed.error(), pipeline);
    return success(needs_listing(*parsed));
}

JobOutcome run_drawing(const std::string& pipeline, const std::string& way,
                       const DescribedColumns&) {
    if (auto refused = read_words(pipeline)) return *refused;
    if (way != "text" && way != "svg") {
        return refusal(
            Diagnostic::illegal("there is no way of drawing called `" + way + "`." +
                                did_you_mean(suggest(way, kDrawingWays)) + " There is: text, svg"),
            pipeline);
    }
    return refusal(Diagnostic::not_built_yet("`--draw " + way +
                                             "` draws the checked steps, and the checker is not "
                                             "here yet"),
                   pipeline);
}

JobOutcome run_writing(const std::string& pipeline, const std::string& backend,
                       const DescribedColumns&) {
    if (auto refused = read_words(pipeline)) return *refused;
    const auto names = backend_names();
    if (std::find(names.begin(), names.end(), backend) == names.end()) {
        return refusal(Diagnostic::illegal("there is no backend called `" + backend + "`." +
                                           did_you_mean(suggest(backend, names)) +
                                           " There is: " + std::string(backend_list())),
                       pipeline);
    }
    return refusal(Diagnostic::not_built_yet("`--as " + backend +
                                             "` writes a checked pipeline, and the checker is not "
                                             "here yet"),
                   pipeline);
}

}  // namespace brell
