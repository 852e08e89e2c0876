#include "outcome.hpp"

#include "diagnostic/render.hpp"
#include "help_text.hpp"

namespace brell {

JobOutcome success(std::string output) {
    return JobOutcome{std::move(output), "", 0};
}

JobOutcome usage_error(std::string_view message) {
    std::string report = "brell: ";
    report += message;
    report += "\n\n";
    report += help_text();
    report += "\n";
    return JobOutcome{"", std::move(report), 1};
}

JobOutcome refusal(const Diagnostic& diagnostic, std::string_view pipeline_text) {
    return JobOutcome{"", render(diagnostic, pipeline_text) + "\n", 2};
}

}  // namespace brell
