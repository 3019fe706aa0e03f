// The tests run in one single-threaded apartment, as Explorer's handlers do.
#include <gtest/gtest.h>

#include <ole2.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (FAILED(::OleInitialize(nullptr))) return 2;
    int result = RUN_ALL_TESTS();
    ::OleUninitialize();
    return result;
}
