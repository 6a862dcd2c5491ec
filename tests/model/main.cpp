#include <gmock/gmock.h>

#include "model/Uglobals.h"

int main(int argc, char** argv) {
    testing::InitGoogleMock(&argc, argv);
    InitGlobals();
    return RUN_ALL_TESTS();
}
