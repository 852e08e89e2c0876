#include <gtest/gtest.h>

#include "front/deep_stack.hpp"

// The tests run on the same deep stack as the command line gives every run, so deeply nested
// values are tested as the program meets them.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    int result = 1;
    brell::run_with_deep_stack([&] { result = RUN_ALL_TESTS(); });
    return result;
}
