// The model's messages and sounds, carried out by the windows.
#include "ui/UprogramHost.h"

#include <windows.h>

#include "ui/UFormMessageBox.h"
#include "ui/UMain.h"

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
