#include <gmock/gmock.h>

#include "classlib/Forms.h"
#include "components/kelLibrary.h"
#include "components/kelPlatformHooks.h"

// The library starts once for the whole test program, as the program's start-up
// does it. An error the application would show in a box fails the running test
// instead: a box would wait for a user forever.
int main(int argc, char** argv) {
    testing::InitGoogleMock(&argc, argv);
    Application->OnException = [](TObject*, const std::string& message) {
        ADD_FAILURE() << "The application was handed an error: " << message;
    };
    // A test that forgot its recorder fails instead of ending the session or
    // suspending the machine (under Wine, ending the session ends every program
    // of the prefix, this one included).
    kelPlatformHooks().ExitWindowsCall = [](UINT) {
        ADD_FAILURE() << "The session would have been ended";
        return FALSE;
    };
    kelPlatformHooks().SetSystemPowerState = [](BOOL, BOOL) {
        ADD_FAILURE() << "The machine would have been suspended";
        return FALSE;
    };
    kelInitialize();
    const int result = RUN_ALL_TESTS();
    kelFinalize();
    return result;
}
