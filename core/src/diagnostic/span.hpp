#pragma once

#include <cstddef>

namespace brell {

// A stretch of the pipeline text, in bytes of its UTF-8 encoding.
struct Span {
    std::size_t start = 0;
    std::size_t length = 0;

    std::size_t end() const { return start + length; }
    bool operator==(const Span&) const = default;
};

// The span from the start of `first` to the end of `last`.
inline Span cover(Span first, Span last) {
    return Span{first.start, last.end() > first.start ? last.end() - first.start : 0};
}

}  // namespace brell
