// GoogleTest entry shared by every test executable.
#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

int main(int argc, char** argv) {
    // Binary mode: CTest parses the test list line by line, and text mode would add a CR to every name.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
