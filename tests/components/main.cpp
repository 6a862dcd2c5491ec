#include <gmock/gmock.h>

#include "classlib/Forms.h"
#include "components/kelLibrary.h"

// The library starts once for the whole test program, as the program's start-up
// does it. An error the application would show in a box fails the running test
// instead: a box would wait for a user forever.
int main(int argc, char** argv) {
    testing::InitGoogleMock(&argc, argv);
    Application->OnException = [](TObject*, const std::string& message) {
        ADD_FAILURE() << "The application was handed an error: " << message;
    };
    kelInitialize();
    const int result = RUN_ALL_TESTS();
    kelFinalize();
    return result;
}
