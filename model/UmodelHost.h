// The model's only way into the windows: a narrow interface that the user
// interface implements and installs at start-up. Tests install their own.
#pragma once

#include <cstdint>
#include <string>

// What a file dialog of the model asks for (plain data; the windows own the dialogs).
struct TFileDialogRequest {
    bool ForSaving = false;  // a save dialog, else an open dialog
    std::string Filter;      // "Description|*.ext" pairs separated by '|'
    std::string DefaultExt;  // without the dot
    std::string InitialDir;  // empty: the dialog's own choice
};

class IModelHost {
public:
    virtual ~IModelHost() = default;

    // Number of pictures in the add/modify dialog's picture collection, or -1 while
    // that dialog does not exist (during start-up, and in tests without windows).
    virtual int PictureCount() { return -1; }

    // The program's modal message box (text, title, mode); returns the box's result.
    // Without windows a message is dropped and the result is 0.
    virtual int ShowMessage(const std::wstring& text, const std::wstring& title, int mode) {
        (void)text;
        (void)title;
        (void)mode;
        return 0;
    }

    // Applies the hint timings read by LoadSettings (milliseconds): the main window's
    // hint timer interval and the application's hint hide pause.
    virtual void ApplyHintTimings(int32_t hintDelay, int32_t hintHidePause) {
        (void)hintDelay;
        (void)hintHidePause;
    }

    // Runs a file dialog; the chosen full path, or empty when cancelled (always without windows).
    virtual std::string RunFileDialog(const TFileDialogRequest& request) {
        (void)request;
        return std::string();
    }

    // After an import: rebuild and redraw the calendar and empty the day list.
    virtual void RefreshAfterImport() {}

    // A load replaced the reminder list. The old records are deleted when this
    // returns: windows still showing one of them close or let go of it here.
    virtual void ReminderListReplaced() {}
};

// The installed host; a default host without windows until one is installed.
IModelHost& ModelHost();
// Installs a host (not owned); nullptr restores the default.
void SetModelHost(IModelHost* host);
