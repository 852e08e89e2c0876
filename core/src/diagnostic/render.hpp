#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "diagnostic/diagnostic.hpp"

namespace brell {

// Where each line of a sentence starts, found once, so that many diagnostics can be drawn under
// one sentence without reading it from the top for each.
class SentenceLines {
  public:
    explicit SentenceLines(std::string_view text);

    std::string_view text() const { return text_; }
    // The line (counted from 0) that holds the byte at `offset`; an offset at a line feed belongs
    // to the line that the feed ends.
    std::size_t line_of(std::size_t offset) const;
    // The line's text, without its line feed.
    std::string_view line(std::size_t index) const;
    std::size_t line_start(std::size_t index) const { return starts_[index]; }

  private:
    std::string_view text_;
    std::vector<std::size_t> starts_;
};

// The diagnostic as the user sees it: "{kind}: {message}", and when it has a span, the line of
// the sentence that holds it with carets under the words. No newline at the end.
std::string render(const Diagnostic& diagnostic, const SentenceLines& lines);
std::string render(const Diagnostic& diagnostic, std::string_view pipeline_text);

}  // namespace brell
