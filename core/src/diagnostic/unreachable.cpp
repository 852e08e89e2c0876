#include "diagnostic/unreachable.hpp"

#include <cstdio>
#include <cstdlib>

namespace brell {

void unreachable(std::string_view broken_promise) {
    std::fflush(stdout);
    std::fprintf(stderr, "internal error: entered unreachable code: %.*s\n",
                 static_cast<int>(broken_promise.size()), broken_promise.data());
    std::abort();
}

}  // namespace brell
