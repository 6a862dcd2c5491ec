#include <gmock/gmock.h>
#include <windows.h>

#include "classlib/Forms.h"
#include "components/kelLibrary.h"
#include "model/Uglobals.h"
#include "ui/Ugraphic.h"

int main(int argc, char** argv) {
    testing::InitGoogleMock(&argc, argv);
    kelInitialize();
    InitGlobals();
    gCalendarView = new TCalendarView;
    WindowsVersion = GetVersion();
    // The tests drive their windows with sent mouse messages at chosen points.
    // The real pointer, wherever the X server has it, reaches the windows shown
    // under it through the message queue: that input is dropped, so that no
    // test depends on where the pointer happens to be.
    Application->AddMessageFilter([](MSG& msg) {
        const UINT m = msg.message;
        return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK) ||
               m == WM_MOUSELEAVE || m == WM_NCMOUSELEAVE;
    });
    const int result = RUN_ALL_TESTS();
    kelFinalize();
    return result;
}
