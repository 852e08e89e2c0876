#pragma once

#include <cstddef>
#include <cstdint>

namespace brell {

// A stretch of the pipeline text, in bytes of its UTF-8 encoding. Every node of the syntax tree
// carries one, so it is held in 32 bits a side: a sentence is read whole into memory, and its
// syntax tree takes several times its size, long before it could reach 4 GiB.
struct Span {
    std::uint32_t start = 0;
    std::uint32_t length = 0;

    constexpr Span() = default;
    constexpr Span(std::size_t start_at, std::size_t length_of)
        : start(static_cast<std::uint32_t>(start_at)),
          length(static_cast<std::uint32_t>(length_of)) {}

    std::size_t end() const { return std::size_t{start} + length; }
    bool operator==(const Span&) const = default;
};

// The longest text a span can reach into: a longer pipeline is refused before it is read.
inline constexpr std::size_t kLongestSpannedText = UINT32_MAX;

// The span from the start of `first` to the end of `last`.
inline Span cover(Span first, Span last) {
    return Span{first.start, last.end() > first.start ? last.end() - first.start : 0};
}

}  // namespace brell
