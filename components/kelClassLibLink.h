// Where the component library meets the class library's window layer: the
// control, picture, image-list and menu types it names, and the application
// object's services it uses, reached through a few small routines.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/Classes.h"
#include "classlib/Controls.h"
#include "classlib/Forms.h"
#include "classlib/Graphics.h"
#include "classlib/ImgList.h"
#include "classlib/Menus.h"

// The application window (the taskbar button), or null before there is one.
HWND kelAppHandle();
// The application's title (the caption of its message boxes).
std::string kelAppTitle();
bool kelAppHasMainForm();
void kelAppSetMainFormVisible(bool visible);
// Whether the message loop shows the main form when it starts.
bool kelAppShowMainForm();
void kelAppSetShowMainForm(bool show);
// The program file's full path.
std::string kelAppExeName();
// Ends the application's message loop.
void kelAppTerminate();
void kelAppProcessMessages();
// Shows the exception being handled (call inside a catch block), sender first.
void kelAppHandleException(TObject* sender) noexcept;
// The window of a component that is a windowed control, or null.
HWND kelWindowOf(TComponent* component);
bool kelIsControlVisible(TComponent* component);
void kelSetControlVisible(TComponent* component, bool visible);
