#include "outcome.hpp"

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

JobOutcome file_error(std::string_view message) {
    std::string report = "brell: ";
    report += message;
    report += "\n";
    return JobOutcome{"", std::move(report), 1};
}

JobOutcome refusal(const front::Message& refused) {
    return JobOutcome{"", refused.drawn + "\n", 2};
}

}  // namespace brell
