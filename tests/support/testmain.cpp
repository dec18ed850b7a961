#include "testenvironment.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    hoedeck::testing::setTestEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
