#include <gmock/gmock.h>

#include "components/kelLibrary.h"

// The library starts once for the whole test program, as the program's start-up does it.
int main(int argc, char** argv) {
    testing::InitGoogleMock(&argc, argv);
    kelInitialize();
    const int result = RUN_ALL_TESTS();
    kelFinalize();
    return result;
}
