// The application window: minimising through it (as the tray icon sees it from
// its subclass), and the media player over MCI.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "WindowTestSupport.h"
#include "classlib/MPlayer.h"

namespace {

WNDPROC gPreviousProc = nullptr;
std::vector<WPARAM> gSizes;

LRESULT CALLBACK RecordSizes(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_SIZE) gSizes.push_back(wparam);
    return CallWindowProcA(gPreviousProc, window, msg, wparam, lparam);
}

class MinimizeForm : public TForm {
public:
    explicit MinimizeForm(TComponent* owner) : TForm(owner) { SetBounds(0, 0, 200, 100); }
};

}  // namespace

TEST(ApplicationWindow, MinimisingGoesThroughTheApplicationWindowWhichASubclassSees) {
    HWND application = Application->Handle();
    gPreviousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongA(application, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<LONG_PTR>(&RecordSizes))));
    gSizes.clear();
    int minimised = 0;
    Application->OnMinimize = [&minimised](TObject*) { ++minimised; };

    // The main form's own minimise command is redirected to the application.
    MinimizeForm* form = nullptr;
    Application->CreateForm(form);
    ASSERT_EQ(Application->MainForm(), form);
    form->Show();
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    PumpUntilIdle();
    EXPECT_EQ(minimised, 1);
    EXPECT_TRUE(IsIconic(application));
    bool sawMinimised = false;
    for (WPARAM size : gSizes) sawMinimised |= size == SIZE_MINIMIZED;
    EXPECT_TRUE(sawMinimised);
    Application->Restore();
    EXPECT_FALSE(IsIconic(application));

    SetWindowLongA(application, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<LONG_PTR>(gPreviousProc)));
    Application->OnMinimize = nullptr;
    FreeForm(form);
    EXPECT_EQ(Application->MainForm(), nullptr);
    EXPECT_FALSE(IsWindowVisible(application));  // the taskbar button goes with the main form
}

TEST(MediaPlayer, OpeningAMissingFileRaisesAndAValidSoundOpens) {
    TMediaPlayer player(nullptr);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    player.FileName = std::string(temp) + "qr-no-such-sound.wav";
    player.DeviceType = dtAutoSelect;
    EXPECT_THROW(player.Open(), EMCIDeviceError);
    EXPECT_FALSE(player.IsOpen());
    EXPECT_THROW(player.Next(), EMCIDeviceError);

    // 8 kHz, 8-bit mono, 400 samples of silence.
    const std::string name = std::string(temp) + "qr-sound.wav";
    FILE* file = std::fopen(name.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const unsigned char header[] = {'R', 'I', 'F', 'F', 36 + 144, 1, 0,   0,   'W', 'A',  'V',  'E', 'f', 'm',  't',
                                    ' ', 16,  0,   0,   0,        1, 0,   1,   0,   0x40, 0x1F, 0,   0,   0x40, 0x1F,
                                    0,   0,   1,   0,   8,        0, 'd', 'a', 't', 'a',  144,  1,   0,   0};
    std::fwrite(header, 1, sizeof(header), file);
    for (int i = 0; i < 400; ++i) std::fputc(0x80, file);
    std::fclose(file);
    player.FileName = name;
    player.Open();
    EXPECT_TRUE(player.IsOpen());
    player.Next();
    player.Close();
    EXPECT_FALSE(player.IsOpen());
    DeleteFileA(name.c_str());
}
