#pragma once

#include <string>
#include <string_view>

#include "diagnostic/diagnostic.hpp"

namespace brell {

// The diagnostic as the user sees it: "{kind}: {message}", and when it has a span, the line of
// the sentence that holds it with carets under the words. No newline at the end.
std::string render(const Diagnostic& diagnostic, std::string_view pipeline_text);

}  // namespace brell
