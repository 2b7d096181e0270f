// The main of every test program: the services start as in the program, then the tests run.
#include <gtest/gtest.h>

#include "startup/StartServices.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    vek::StartServices();
    return RUN_ALL_TESTS();
}
