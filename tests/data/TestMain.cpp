// Data tests: messages are answered by the tests' responders, never shown.

#include "shell/Platform.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
