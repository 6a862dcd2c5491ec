// The main window: skin construction, creation steps, placement, layout, the
// frame mechanics (close glyph, drag strip), the arrows and hiding, and the
// clean-up of the program folder at start.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>

#include "UiTestSupport.h"
#include "classlib/Registry.h"
#include "model/Uconverter.h"
#include "model/Uglobals.h"
#include "ui/UMain.h"
#include "ui/Ugraphic.h"

namespace {

class MainWindowTest : public ProgramFolderTest {
protected:
    void SetUp() override {
        EnterProgramFolder("qr-main", &host, [] { return EncodeDate(2024, 3, 15) + 0.5; });
        General_Settings = TGeneralSettingValues{};
        FirstShow = true;
        LastTrayClickTime = 0;
    }

    void TearDown() override {
        if (MainForm) FreeForm(MainForm);
        PumpUntilIdle();
        Application->ShowMainForm = true;
        LeaveProgramFolder();
        EXPECT_TRUE(errors.empty()) << errors.front();
    }

    void CreateAndShow() {
        Application->CreateForm(MainForm);
        MainForm->Show();
        PumpUntilIdle();
    }

    // Sends a click of the left button at a client point of the main window.
    void Click(int x, int y) {
        SendMessageA(MainForm->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y));
        SendMessageA(MainForm->Handle(), WM_LBUTTONUP, 0, Point(x, y));
    }

    RecordingHost host;
};

COLORREF Pixel(TBitmap* bitmap, int x, int y) {
    return bitmap->GetPixel(x, y);
}

// The bytes of an icon file of one 16 x 16 image, 32 bits, all opaque grey.
std::string IconFileBytes() {
    const auto u16 = [](std::string& out, unsigned v) { out.append({char(v & 0xFF), char(v >> 8)}); };
    const auto u32 = [&u16](std::string& out, unsigned v) {
        u16(out, v & 0xFFFF);
        u16(out, v >> 16);
    };
    std::string image;
    for (unsigned v : {40u, 16u, 32u}) u32(image, v);  // colour and mask rows
    u16(image, 1);
    u16(image, 32);
    for (int i = 0; i < 6; ++i) u32(image, 0);
    for (int i = 0; i < 16 * 16; ++i) image.append({char(0x80), char(0x80), char(0x80), char(0xFF)});
    image.append(16 * 4, '\0');  // the mask: every pixel drawn
    std::string file;
    for (unsigned v : {0u, 1u, 1u}) u16(file, v);  // an icon file of one image
    file.append({16, 16, 0, 0});
    u16(file, 1);
    u16(file, 32);
    u32(file, static_cast<unsigned>(image.size()));
    u32(file, 22);
    return file + image;
}

}  // namespace

TEST_F(MainWindowTest, ConstructionCutsEverySkinImageFromItsPlace) {
    Application->CreateForm(MainForm);
    TMainForm* form = MainForm;
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(AppPath, folder);
    struct Cut {
        TBitmap* bitmap;
        int x, y, width, height;
    };
    const Cut topCuts[] = {
        {form->BitmapDayCell.get(), 170, 100, 47, 44},        {form->BitmapDayCellHover.get(), 217, 100, 47, 44},
        {form->BitmapDayCellOther.get(), 264, 100, 47, 44},   {form->BitmapGlyph.get(), 209, 160, 16, 16},
        {form->BitmapGlyphHover.get(), 225, 160, 16, 16},     {form->BitmapGlyphPressed.get(), 241, 160, 16, 16},
        {form->BitmapMessageIcon.get(), 558, 100, 32, 32},    {form->BitmapArrow.get(), 170, 160, 13, 20},
        {form->BitmapArrowUpPressed.get(), 183, 160, 13, 20}, {form->BitmapArrowDownPressed.get(), 196, 160, 13, 20},
    };
    for (const Cut& cut : topCuts) {
        ASSERT_EQ(cut.bitmap->Width(), cut.width);
        ASSERT_EQ(cut.bitmap->Height(), cut.height);
        EXPECT_EQ(Pixel(cut.bitmap, 0, 0), TopPixel(cut.x, cut.y)) << cut.x << "," << cut.y;
        EXPECT_EQ(Pixel(cut.bitmap, cut.width - 1, cut.height - 1),
                  TopPixel(cut.x + cut.width - 1, cut.y + cut.height - 1));
    }
    TBitmap* buttons[] = {form->BitmapButtonNormal.get(), form->BitmapButtonHot.get(), form->BitmapButtonPressed.get(),
                          form->BitmapButtonDisabled.get()};
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(buttons[i]->Width(), 75);
        ASSERT_EQ(buttons[i]->Height(), 25);
        EXPECT_EQ(Pixel(buttons[i], 3, 4), ButtonPixel(3, 25 * i + 4));
    }
    EXPECT_EQ(form->BitmapSkinTop->Width(), 600);
    EXPECT_EQ(form->BitmapSkinBG->Height(), 200);
    EXPECT_EQ(Pixel(form->BitmapSkinBG.get(), 399, 199), BackgroundPixel(399, 199));
    EXPECT_EQ(form->BitmapIconMask->Width(), 32);
    EXPECT_EQ(form->BitmapIconFrame->Height(), 32);
    EXPECT_EQ(form->BitmapIcon->Width(), 0);
    // The released arrow stretched over both 18 x 20 arrow images.
    for (TExtnImage* arrow : {form->ExtnImageMonth, form->ExtnImageYear}) {
        TBitmap* picture = arrow->Picture()->Bitmap();
        ASSERT_EQ(picture->Width(), 18);
        ASSERT_EQ(picture->Height(), 20);
        EXPECT_EQ(picture->GetPixel(0, 0), TopPixel(170, 160));
        EXPECT_EQ(picture->GetPixel(17, 19), TopPixel(182, 179));
    }
    // The caption bar's removal resized the window once it was created, and the
    // cells follow the new client size.
    EXPECT_EQ(CellWidth, (form->ClientWidth() - 180) / 7);
    EXPECT_EQ(CellHeight, (form->ClientHeight() - 130) / 6);
    // The menu bar shows the skin under it.
    TBitmap* bar = form->CoolBarMenu->Bitmap();
    ASSERT_EQ(bar->Width(), 143);
    EXPECT_EQ(bar->GetPixel(0, 0), TopPixel(10, 24));
    EXPECT_EQ(bar->GetPixel(142, 18), TopPixel(152, 42));
}

TEST_F(MainWindowTest, MissingSkinSheetRaisesAndLeavesNoWindowAndSavesNothing) {
    for (const char* sheet : {"Top.bmp", "BG.bmp", "btn.bmp"}) {
        SCOPED_TRACE(sheet);
        RemoveFolder(folder + "Skins");
        WriteSkins(folder);
        DeleteFileA((folder + "Skins\\Default\\" + sheet).c_str());
        // A window that had been created would store its rectangle when destroyed.
        General_Settings.MainForm_Width = 12345;
        try {
            Application->CreateForm(MainForm);
            FAIL() << "no exception";
        } catch (const EFOpenError& error) {
            EXPECT_NE(error.Message().find(std::string("Skins\\Default\\") + sheet), std::string::npos)
                << error.Message();
        }
        EXPECT_EQ(MainForm, nullptr);
        EXPECT_EQ(Application->MainForm(), nullptr);
        EXPECT_EQ(FindWindowA("TMainForm", nullptr), nullptr);
        EXPECT_EQ(General_Settings.MainForm_Width, 12345);
    }
}

TEST_F(MainWindowTest, CreationStepsSetCaptionStyleMonthStartVisibilityAndTheHintTimer) {
    General_Settings.Hide_Window_at_Start = 1;
    Calendar_Settings.Calendar_First_Column = 1;
    WriteTextFile(folder + "main.ico", "not an icon");  // a bad icon is ignored
    TRegistry registry;
    registry.RootKey = HKEY_CURRENT_USER;
    ASSERT_TRUE(registry.OpenKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", true));
    registry.WriteString("Quib Reminder", "C:\\QuibReminder.exe");

    Application->CreateForm(MainForm);
    HWND window = MainForm->Handle();
    char caption[64] = {0};
    GetWindowTextA(window, caption, sizeof(caption));
    EXPECT_STREQ(caption, "Quib Reminder");
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_NE(style & WS_THICKFRAME, 0);
    EXPECT_FALSE(Application->ShowMainForm);
    EXPECT_TRUE(AutostartEnabled);
    EXPECT_EQ(ShownMonth, 2);
    EXPECT_EQ(ShownYear, 2024);
    // March 2024 starts on a Friday: the grid starts on Sunday 25 February.
    const tm first = gConverter->Cells[0][0].GetDateOnly();
    EXPECT_EQ(first.tm_mon, 1);
    EXPECT_EQ(first.tm_mday, 25);
    EXPECT_TRUE(gConverter->Cells[0][5].IsInMonth());
    EXPECT_EQ(Application->ShowHint(), true);

    registry.DeleteValue("Quib Reminder");
    FreeForm(MainForm);
    // The first window saved its settings when it went: start again without them.
    DeleteFileA((folder + "Settings.xml").c_str());
    General_Settings.Hide_Window_at_Start = 0;
    Application->CreateForm(MainForm);
    EXPECT_TRUE(Application->ShowMainForm);
    EXPECT_FALSE(AutostartEnabled);
    // Without settings the hint timer keeps the form's interval; it runs from the
    // start, so it ticks once and then stays off.
    TTimer* hints = MainForm->TimerShowHint;
    EXPECT_EQ(hints->Interval(), 700u);
    EXPECT_TRUE(hints->Enabled());
    hints->Tick();
    EXPECT_FALSE(hints->Enabled());
}

TEST_F(MainWindowTest, TheStartRemovesTheTemporaryFilesOfAnInterruptedSaveAndNothingElse) {
    struct Entry {
        const char* name;
        bool isLeftover;
    };
    const Entry entries[] = {
        {"~qr1.tmp", true},      {"~qrA3F.tmp", true},  {"~qrbeef.tmp", true},  {"~QRFFFF.TMP", true},
        {"~qr12345.tmp", false}, {"~qrZZ.tmp", false},  {"~qr.tmp", false},     {"x~qr1.tmp", false},
        {"~qr1.tmp.bak", false}, {"~qr1.txt", false},   {"~ab1.tmp", false},    {"index.dat", false},
    };
    for (const Entry& entry : entries) WriteTextFile(folder + entry.name, "");
    CreateDirectoryA((folder + "~qr2.tmp").c_str(), nullptr);
    Application->CreateForm(MainForm);
    for (const Entry& entry : entries)
        EXPECT_EQ(GetFileAttributesA((folder + entry.name).c_str()) == INVALID_FILE_ATTRIBUTES, entry.isLeftover)
            << entry.name;
    EXPECT_NE(GetFileAttributesA((folder + "~qr2.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(MainWindowTest, TheUsersIconReplacesBothIconsAndAnyFailureWhileLoadingItIsIgnored) {
    WriteTextFile(folder + "main.ico", IconFileBytes());
    TIcon* appIcon = Application->Icon();
    const std::function<void()> keptOnChange = appIcon->OnChange;
    const HICON keptIcon = appIcon->Handle() ? CopyIcon(appIcon->Handle()) : nullptr;

    Application->CreateForm(MainForm);
    EXPECT_EQ(appIcon->Width(), 16);
    EXPECT_EQ(MainForm->MainTrayIcon->Icon()->Width(), 16);
    FreeForm(MainForm);

    // A failure that is not the class library's own (here: out of memory while
    // the application takes the icon) is ignored as well.
    appIcon->OnChange = [] { throw std::bad_alloc(); };
    Application->CreateForm(MainForm);
    appIcon->OnChange = keptOnChange;
    ASSERT_NE(MainForm, nullptr);
    EXPECT_TRUE(IsWindow(MainForm->Handle()));
    appIcon->SetHandle(keptIcon);
}

TEST_F(MainWindowTest, FirstShowPreparesTheSoundAndPlacesTheWindowOnce) {
    General_Settings.MainForm_Left = 100;
    General_Settings.MainForm_Top = 100;
    General_Settings.MainForm_Width = 500;
    General_Settings.MainForm_Height = 500;
    CreateAndShow();
    EXPECT_EQ(MainForm->Left(), 100);
    EXPECT_EQ(MainForm->Top(), 100);
    EXPECT_EQ(MainForm->Width(), 520);  // the minimum width holds
    EXPECT_EQ(MainForm->Height(), 500);
    ASSERT_EQ(host.sounds.size(), 1u);
    EXPECT_EQ(host.sounds[0], L"mv.wav");  // no mv.wav in the folder: the name as given
    EXPECT_TRUE(IsWindowVisible(MainForm->Handle()));
    EXPECT_TRUE(MainForm->DoubleBuffered);

    // Later shows keep the place the user left the window at.
    MainForm->SetBounds(40, 50, 600, 450);
    MainForm->Hide();
    MainForm->Show();
    EXPECT_EQ(MainForm->Left(), 40);
    EXPECT_EQ(MainForm->Width(), 600);
    EXPECT_EQ(host.sounds.size(), 1u);
}

TEST_F(MainWindowTest, PlacementForEveryPositionMode) {
    // On a 1024 x 768 screen, by fixed numbers: halves are rounded down one by one.
    struct Fixed {
        int mode, width, height, left, top;
    };
    const Fixed fixed[] = {
        {0, 600, 450, 30, 40},   {1, 521, 401, 252, 184}, {2, 600, 450, 0, 0},
        {3, 600, 450, 424, 0},   {4, 600, 450, 0, 318},   {5, 600, 450, 424, 318},
    };
    for (const Fixed& c : fixed) {
        SCOPED_TRACE(c.mode);
        int32_t left = -1;
        int32_t top = -1;
        ASSERT_TRUE(WindowPosition(c.mode, 30, 40, 1024, 768, c.width, c.height, left, top));
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(top, c.top);
    }

    // The window itself, on the real screen, by the size it took from the settings.
    CreateAndShow();
    const int W = GetSystemMetrics(SM_CXSCREEN);
    const int H = GetSystemMetrics(SM_CYSCREEN);
    General_Settings.MainForm_Left = 30;
    General_Settings.MainForm_Top = 40;
    General_Settings.MainForm_Width = 601;
    General_Settings.MainForm_Height = 451;
    struct Case {
        int mode, left, top;
    };
    const Case cases[] = {
        {0, 30, 40}, {2, 0, 0}, {3, W - 601, 0}, {4, 0, H - 451}, {5, W - 601, H - 451},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        MainForm->SetBounds(7, 8, 700, 700);
        General_Settings.MainForm_Position_Flag = c.mode;
        MainForm->PlaceWindow();
        EXPECT_EQ(MainForm->Left(), c.left);
        EXPECT_EQ(MainForm->Top(), c.top);
        EXPECT_EQ(MainForm->Width(), 601);
        EXPECT_EQ(MainForm->Height(), 451);
        RECT rect;
        GetWindowRect(MainForm->Handle(), &rect);
        EXPECT_EQ(rect.left, c.left);
        EXPECT_EQ(rect.bottom - rect.top, 451);
    }
    // An unknown mode sizes the window but leaves it where it is.
    MainForm->SetBounds(7, 8, 700, 700);
    General_Settings.MainForm_Position_Flag = 9;
    General_Settings.MainForm_Width = 300;
    General_Settings.MainForm_Height = 200;
    MainForm->PlaceWindow();
    EXPECT_EQ(MainForm->Left(), 7);
    EXPECT_EQ(MainForm->Top(), 8);
    EXPECT_EQ(MainForm->Width(), 520);
    EXPECT_EQ(MainForm->Height(), 400);
}

TEST_F(MainWindowTest, LayoutFollowsTheClientSizeAtMinimumAndLargeSizes) {
    CreateAndShow();
    for (const SIZE size : {SIZE{520, 400}, SIZE{1200, 900}}) {
        SCOPED_TRACE(size.cx);
        MainForm->SetBounds(0, 0, size.cx, size.cy);
        PumpUntilIdle();
        const int CW = MainForm->ClientWidth();
        const int CH = MainForm->ClientHeight();
        EXPECT_EQ(MainForm->ExtnImageYear->Left(), CW - 98);
        EXPECT_EQ(MainForm->ExtnImageMonth->Left(), CW - 196);
        EXPECT_EQ(MainForm->ExtnImageYear->Top(), 40);
        TExtnImage* grid = MainForm->ExtnImageGrid;
        EXPECT_EQ(grid->Left(), 170);
        EXPECT_EQ(grid->Top(), 100);
        EXPECT_EQ(grid->Width(), CW - 170 - 10);
        EXPECT_EQ(grid->Height(), CH - 130);
        EXPECT_EQ(grid->Picture()->Width(), grid->Width());
        EXPECT_EQ(grid->Picture()->Height(), grid->Height());
        const RECT list = MainForm->ListBoxInfo->BoundsRect();
        EXPECT_EQ(list.left, 10);
        EXPECT_EQ(list.top, 100);
        EXPECT_EQ(list.right - list.left, 150);
        EXPECT_EQ(list.bottom - list.top, CH - 130);
        EXPECT_EQ(MainForm->BitmapCalendar->Width(), CW - 180);
        EXPECT_EQ(MainForm->BitmapCalendar->Height(), CH - 130);
        EXPECT_EQ(CellWidth, (CW - 180) / 7);
        EXPECT_EQ(CellHeight, (CH - 130) / 6);
        EXPECT_FALSE(MouseOverGrid);
    }
    // Nothing smaller than the minimum.
    MainForm->SetBounds(0, 0, 100, 100);
    EXPECT_EQ(MainForm->Width(), 520);
    EXPECT_EQ(MainForm->Height(), 400);
}

TEST_F(MainWindowTest, DragStripEndsAtRowTwentyAndTheGlyphHidesOnALeftRelease) {
    CreateAndShow();
    HWND window = MainForm->Handle();
    const int CW = MainForm->ClientWidth();
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(250, 20));
    SendMessageA(window, WM_LBUTTONUP, 0, Point(250, 20));
    EXPECT_EQ(drags.size(), 1u);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(250, 21));
    SendMessageA(window, WM_LBUTTONUP, 0, Point(250, 21));
    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, Point(250, 5));
    SendMessageA(window, WM_RBUTTONUP, 0, Point(250, 5));
    EXPECT_EQ(drags.size(), 1u);
    // The glyph itself is no drag strip.
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(CW - 12, 10));
    EXPECT_EQ(drags.size(), 1u);
    SendMessageA(window, WM_LBUTTONUP, 0, Point(CW - 12, 40));  // released elsewhere: nothing
    EXPECT_TRUE(IsWindowVisible(window));

    // A right press shows the pressed glyph; a right release does not hide.
    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, Point(CW - 12, 10));
    HDC dc = GetDC(window);
    EXPECT_EQ(GetPixel(dc, CW - 20, 2), TopPixel(241, 160));
    ReleaseDC(window, dc);
    SendMessageA(window, WM_RBUTTONUP, 0, Point(CW - 12, 10));
    EXPECT_TRUE(IsWindowVisible(window));

    // Hover look on the glyph, normal look once off it.
    SendMessageA(window, WM_MOUSEMOVE, 0, Point(CW - 12, 10));
    EXPECT_TRUE(GlyphHovered);
    SendMessageA(window, WM_MOUSEMOVE, 0, Point(CW - 60, 10));
    EXPECT_FALSE(GlyphHovered);

    MainForm->SetBounds(11, 12, 640, 480);
    Click(MainForm->ClientWidth() - 12, 10);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(MainForm->Visible());
    EXPECT_EQ(General_Settings.MainForm_Left, 11);
    EXPECT_EQ(General_Settings.MainForm_Width, 640);
}

TEST_F(MainWindowTest, EscapeCloseRequestAndSessionEndHideOrSave) {
    CreateAndShow();
    HWND window = MainForm->Handle();
    SendMessageA(window, WM_CHAR, 27, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    MainForm->Show();
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(IsWindow(window));
    MainForm->SetBounds(20, 30, 700, 500);
    EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, 0), 1);
    // A session that does not end after all still saves (an ending one also ends
    // the program, which the run tests check with an application of their own).
    SendMessageA(window, WM_ENDSESSION, FALSE, 0);
    EXPECT_FALSE(Application->Terminated());
    EXPECT_EQ(General_Settings.MainForm_Top, 30);
    EXPECT_EQ(General_Settings.MainForm_Height, 500);
}

TEST_F(MainWindowTest, AHiddenStartKeepsTheRememberedRectangleUntilTheWindowIsPlaced) {
    for (const bool isSessionEnd : {false, true}) {
        SCOPED_TRACE(isSessionEnd ? "session end" : "exit");
        FirstShow = true;
        General_Settings.Hide_Window_at_Start = 1;
        General_Settings.MainForm_Left = 31;
        General_Settings.MainForm_Top = 41;
        General_Settings.MainForm_Width = 611;
        General_Settings.MainForm_Height = 451;
        Application->CreateForm(MainForm);
        ASSERT_FALSE(Application->ShowMainForm);
        if (isSessionEnd)
            SendMessageA(MainForm->Handle(), WM_ENDSESSION, FALSE, 0);
        else
            FreeForm(MainForm);  // the end of the program
        EXPECT_EQ(General_Settings.MainForm_Left, 31);
        EXPECT_EQ(General_Settings.MainForm_Top, 41);
        EXPECT_EQ(General_Settings.MainForm_Width, 611);
        EXPECT_EQ(General_Settings.MainForm_Height, 451);
    }
    // Once shown and placed, the window's own rectangle is stored again.
    MainForm->Show();
    EXPECT_EQ(MainForm->Left(), 31);
    MainForm->SetBounds(50, 60, 700, 500);
    SendMessageA(MainForm->Handle(), WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(General_Settings.MainForm_Left, 50);
    EXPECT_EQ(General_Settings.MainForm_Height, 500);
}

TEST_F(MainWindowTest, TheTrayIconHidesOnMinimiseAndItsClicksAndMenuBringTheWindowBack) {
    CreateAndShow();
    TkelTrayIcon* tray = MainForm->MainTrayIcon;
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(tray->Hint(), "Quib Reminder");
    EXPECT_TRUE(tray->MinimizeToTray());
    EXPECT_EQ(tray->PopupMenu(), MainForm->PopupMenuTrayIcon);
    EXPECT_TRUE(tray->Visible());
    HWND window = MainForm->Handle();
    HWND app = Application->Handle();
    auto callback = [&](UINT event) { SendMessageA(tray->WindowHandle(), kelTrayIconCallbackMsg, 0, event); };

    // Minimising hides the window and its taskbar button, and saves nothing.
    SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(IsWindowVisible(app));
    EXPECT_EQ(GetFileAttributesA((folder + "index.dat").c_str()), INVALID_FILE_ATTRIBUTES);
    // A double click brings both back.
    callback(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(IsWindowVisible(app));

    // Two clicks within the double-click time restore the hidden window too.
    SendMessageA(window, WM_CHAR, 27, 0);
    ASSERT_FALSE(IsWindowVisible(window));
    callback(WM_LBUTTONDOWN);
    callback(WM_LBUTTONUP);
    EXPECT_FALSE(IsWindowVisible(window));
    SetClock([] { return EncodeDate(2024, 3, 15) + 0.5 + 0.1 / 86400; });
    callback(WM_LBUTTONDOWN);
    callback(WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(window));
    // A click long after the last one does not.
    SendMessageA(window, WM_CHAR, 27, 0);
    SetClock([] { return EncodeDate(2024, 3, 15) + 0.5 + 60.0 / 86400; });
    callback(WM_LBUTTONDOWN);
    callback(WM_LBUTTONUP);
    EXPECT_FALSE(IsWindowVisible(window));

    // The tray menu's first item names what it does and does it.
    int width = 0, height = 0;
    MainForm->RestoreHide1->OnMeasureItem(MainForm->RestoreHide1, nullptr, width, height);
    EXPECT_EQ(MainForm->RestoreHide1->Caption, "Restore Quib Reminder");
    MainForm->RestoreHide1->Click();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(IsWindowVisible(app));
    MainForm->RestoreHide1->OnMeasureItem(MainForm->RestoreHide1, nullptr, width, height);
    EXPECT_EQ(MainForm->RestoreHide1->Caption, "Hide Quib Reminder");
    MainForm->RestoreHide1->Click();
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_NE(GetFileAttributesA((folder + "index.dat").c_str()), INVALID_FILE_ATTRIBUTES);  // hiding saves

    // The right button opens the tray menu at the cursor.
    std::vector<POINT> popups;
    SetPopupMenuTracker([&](HMENU menu, int x, int y, UINT) -> UINT {
        EXPECT_EQ(GetMenuItemCount(menu), 3);
        popups.push_back({x, y});
        return 0;
    });
    callback(WM_RBUTTONUP);
    SetPopupMenuTracker(nullptr);
    EXPECT_EQ(popups.size(), 1u);
}

TEST_F(MainWindowTest, ArrowsStepAndWrapYearsAndMonthsAlsoWithNegativeCoordinates) {
    CreateAndShow();
    HWND window = MainForm->Handle();
    const int yearX = MainForm->ExtnImageYear->Left();
    const int monthX = MainForm->ExtnImageMonth->Left();
    MainForm->ListBoxInfo->Items()->Add("an entry");

    ShownYear = 2035;
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(yearX + 5, 40 + 3));
    EXPECT_EQ(ShownYear, 1970);
    EXPECT_EQ(MainForm->ListBoxInfo->Items()->Count(), 0);
    EXPECT_EQ(MainForm->ExtnImageYear->Picture()->Bitmap()->GetPixel(0, 0), TopPixel(183, 160));
    // Released far outside: the arrow still gets the release, with negative coordinates.
    SendMessageA(window, WM_LBUTTONUP, 0, Point(-40, -30));
    EXPECT_EQ(MainForm->ExtnImageYear->Picture()->Bitmap()->GetPixel(0, 0), TopPixel(170, 160));

    ShownYear = 1970;
    ShownMonth = 0;
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(monthX + 5, 40 + 15));
    SendMessageA(window, WM_LBUTTONUP, 0, Point(monthX + 5, 40 + 15));
    EXPECT_EQ(ShownMonth, 11);
    EXPECT_EQ(ShownYear, 2035);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(monthX + 5, 40 + 2));
    SendMessageA(window, WM_LBUTTONUP, 0, Point(monthX + 5, 40 + 2));
    EXPECT_EQ(ShownMonth, 0);
    EXPECT_EQ(ShownYear, 1970);
    // The grid shows the month: 1 January 1970 was a Thursday.
    EXPECT_EQ(gConverter->Cells[0][4].GetDay(), 1);
    EXPECT_TRUE(gConverter->Cells[0][4].IsInMonth());
    EXPECT_FALSE(gConverter->Cells[0][3].IsInMonth());
}

TEST_F(MainWindowTest, MenuButtonsAndTheTrayDropTheirMenus) {
    CreateAndShow();
    std::vector<std::string> captions;
    SetPopupMenuTracker([&captions](HMENU menu, int, int, UINT) {
        captions.clear();
        char text[64];
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            text[0] = 0;
            GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
            captions.push_back(text);
        }
        return 0u;
    });
    // The buttons sit side by side on the menu bar, File at the left.
    struct Drop {
        TToolButton* button;
        std::vector<std::string> captions;
    };
    const Drop drops[] = {
        {MainForm->ToolButtonFile, {"&Hide", "", "Backup &import...", "Backup &export...", "", "E&xit"}},
        {MainForm->ToolButtonExtras, {"&General Settings...", "&Calendar Settings..."}},
        {MainForm->ToolButtonHelp, {"&Contents and Index", "", "&About"}},
    };
    for (const Drop& drop : drops) {
        SCOPED_TRACE(drop.captions.front());
        captions.clear();
        POINT client = drop.button->ClientToScreen(POINT{5, 5});
        ScreenToClient(MainForm->ToolBarMenu->Handle(), &client);
        SendMessageA(MainForm->ToolBarMenu->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(client.x, client.y));
        SendMessageA(MainForm->ToolBarMenu->Handle(), WM_LBUTTONUP, 0, Point(client.x, client.y));
        EXPECT_EQ(captions, drop.captions);
    }
    // The tray menu is owner-drawn, so its items are known by their commands. The
    // blanks after "Exit" widen it for the longer caption the first item takes.
    captions.clear();
    SetPopupMenuTracker([&captions](HMENU menu, int, int, UINT) {
        const TMenuItem* items = MainForm->PopupMenuTrayIcon->Items();
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            MENUITEMINFOA info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_ID;
            GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
            if (info.fType & MFT_SEPARATOR) captions.push_back("-");
            for (int k = 0; k < items->Count(); ++k)
                if (!items->Items(k)->IsLine() && items->Items(k)->Command() == info.wID)
                    captions.push_back(items->Items(k)->Caption);
        }
        return 0u;
    });
    SendMessageA(MainForm->MainTrayIcon->WindowHandle(), kelTrayIconCallbackMsg, 0, WM_RBUTTONUP);
    SetPopupMenuTracker(nullptr);
    EXPECT_EQ(captions,
              (std::vector<std::string>{"&Restore Main Window", "-", "&Exit Quib Reminder" + std::string(10, ' ')}));
}

TEST_F(MainWindowTest, PaintingBlitsTheFrameAndTheCellsPickTheirPictures) {
    CreateAndShow();
    HWND window = MainForm->Handle();
    const int W = MainForm->ClientWidth();
    const int H = MainForm->ClientHeight();
    MainForm->Invalidate();
    UpdateWindow(window);
    HDC dc = GetDC(window);
    EXPECT_EQ(GetPixel(dc, 5, 5), TopPixel(5, 5));              // upper-left corner
    EXPECT_EQ(GetPixel(dc, W - 2, 2), TopPixel(598, 2));        // upper-right corner
    EXPECT_EQ(GetPixel(dc, 3, H - 3), TopPixel(3, 207));        // lower-left corner
    EXPECT_EQ(GetPixel(dc, W - 3, H - 3), TopPixel(597, 207));  // lower-right corner
    EXPECT_EQ(GetPixel(dc, W - 20, 2), TopPixel(209, 160));     // the close glyph
    ReleaseDC(window, dc);

    // March 2024: the first row runs from Sunday 25 February to Saturday 2 March.
    TBitmap* cells = MainForm->BitmapCalendar.get();
    EXPECT_EQ(cells->GetPixel(0, 0), TopPixel(264, 100));              // other month
    EXPECT_EQ(cells->GetPixel(5 * CellWidth, 0), TopPixel(170, 100));  // in the month
    HoverColumn = 5;
    HoverRow = 0;
    MouseOverGrid = true;
    gCalendarView->DrawCells();
    EXPECT_EQ(cells->GetPixel(5 * CellWidth, 0), TopPixel(217, 100));  // hovered
    HoverColumn = 0;
    gCalendarView->DrawCells();
    EXPECT_EQ(cells->GetPixel(0, 0), TopPixel(264, 100));  // no hover look outside the month
    MouseOverGrid = false;
    // The grid image shows the composed cells.
    EXPECT_EQ(MainForm->ExtnImageGrid->Picture()->Bitmap()->GetPixel(5 * CellWidth, 0), TopPixel(170, 100));
}

TEST(CalendarGeometry, CellSizesBandAndRemainders) {
    const TCellGeometry small = ComputeCellGeometry(509, 394);
    EXPECT_EQ(small.GridWidth, 329);
    EXPECT_EQ(small.CellWidth, 47);
    EXPECT_EQ(small.CellHeight, 44);
    EXPECT_EQ(small.DayBand, 15);
    // A grid 335 wide and 265 high: the last column 53, the last row 45.
    const TCellGeometry wide = ComputeCellGeometry(335 + 180, 265 + 130);
    EXPECT_EQ(wide.CellWidth, 47);
    EXPECT_EQ(wide.GridWidth - 6 * wide.CellWidth, 53);
    EXPECT_EQ(wide.CellHeight, 44);
    EXPECT_EQ(wide.GridHeight - 5 * wide.CellHeight, 45);
}

TEST(CloseGlyph, HitTestIsStrictOnEverySide) {
    auto* form = NewForm<TForm>(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 400, 300);
    ASSERT_EQ(form->ClientWidth(), 400);
    EXPECT_TRUE(CloseGlyphHitTest(form, 381, 10));
    EXPECT_FALSE(CloseGlyphHitTest(form, 380, 10));
    EXPECT_FALSE(CloseGlyphHitTest(form, 396, 10));
    EXPECT_TRUE(CloseGlyphHitTest(form, 395, 10));
    EXPECT_FALSE(CloseGlyphHitTest(form, 390, 2));
    EXPECT_FALSE(CloseGlyphHitTest(form, 390, 18));
    EXPECT_TRUE(CloseGlyphHitTest(form, 390, 3));
    EXPECT_TRUE(CloseGlyphHitTest(form, 390, 17));
    EXPECT_FALSE(CloseGlyphHitTest(form, -5, -5));
    FreeForm(form);
}
