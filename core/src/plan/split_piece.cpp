#include "plan/split_piece.hpp"

namespace brell {

std::optional<std::int64_t> written_piece(const Value& piece) {
    const auto* whole = std::get_if<Whole>(&piece.node);
    if (whole == nullptr || whole->number < 1) return std::nullopt;
    return whole->number;
}

SplitSeparator split_separator(const Value& separator) {
    if (const auto* text = std::get_if<Text>(&separator.node)) {
        return text->text.empty() ? SplitSeparator::Empty : SplitSeparator::Written;
    }
    if (std::holds_alternative<Missing>(separator.node)) return SplitSeparator::Written;
    return SplitSeparator::PerRow;
}

}  // namespace brell
