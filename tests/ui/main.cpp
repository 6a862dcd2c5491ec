#include <gmock/gmock.h>
#include <windows.h>

#include "model/Uglobals.h"
#include "ui/Ugraphic.h"

int main(int argc, char** argv) {
    testing::InitGoogleMock(&argc, argv);
    InitGlobals();
    gCalendarView = new TCalendarView;
    WindowsVersion = GetVersion();
    return RUN_ALL_TESTS();
}
