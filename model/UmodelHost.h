// The model's only way into the windows: a narrow interface that the user
// interface implements and installs at start-up. Tests install their own.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

class Eintrag;
class TImageList;

// What a file dialog of the model asks for (plain data; the windows own the dialogs).
struct TFileDialogRequest {
    bool ForSaving = false;  // a save dialog, else an open dialog
    std::string Filter;      // "Description|*.ext" pairs separated by '|'
    std::string DefaultExt;  // without the dot
    std::string InitialDir;  // empty: the dialog's own choice
};

// The add/modify dialog's controls as the user left them (plain data): the
// texts of the number fields unconverted, the dates as year, month (1..12) and day.
struct TItemDialogValues {
    std::string IntervalText;     // the interval count field
    int32_t IntervalIndex = 0;    // the interval list's item (0 "Once" .. 4 "Yearly")
    std::string AdvanceDaysText;  // the advance-days field
    std::string Title;
    std::string Text;           // the message text, its lines joined by CR LF
    int32_t PictureColumn = 0;  // the picture strip's selected column
    bool ExactlyAt = true;
    int32_t StartYear = 0;
    int32_t StartMonth = 0;
    int32_t StartDay = 0;
    std::string HourText;
    std::string MinuteText;
    bool StopChecked = false;  // whether a stop date is given
    int32_t StopYear = 0;
    int32_t StopMonth = 0;
    int32_t StopDay = 0;
};

// An alarm window as the model opens and fills it, step by step (the user
// interface's alarm window implements it; tests record the calls).
class IAlarmWindow {
public:
    virtual ~IAlarmWindow() = default;
    // Width and height in pixels.
    virtual void SetSize(int32_t width, int32_t height) = 0;
    // Positions the window by the alarm-window position setting.
    virtual void Place() = 0;
    // The master record shown (not owned).
    virtual void SetEntry(Eintrag* entry) = 0;
    // The alarm text (8-bit).
    virtual void SetMessageText(const std::string& text) = 0;
    // Makes the window visible, non-modally; showing it plays the alarm sound.
    virtual void Show() = 0;
    // The occurrence announced.
    virtual void SetOccurrence(const tm& occurrence) = 0;
    // The reminder's picture index.
    virtual void SetIconIndex(int32_t index) = 0;
    // Brings the window to the foreground.
    virtual void BringToForeground() = 0;
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

    // Repaints the main window at once (before an alarm window opens over it).
    virtual void RefreshMainWindow() {}

    // A new alarm window owned by the main window, or null without windows.
    virtual IAlarmWindow* CreateAlarmWindow() { return nullptr; }

    // The reminder timer's interval in milliseconds (the due check's tick).
    virtual int32_t ReminderTimerInterval() { return 1000; }

    // Opens a sound file in the main window's calendar-sound player; false when it cannot be opened.
    virtual bool OpenCalendarSound(const std::wstring& fileName) {
        (void)fileName;
        return false;
    }

    // Plays the opened calendar sound from its beginning, cutting off a sound still playing.
    virtual void PlayCalendarSound() {}

    // A master is about to be deleted: windows showing it close or let go of it here.
    virtual void ReminderDeleted(Eintrag* master) { (void)master; }

    // The picture collection's image list (not owned), or null without windows.
    virtual TImageList* PictureList() { return nullptr; }

    // The application's standard error box (stop icon, one "OK"); dropped without windows.
    virtual void ShowStandardError(const std::string& text, const std::string& caption) {
        (void)text;
        (void)caption;
    }

    // Reads the add/modify dialog's controls; false while that dialog does not exist.
    virtual bool ReadItemDialog(TItemDialogValues& values) {
        (void)values;
        return false;
    }

    // Ends the delete dialog's modal run (its modal result 1).
    virtual void CloseDeleteDialog() {}

    // After a deletion: redraw the calendar from the rebuilt grid and refill the day list.
    virtual void RefreshCalendarAndDayList() {}

    // Runs the general settings dialog's picture file dialog; the chosen full path,
    // or empty when cancelled (always without windows).
    virtual std::string RunPictureDialog() { return std::string(); }

    // The general settings dialog's working picture list (not owned), or null while that dialog does not exist.
    virtual TImageList* WorkingPictureList() { return nullptr; }

    // A picture was added to the working picture list: the settings dialog shows the list again.
    virtual void WorkingPicturesChanged() {}
};

// The installed host; a default host without windows until one is installed.
IModelHost& ModelHost();
// Installs a host (not owned); nullptr restores the default.
void SetModelHost(IModelHost* host);
