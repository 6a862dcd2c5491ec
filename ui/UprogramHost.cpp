// The model's messages and sounds, carried out by the windows.
#include "ui/UprogramHost.h"

#include <windows.h>

#include <algorithm>

#include "model/Uglobals.h"
#include "ui/UFormDeleteItem.h"
#include "ui/UFormMessageBox.h"
#include "ui/UFormModifyItem.h"
#include "ui/UFormRemindeNow.h"
#include "ui/UMain.h"
#include "ui/Uformoptions.h"
#include "ui/Ugraphic.h"
#include "ui/Upictures.h"

int TProgramHost::PictureCount() {
    // Before the add/modify dialog has installed its list (while "index.dat" is
    // read at start), the built-in pictures say nothing about the user's own:
    // no limit, or every reminder with a picture of the user's would lose it.
    if (!IsPictureCollectionInstalled()) return -1;
    return PictureCollection()->Count();
}

int TProgramHost::ShowMessage(const std::wstring& text, const std::wstring& title, int mode) {
    return ShowMessageBox(text, title, mode);
}

bool TProgramHost::OpenCalendarSound(const std::wstring& fileName) {
    if (!MainForm) return false;
    TMediaPlayer* player = MainForm->MediaPlayerSoundCal;
    player->FileName = WideToAnsi(fileName);
    player->DeviceType = dtAutoSelect;
    try {
        player->Open();
        return true;
    } catch (const EMCIDeviceError&) {
        return false;
    }
}

void TProgramHost::PlayCalendarSound() {
    if (!MainForm) return;
    TMediaPlayer* player = MainForm->MediaPlayerSoundCal;
    // No sound device is no reason to interrupt the user.
    try {
        player->Next();
        player->Play();
    } catch (const EMCIDeviceError&) {
    }
}

void TProgramHost::ReminderListReplaced() {
    // The old records go once this returns: no alarm window may keep one, nor the calendar view.
    CloseAllAlarmWindows();
    ForgetReminder(nullptr);
}

void TProgramHost::ReminderDeleted(Eintrag* master) {
    CloseAlarmWindowsFor(master);
    ForgetReminder(master);
}

void TProgramHost::RefreshMainWindow() {
    if (MainForm) MainForm->Refresh();
}

IAlarmWindow* TProgramHost::CreateAlarmWindow() {
    if (!MainForm) return nullptr;
    // Owned by the main window, which takes the windows still open along when it goes.
    return NewForm<TFormRemindeNow>(MainForm);
}

int32_t TProgramHost::ReminderTimerInterval() {
    if (!MainForm) return 1000;
    return static_cast<int32_t>(MainForm->TimerCheckForReminders->Interval());
}

TImageList* TProgramHost::PictureList() {
    return PictureCollection();
}

void TProgramHost::ShowStandardError(const std::string& text, const std::string& caption) {
    Application->MessageBox(text, caption, MB_OK | MB_ICONSTOP);
}

bool TProgramHost::ReadItemDialog(TItemDialogValues& values) {
    return ReadModifyItemDialog(values);
}

void TProgramHost::RefreshCalendarAndDayList() {
    if (!MainForm || !gCalendarView) return;
    gCalendarView->Refresh();
    gCalendarView->FillDayList();
}

std::string TProgramHost::RunFileDialog(const TFileDialogRequest& request) {
    if (!MainForm) return std::string();
    TOpenDialog* dialog = request.ForSaving ? MainForm->SaveDialogBackup : MainForm->OpenDialogBackup;
    dialog->Filter = request.Filter;
    dialog->DefaultExt = request.DefaultExt;
    if (!request.InitialDir.empty()) dialog->InitialDir = request.InitialDir;
    if (!dialog->Execute()) return std::string();
    return dialog->FileName;
}

void TProgramHost::RefreshAfterImport() {
    if (!MainForm || !gCalendarView) return;
    gCalendarView->Refresh();
    MainForm->ListBoxInfo->Clear();
}

void TProgramHost::CloseDeleteDialog() {
    if (FormDeleteItem) FormDeleteItem->SetModalResult(1);
}

void TProgramHost::ApplyHintTimings(int32_t hintDelay, int32_t hintHidePause) {
    // A delay of 0 (or less) from a hand-edited file would stop the hint timer
    // for good: the shortest delay is 1 ms. A negative pause is no pause.
    if (MainForm) MainForm->TimerShowHint->SetInterval(static_cast<unsigned>(std::max(hintDelay, 1)));
    Application->HintHidePause = std::max(hintHidePause, 0);
}

std::string TProgramHost::RunPictureDialog() {
    return RunOptionsPictureDialog();
}

TImageList* TProgramHost::WorkingPictureList() {
    return OptionsWorkingPictures();
}

void TProgramHost::WorkingPicturesChanged() {
    OptionsWorkingPicturesChanged();
}
