#include "text/program_room.hpp"

namespace brell {
namespace {

constexpr std::size_t kBytesPerSentenceByte = 8;

}  // namespace

std::string program_room(std::size_t sentence_bytes) {
    std::string room;
    room.reserve(sentence_bytes * kBytesPerSentenceByte);
    return room;
}

}  // namespace brell
