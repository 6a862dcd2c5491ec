// The alarm window: announces a reminder that has fallen due, with its picture
// and text and the alert sound, until the user acknowledges it ("OK") or
// postpones it ("Snooze").
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "model/UmodelHost.h"

class Eintrag;
class TImageButton;

// One alarm: a non-modal, skinned, borderless window made anew for every alarm
// by the due check, owned by the main window, that frees itself when it ends.
// It holds a plain pointer to the master record it shows; the reminder list
// lets it go (CloseAlarmWindowsFor, CloseAllAlarmWindows) before that record is
// deleted, and a window let go of writes into no record.
class TFormRemindeNow : public TForm, public IAlarmWindow {
public:
    explicit TFormRemindeNow(TComponent* owner);
    ~TFormRemindeNow() override;
    const char* ClassName() const override { return "TFormRemindeNow"; }

    //--- Components (the form's resource) and the buttons FormCreate makes
    TPopupMenu* PopupMenuRemindeMeLater = nullptr;
    TMenuItem* N1min1 = nullptr;
    TMenuItem* N5min1 = nullptr;
    TMenuItem* N10min1 = nullptr;
    TMenuItem* N20min1 = nullptr;
    TMenuItem* N30min1 = nullptr;
    TMenuItem* N1hour1 = nullptr;
    TMenuItem* N2hour1 = nullptr;
    TMenuItem* N4hour1 = nullptr;
    TMenuItem* N8hour1 = nullptr;
    TMenuItem* N24hours1 = nullptr;
    TImageButton* ButtonDontRemindeMore = nullptr;  // "OK"
    TImageButton* ButtonRemindeMeLater = nullptr;   // "Snooze"

    //--- What the window shows
    Eintrag* Entry = nullptr;  // the master record (not owned); null once let go of
    tm Occurrence{};
    int32_t IconIndex = 0;
    std::string MessageText;

    //--- Form events
    void FormCreate(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void FormShow(TObject* sender);
    void FormPaint(TObject* sender);
    void FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void FormMouseMove(TObject* sender, TShiftState shift, int x, int y);
    void FormMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);

    //--- Button and menu events
    // "OK" (also Esc, the close glyph and Alt+F4): the occurrence is acknowledged.
    void ButtonDontRemindeMoreClick(TObject* sender);
    // "Snooze": the menu of postponements.
    void ButtonRemindeMeLaterClick(TObject* sender);
    void N1min1Click(TObject* /*sender*/) { Snooze(60); }
    void N5min1Click(TObject* /*sender*/) { Snooze(300); }
    void N10min1Click(TObject* /*sender*/) { Snooze(600); }
    void N20min1Click(TObject* /*sender*/) { Snooze(1200); }
    void N30min1Click(TObject* /*sender*/) { Snooze(1800); }
    void N1hour1Click(TObject* /*sender*/) { Snooze(3600); }
    void N2hour1Click(TObject* /*sender*/) { Snooze(7200); }
    void N4hour1Click(TObject* /*sender*/) { Snooze(14400); }
    void N8hour1Click(TObject* /*sender*/) { Snooze(28800); }
    void N24hours1Click(TObject* /*sender*/) { Snooze(86400); }

    //--- Operations
    // Postpones the reminder by `seconds` and closes the window.
    void Snooze(int32_t seconds);
    // Lets go of the reminder without touching it and closes the window (its
    // reminder is being deleted or the list replaced).
    void Dismiss();
    // The text of a sound failure shown in the window, empty when there is none.
    const std::string& SoundProblem() const { return m_soundProblem; }

    //--- IAlarmWindow: how the due check opens and fills the window
    void SetSize(int32_t width, int32_t height) override;
    void Place() override;
    void SetEntry(Eintrag* entry) override;
    void SetMessageText(const std::string& text) override;
    void Show() override;
    void SetOccurrence(const tm& occurrence) override;
    void SetIconIndex(int32_t index) override;
    void BringToForeground() override;

private:
    // The form's resource.
    void CreateComponents();
    // Plays "alert.wav" on the main window's alarm player; a failure is kept, not raised.
    void PlayAlertSound();
    void StoreWindowPosition();

    std::string m_soundProblem;
};

// The instance made at start-up (never shown: every alarm opens its own window).
extern TFormRemindeNow* FormRemindeNow;

// Where a window of the given size goes by a position mode on a screen of the
// given size: false for a mode that leaves it where it is.
bool AlertFormPosition(int32_t mode,
                       int32_t screenWidth,
                       int32_t screenHeight,
                       int32_t width,
                       int32_t height,
                       int32_t& left,
                       int32_t& top);
// Positions a window by AlertForm_Position_Flag on the primary screen.
void PlaceAlertForm(TCustomForm* window);

// The alarm windows that show a reminder now, oldest first.
std::vector<TFormRemindeNow*> OpenAlarmWindows();
// Closes the alarm windows that show a master, without writing into it.
void CloseAlarmWindowsFor(Eintrag* master);
// Closes every alarm window that shows a reminder, without writing into any.
void CloseAllAlarmWindows();
