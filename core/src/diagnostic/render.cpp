#include "diagnostic/render.hpp"

#include <algorithm>

#include "parse/unicode.hpp"

namespace brell {

std::string render(const Diagnostic& diagnostic, std::string_view text) {
    std::string heading = std::string(kind_word(diagnostic.kind)) + ": " + diagnostic.message;
    if (!diagnostic.span) return heading;

    const std::size_t start = std::min(diagnostic.span->start, text.size());
    const std::size_t end = std::min(diagnostic.span->start + diagnostic.span->length, text.size());

    const std::size_t last_feed = start == 0 ? std::string_view::npos : text.rfind('\n', start - 1);
    const std::size_t line_begin = last_feed == std::string_view::npos ? 0 : last_feed + 1;
    const std::size_t line_number =
        1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + start, '\n'));
    std::size_t line_end = text.find('\n', line_begin);
    if (line_end == std::string_view::npos) line_end = text.size();

    std::string line(text.substr(line_begin, line_end - line_begin));
    std::replace(line.begin(), line.end(), '\t', ' ');

    const std::size_t indent = count_characters(text.substr(line_begin, start - line_begin));
    const std::size_t width = std::max<std::size_t>(
        1, end > start ? count_characters(text.substr(start, end - start)) : 0);

    const std::string number = std::to_string(line_number);
    const std::string gutter(number.size(), ' ');
    std::string result = std::move(heading);
    result += "\n" + gutter + " |";
    result += "\n" + number + " | " + line;
    result += "\n" + gutter + " | " + std::string(indent, ' ') + std::string(width, '^');
    return result;
}

}  // namespace brell
