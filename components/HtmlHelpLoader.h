// The HTML Help loader: the viewer's control "HHCTRL.OCX" is loaded on the first
// request that needs it and stays until the program ends; its HtmlHelpA entry is
// held here. A failed load is tried again on the next request.
#pragma once

#include <windows.h>

using THtmlHelpAProc = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);

// The loaded library (null while none is) and its HtmlHelpA entry (null when
// the library lacks it).
extern HMODULE HHCtrlHandle;
extern THtmlHelpAProc HtmlHelpAEntry;

// Loads the library unless it is loaded; true when it is loaded.
bool LoadHH();
bool HHLoaded();
// Closes the viewer's windows and lets the library go.
void UnLoadHH();

// HtmlHelpA through the replaceable call (kelPlatformHooks), else the entry;
// null when there is neither.
HWND HtmlHelpCall(HWND caller, const char* file, UINT command, DWORD_PTR data);

// Start and end of the unit (run by kelInitialize and kelFinalize).
void HtmlHelpLoaderInitialize();
void HtmlHelpLoaderFinalize();
