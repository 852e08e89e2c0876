#include <array>

#include "draw/ladder.hpp"

namespace brell {
namespace {

constexpr std::array<DrawingWay, 2> kDrawingWays = {{
    {"text", "for a terminal"},
    {"svg", "for a page"},
}};

}  // namespace

std::span<const DrawingWay> drawing_ways() {
    return kDrawingWays;
}

std::string drawing_way_list() {
    std::string list;
    for (const DrawingWay& way : kDrawingWays)
        list += (list.empty() ? "" : ", ") + std::string(way.name);
    return list;
}

}  // namespace brell
