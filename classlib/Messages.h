// Window messages of the class library: the message record handed to every
// WndProc.
#pragma once

#include <windows.h>

// One window message as a control's message table sees it. Result goes back to
// the sender.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};
