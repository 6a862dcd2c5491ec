// The program's window host of the model: messages, sounds, pictures, the main
// window's refresh, reminder timer and hint timings, the alarm windows, the
// add/modify dialog's values, the delete dialog with the refresh after a
// deletion, the backup file dialogs with the refresh after an import, and the
// general settings dialog's picture file dialog and working picture list.
#pragma once

#include "model/UmodelHost.h"

class TProgramHost : public IModelHost {
public:
    int PictureCount() override;
    int ShowMessage(const std::wstring& text, const std::wstring& title, int mode) override;
    void ReminderListReplaced() override;
    void RefreshMainWindow() override;
    IAlarmWindow* CreateAlarmWindow() override;
    int32_t ReminderTimerInterval() override;
    bool OpenCalendarSound(const std::wstring& fileName) override;
    void PlayCalendarSound() override;
    void ReminderDeleted(Eintrag* master) override;
    TImageList* PictureList() override;
    void ShowStandardError(const std::string& text, const std::string& caption) override;
    bool ReadItemDialog(TItemDialogValues& values) override;
    void RefreshCalendarAndDayList() override;
    std::string RunFileDialog(const TFileDialogRequest& request) override;
    void RefreshAfterImport() override;
    void CloseDeleteDialog() override;
    void ApplyHintTimings(int32_t hintDelay, int32_t hintHidePause) override;
    std::string RunPictureDialog() override;
    TImageList* WorkingPictureList() override;
    void WorkingPicturesChanged() override;
};
