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

    // Opens a sound file in the main window's calendar-sound player; false when it cannot be opened.
    virtual bool OpenCalendarSound(const std::wstring& fileName) {
        (void)fileName;
        return false;
    }

    // Plays the opened calendar sound from its beginning, cutting off a sound still playing.
    virtual void PlayCalendarSound() {}
};

// The installed host; a default host without windows until one is installed.
IModelHost& ModelHost();
// Installs a host (not owned); nullptr restores the default.
void SetModelHost(IModelHost* host);
