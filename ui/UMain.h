// The program's main window: a sizeable window without a caption bar showing
// the menu bar, the year and month arrows, the day list and the month calendar,
// which hides to the tray instead of closing. It owns the skin images that every
// window of the program paints with.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "classlib/ComCtrls.h"
#include "classlib/Dialogs.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/MPlayer.h"
#include "classlib/Menus.h"
#include "classlib/StdCtrls.h"
#include "components/HelpRouter.h"
#include "components/kelTrayIcon.h"
#include "ui/ExtnImage.h"

class TMainForm : public TForm {
public:
    explicit TMainForm(TComponent* owner);
    ~TMainForm() override;
    const char* ClassName() const override { return "TMainForm"; }

    //--- Components (the form's resource)
    TExtnImage* ExtnImageGrid = nullptr;
    TExtnImage* ExtnImageMonth = nullptr;
    TExtnImage* ExtnImageYear = nullptr;
    TListBox* ListBoxInfo = nullptr;
    TCoolBar* CoolBarMenu = nullptr;
    TToolBar* ToolBarMenu = nullptr;
    TToolButton* ToolButtonFile = nullptr;
    TToolButton* ToolButtonExtras = nullptr;
    TToolButton* ToolButtonHelp = nullptr;
    TMediaPlayer* MediaPlayerSoundCal = nullptr;
    // The alarm sound's own player: the calendar's keeps the calendar sound open.
    TMediaPlayer* MediaPlayerAlert = nullptr;
    TPopupMenu* PopupMenuOnIcon = nullptr;
    TMenuItem* New2 = nullptr;
    TMenuItem* Edit1 = nullptr;
    TMenuItem* Delete1 = nullptr;
    TTimer* TimerCheckForReminders = nullptr;
    TPopupMenu* PopupMenuTrayIcon = nullptr;
    TMenuItem* RestoreHide1 = nullptr;
    TMenuItem* N6 = nullptr;
    TMenuItem* Exit1 = nullptr;
    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* File1 = nullptr;
    TMenuItem* Hide1 = nullptr;
    TMenuItem* N2 = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* Backupexport1 = nullptr;
    TMenuItem* N3 = nullptr;
    TMenuItem* Exit3 = nullptr;
    TMenuItem* Extras1 = nullptr;
    TMenuItem* Options1 = nullptr;
    TMenuItem* CalenderOptions1 = nullptr;
    TMenuItem* Help1 = nullptr;
    TMenuItem* Contentsandindex1 = nullptr;
    TMenuItem* N4 = nullptr;
    TMenuItem* About1 = nullptr;
    TTimer* TimerShowHint = nullptr;
    TSaveDialog* SaveDialogBackup = nullptr;
    TOpenDialog* OpenDialogBackup = nullptr;
    THelpRouter* HelpRouter = nullptr;
    TkelTrayIcon* MainTrayIcon = nullptr;

    //--- Skin images, cut once at construction and shared by every window
    std::unique_ptr<TBitmap> BitmapDayCell;
    std::unique_ptr<TBitmap> BitmapDayCellHover;
    std::unique_ptr<TBitmap> BitmapDayCellOther;
    std::unique_ptr<TBitmap> BitmapCalendar;
    std::unique_ptr<TBitmap> BitmapIcon;
    std::unique_ptr<TBitmap> BitmapIconMask;
    std::unique_ptr<TBitmap> BitmapSkinTop;
    std::unique_ptr<TBitmap> BitmapGlyph;
    std::unique_ptr<TBitmap> BitmapGlyphHover;
    std::unique_ptr<TBitmap> BitmapGlyphPressed;
    std::unique_ptr<TBitmap> BitmapSkinBG;
    std::unique_ptr<TBitmap> BitmapIconFrame;
    std::unique_ptr<TBitmap> BitmapButtonNormal;
    std::unique_ptr<TBitmap> BitmapButtonHot;
    std::unique_ptr<TBitmap> BitmapButtonPressed;
    std::unique_ptr<TBitmap> BitmapButtonDisabled;
    std::unique_ptr<TBitmap> BitmapArrow;
    std::unique_ptr<TBitmap> BitmapArrowUpPressed;
    std::unique_ptr<TBitmap> BitmapArrowDownPressed;
    std::unique_ptr<TBitmap> BitmapMessageIcon;

    //--- Form events
    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);
    void FormResize(TObject* sender);
    void FormPaint(TObject* sender);
    void FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void FormMouseMove(TObject* sender, TShiftState shift, int x, int y);
    void FormMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void FormCloseQuery(TObject* sender, bool& canClose);
    void FormKeyPress(TObject* sender, char& key);
    void FormDestroy(TObject* sender);

    //--- Component events
    void ExtnImageYearMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void ExtnImageYearMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void ExtnImageMonthMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void ExtnImageMonthMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void TimerCheckForRemindersTimer(TObject* sender);
    void TimerShowHintTimer(TObject* sender);
    void Hide1Click(TObject* sender);
    void Exit1Click(TObject* sender);
    void MainTrayIconClick(TObject* sender);
    void MainTrayIconMinimize(TObject* sender);
    void RestoreHide1Click(TObject* sender);
    void RestoreHide1MeasureItem(TObject* sender, TCanvas* canvas, int& width, int& height);

    //--- Extras and Help menu items
    void Options1Click(TObject* sender);
    void CalenderOptions1Click(TObject* sender);
    void Contentsandindex1Click(TObject* sender);
    void About1Click(TObject* sender);

    //--- Backup menu items
    void N1Click(TObject* sender);
    void Backupexport1Click(TObject* sender);

    //--- The calendar grid, the day list and their context menu
    void ExtnImageGridMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void ExtnImageGridMouseMove(TObject* sender, TShiftState shift, int x, int y);
    void ExtnImageGridMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void ExtnImageGridMouseEnter(TObject* sender);
    void ExtnImageGridMouseLeave(TObject* sender);
    void ListBoxInfoDblClick(TObject* sender);
    void ListBoxInfoMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void ListBoxInfoMouseMove(TObject* sender, TShiftState shift, int x, int y);
    void ListBoxInfoMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void New2Click(TObject* sender);
    void Edit1Click(TObject* sender);
    void Delete1Click(TObject* sender);

    //--- Operations
    // Sizes and places the window by the position mode of the settings.
    void PlaceWindow();
    // Hides the window and its taskbar button and saves the reminders and settings.
    void HideToTray();
    // The window's rectangle into the settings, once the window has been placed.
    void StoreWindowRect();

    void WndProc(TMessage& message) override;

private:
    // The reminders, the window's rectangle and the settings to their files.
    void SaveAll();
    // The end of the Windows session saved everything and ended the program:
    // the destruction that follows writes nothing again.
    bool m_isSavedForSessionEnd = false;

    // The form's resource: the components in resource order with their settings
    // and event bindings.
    void CreateComponents();
    void WMQueryEndSession(TMessage& message);
    void WMEndSession(TMessage& message);
    void WMCaptureChanged(TMessage& message);
    // Draws an arrow image stretched over an arrow control's picture.
    void DrawArrow(TExtnImage* image, TBitmap* arrow);
};

extern TMainForm* MainForm;

// Writes "index.dat" after a change to the reminder list (storing, deleting, a
// drop, an import), so that a crash or a power cut before the next hide loses nothing.
void SaveReminderChanges();

// The program folder of a program file name: up to and including the last "\".
std::string ProgramFolder(const std::string& exeName);
// Where a window of the given size goes by a position mode of the settings on a
// screen of the given size (the remembered mode: rememberedLeft, rememberedTop):
// false for a mode that leaves it where it is.
bool WindowPosition(int32_t mode,
                    int32_t rememberedLeft,
                    int32_t rememberedTop,
                    int32_t screenWidth,
                    int32_t screenHeight,
                    int32_t width,
                    int32_t height,
                    int32_t& left,
                    int32_t& top);

// The milliseconds since Windows started, as the reminder timer reads them
// (the system's GetTickCount unless replaced).
uint32_t SystemUptime();
// Replaces the uptime the reminder timer reads (tests); empty restores the system's.
void SetUptimeFunction(std::function<uint32_t()> uptime);
