// Window messages of the class library: the message record handed to every
// control's WndProc, and the library's private message numbers.
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

// Library messages. The numbers are fixed: components and tests send them by number.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_MOUSEENTER = 0xB013;  // the mouse entered the control; no parameters
constexpr UINT CM_MOUSELEAVE = 0xB014;  // the mouse left the control; no parameters
// Posted by TCustomForm::Release to the form's own window; the form is deleted
// once the handler of every message on the form's stack has returned.
constexpr UINT CM_RELEASE = 0xB021;

// Control notifications: a parent hands WM_COMMAND, WM_DRAWITEM and friends on to
// the control that sent them as CN_BASE + the original message number.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
