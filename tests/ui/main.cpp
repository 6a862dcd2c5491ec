#include <gmock/gmock.h>
#include <windows.h>

#include "components/kelLibrary.h"
#include "model/Uglobals.h"
#include "ui/Ugraphic.h"

int main(int argc, char** argv) {
    testing::InitGoogleMock(&argc, argv);
    kelInitialize();
    InitGlobals();
    gCalendarView = new TCalendarView;
    WindowsVersion = GetVersion();
    const int result = RUN_ALL_TESTS();
    kelFinalize();
    return result;
}
