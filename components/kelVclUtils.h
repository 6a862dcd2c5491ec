// kelVclUtils: routines acting on the application object, its forms and the
// shell. Showing and hiding the application's taskbar button (the application
// object's own window) together with the main form; waiting while messages are
// handled; finding a previous running copy; placing forms in the work area of
// their monitor; walking components and controls; copying and removing files and
// folders; special folders, shell links; opening files, web addresses and mail
// messages through the shell (kelPlatformHooks lets tests record those).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "classlib/Classes.h"
#include "classlib/Controls.h"
#include "classlib/Forms.h"
#include "classlib/Graphics.h"
#include "components/kelClasses.h"

// Shows the application window (SW_SHOWNORMAL) when there is one.
void kelApplicationTaskBarButtonShow();
// Hides the application window when there is one and it is visible.
void kelApplicationTaskBarButtonHide();
// The taskbar button, then the main form when there is one.
void kelMainFormShow();
void kelMainFormHide();

//--- Previous running copy

// The application window of another running copy of this program (same window
// class and title as ours, our own window skipped); null when there is none.
HWND kelFindPrevInstance();
// Brings that copy forward (restoring it when minimised); false when there is none.
bool kelActivatePrevInstance();

//--- Waiting

// Handles the application's messages until the time has passed (at least once,
// also for 0). The caller's code may be re-entered by the messages handled.
void kelDelay(uint32_t milliseconds);

//--- Work areas and form placement (screen coordinates)

// The work area of the monitor holding the form's bounds; the desktop's work area
// without a form or when no monitor holds them.
void kelGetWorkAreaRectByForm(const TControl* form, RECT& rect);
// The work area of the monitor holding the point, else the desktop's.
void kelGetWorkAreaRectByPoint(int x, int y, RECT& rect);
// Centres the form in its work area; its size stays.
void kelFormCenterScreen(TControl* form);
// Moves the form into its work area, never resizing it: a form larger than the
// work area ends at the work area's left and top.
void kelFormFitToScreen(TControl* form);
// Centres the form over a visible other one and fits it into that one's work
// area; without it (or when hidden), centres it on the screen.
void kelFormCenterForm(TControl* form, const TControl* over);

//--- Walking components and controls

// Selects by class: true for an object of the class or one derived from it.
using TkelClassTest = bool (*)(const TObject* object);
template <class T>
bool kelIsClass(const TObject* object) {
    return dynamic_cast<const T*>(object) != nullptr;
}
// Calls the callback, in index order, with each component of the owner (child
// control of the parent) the class test selects, or with every one when there is
// no test. Nothing without an owner (parent) or a callback.
void kelForEachComponent(TComponent* owner, TkelClassTest classTest, const std::function<void(TComponent*)>& callback);
void kelForEachControl(TWinControl* parent, TkelClassTest classTest, const std::function<void(TControl*)>& callback);

//--- Files and folders

// Copies the files of the list as TkelFileOperation's Copy does (default
// options); whether the shell reported success.
bool kelCopyFiles(const TStrings* list);
// Deletes the folder with everything in it, silently and without undo. The root
// of a drive or share is never deleted: such a call does nothing.
void kelRemoveDir(const std::string& folder);
// Removes the folder and creates it again: it exists and is empty. A root is
// left alone.
void kelClearDir(const std::string& folder);
// Copies a file in a thread while the application's messages are handled, with
// the thread's events (on the main thread); returns when the copy has ended
// (finished, failed or cancelled: true) or the application terminates (false). A
// missing source reports error 2 through onError and gives false without a thread.
bool kelCopyFileWithEvents(const std::string& source,
                           const std::string& dest,
                           TkelCopyErrorEvent onError,
                           TkelCopyProgressEvent onProgress,
                           TNotifyEvent onFinish);
// The path of a special folder (CSIDL_*); empty when the system has none.
std::string kelGetSpecialFolderLocation(int folderId);
std::string kelGetFavoritesDir();
std::string kelGetSendToDir();

//--- Shell

// Starts the shell's wizard that makes a shortcut in the folder; whether it started.
bool kelRunShortcutWizard(const std::string& folder);
// Writes a shell link (shortcut) file. The hot key is the text's shortcut
// ("Ctrl+Alt+K") when there is one, else hotKey in the shell's own form (the key
// in the low byte, HOTKEYF_* in the high byte). Whether the file was saved.
bool kelCreateShellLink(const std::string& linkFile,
                        const std::string& target,
                        const std::string& arguments,
                        const std::string& workingDir,
                        const std::string& description,
                        const std::string& iconFile,
                        int iconIndex,
                        uint16_t hotKey,
                        const std::string& hotKeyText,
                        int showCmd);
// Reads a shell link file; true when every part could be read (those read before
// a failure keep their new values). False for a missing file.
bool kelReadShellLink(const std::string& linkFile,
                      std::string& target,
                      std::string& arguments,
                      std::string& workingDir,
                      std::string& description,
                      std::string& iconFile,
                      int& iconIndex,
                      uint16_t& hotKey,
                      std::string& hotKeyText,
                      int& showCmd);
// Opens the file with its default verb.
void kelShellExecute(const std::string& file);
// The icons of that index in the shell's icon library; each given icon takes one.
void kelGetShell32Icon(int index, TIcon* largeIcon, TIcon* smallIcon);
// Opens a web address ("http://" put in front of one without a scheme) with the
// shell; kelGotoUrlEx with useBrowserCommand starts the registered browser
// program directly when it can be found.
void kelGotoUrl(const std::string& address);
void kelGotoUrlEx(const std::string& address, bool useBrowserCommand);
// Opens a new mail message to the address ("mailto:" put in front unless there),
// with the subject when given.
void kelSendEmail(const std::string& address, const std::string& subject);
// The same with subject and body always given.
void kelSendEmailEx(const std::string& address, const std::string& subject, const std::string& body);
