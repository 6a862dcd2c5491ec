// The model's only way into the windows: a narrow interface that the user
// interface implements and installs at start-up. Tests install their own.
#pragma once

#include <string>

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
};

// The installed host; a default host without windows until one is installed.
IModelHost& ModelHost();
// Installs a host (not owned); nullptr restores the default.
void SetModelHost(IModelHost* host);
