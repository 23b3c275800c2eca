#include <gtest/gtest.h>

#include "child_modes.h"

int main(int argc, char **argv) {
    const int childExit = runChildMode(argc, argv);
    if (childExit >= 0) return childExit;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
