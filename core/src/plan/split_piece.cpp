#include "plan/split_piece.hpp"

namespace brell {

std::optional<std::int64_t> written_piece(const Value& piece) {
    const auto* whole = std::get_if<Whole>(&piece.node);
    if (whole == nullptr || whole->number < 1) return std::nullopt;
    return whole->number;
}

}  // namespace brell
