// One application object for every test of the list pages.

#include <gtest/gtest.h>

#include "views/list_pages_support.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new tavrin::testing::QtEnvironment);
    return RUN_ALL_TESTS();
}
