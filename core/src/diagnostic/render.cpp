#include "diagnostic/render.hpp"

#include <algorithm>

#include "text/unicode.hpp"

namespace brell {

SentenceLines::SentenceLines(std::string_view text) : text_(text), starts_{0} {
    for (std::size_t at = text.find('\n'); at != std::string_view::npos;
         at = text.find('\n', at + 1)) {
        starts_.push_back(at + 1);
    }
}

std::size_t SentenceLines::line_of(std::size_t offset) const {
    return static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), offset) -
                                    starts_.begin()) -
           1;
}

std::string_view SentenceLines::line(std::size_t index) const {
    const std::size_t end = index + 1 < starts_.size() ? starts_[index + 1] - 1 : text_.size();
    return text_.substr(starts_[index], end - starts_[index]);
}

std::string render(const Diagnostic& diagnostic, const SentenceLines& lines) {
    std::string heading = std::string(kind_word(diagnostic.kind)) + ": " + diagnostic.message;
    if (!diagnostic.span) return heading;

    const std::string_view text = lines.text();
    const std::size_t start = std::min(std::size_t{diagnostic.span->start}, text.size());
    const std::size_t end = std::min(diagnostic.span->end(), text.size());

    const std::size_t line_index = lines.line_of(start);
    const std::size_t line_begin = lines.line_start(line_index);
    std::string line(lines.line(line_index));
    std::replace(line.begin(), line.end(), '\t', ' ');

    const std::size_t indent = count_characters(text.substr(line_begin, start - line_begin));
    const std::size_t width = std::max<std::size_t>(
        1, end > start ? count_characters(text.substr(start, end - start)) : 0);

    const std::string number = std::to_string(line_index + 1);
    const std::string gutter(number.size(), ' ');
    std::string result = std::move(heading);
    result += "\n" + gutter + " |";
    result += "\n" + number + " | " + line;
    result += "\n" + gutter + " | " + std::string(indent, ' ') + std::string(width, '^');
    return result;
}

std::string render(const Diagnostic& diagnostic, std::string_view pipeline_text) {
    return render(diagnostic, SentenceLines(pipeline_text));
}

}  // namespace brell
