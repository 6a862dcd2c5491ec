// The application window: minimising through it (as the tray icon sees it from
// its subclass), and the media player over MCI.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "WindowTestSupport.h"
#include "classlib/MPlayer.h"
#include "tests/ScopedApplication.h"

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
        SetWindowLongPtrA(application, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordSizes)));
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

    SetWindowLongPtrA(application, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gPreviousProc));
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
    EXPECT_EQ(player.Length(), 50);
    player.Next();
    player.Close();
    EXPECT_FALSE(player.IsOpen());
    // A quote would end the name in the command and hand the rest to MCI as
    // options (this one opens the sound under an alias of its own choosing):
    // no file name holds one, so it is a file that cannot be opened.
    player.FileName = name + "\" alias qrinjected";
    EXPECT_THROW(player.Open(), EMCIDeviceError);
    EXPECT_FALSE(player.IsOpen());
    DeleteFileA(name.c_str());
}

namespace {

// The steps of the test below, run from a thread timer that every loop of the
// thread dispatches.
struct EndingSteps {
    TCustomForm* form = nullptr;
    int ticks = 0;
    bool isInForeignLoop = false;
    bool wasForeignLoopRun = false;
    bool isTerminated = false;
};
EndingSteps* gSteps = nullptr;

void CALLBACK EndingTick(HWND, UINT, UINT_PTR, DWORD) {
    EndingSteps& steps = *gSteps;
    ++steps.ticks;
    if (!steps.wasForeignLoopRun) {
        // Inside the form's modal loop, a loop of somebody else's (as the
        // system runs while a window is dragged) that takes the quit request
        // and does not hand it on.
        steps.wasForeignLoopRun = true;
        steps.isInForeignLoop = true;
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        steps.isInForeignLoop = false;
        return;
    }
    if (steps.isInForeignLoop && !steps.isTerminated) {
        // "Exit" meanwhile.
        steps.isTerminated = true;
        Application->Terminate();
        return;
    }
    // A modal loop that outlived the end is ended, so that the test cannot hang.
    if (steps.ticks > 40) steps.form->SetModalResult(mrNo);
}

}  // namespace

TEST(ApplicationEnd, TerminateEndsTheLoopsEvenWhenAForeignLoopTookTheQuitRequest) {
    ScopedApplication run;
    MinimizeForm* main = nullptr;
    Application->CreateForm(main);
    auto* form = NewForm<MinimizeForm>(nullptr);
    EndingSteps steps;
    steps.form = form;
    gSteps = &steps;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &EndingTick);
    const TModalResult result = form->ShowModal();
    KillTimer(nullptr, timer);
    gSteps = nullptr;

    EXPECT_TRUE(steps.isTerminated);
    EXPECT_FALSE(steps.isInForeignLoop);
    EXPECT_EQ(result, mrCancel);  // not the safety net's mrNo
    EXPECT_TRUE(Application->Terminated());
    EXPECT_TRUE(IsWindowEnabled(main->Handle()));
    // Every later loop ends at once: a modal one with "Cancel", the message loop
    // without showing the main form.
    auto* later = NewForm<MinimizeForm>(nullptr);
    EXPECT_EQ(later->ShowModal(), mrCancel);
    Application->Run();
    EXPECT_FALSE(IsWindowVisible(main->Handle()));
    // The loop leaves no quit request behind for a box shown at the very end.
    Application->Terminate();
    Application->Run();
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    FreeForm(later);
    FreeForm(form);
}
