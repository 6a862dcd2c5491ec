// The alarm window as the due check opens it: its text and picture, "OK",
// Esc, the close glyph and Alt+F4, "Snooze", several alarms at once, placement, a
// deleted or replaced reminder while its alarm is open, and a sound that fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "model/Uconverter.h"
#include "model/Ufunction.h"
#include "model/Uglobals.h"
#include "ui/UFormRemindeNow.h"
#include "ui/Umainbutton.h"
#include "ui/UMain.h"
#include "ui/Ugraphic.h"
#include "ui/Upictures.h"
#include "ui/UprogramHost.h"

namespace {

constexpr COLORREF kTextColour = RGB(255, 0, 255);
constexpr COLORREF kPictureColour = RGB(20, 140, 250);

// The program's own host, with messages recorded and every calendar sound opened.
class TestProgramHost : public TProgramHost {
public:
    int ShowMessage(const std::wstring& text, const std::wstring& title, int mode) override {
        (void)mode;
        messages.push_back(title + L": " + text);
        return 0;
    }
    bool OpenCalendarSound(const std::wstring&) override { return true; }
    std::vector<std::wstring> messages;
};

class AlarmWindowTest : public ProgramFolderTest {
protected:
    void SetUp() override {
        EnterProgramFolder("qr-alarm", &host, [] { return EncodeDate(2024, 3, 15) + EncodeTime(10, 0, 30, 0); });
        General_Settings = TGeneralSettingValues{};
        FirstShow = true;
        keptText = Text_Settings;
        Text_Settings.Font_Color = kTextColour;
        pictures.SetSize(32, 32);
        pictures.SetMasked(false);
        for (int k = 0; k < 4; ++k) {
            TBitmap picture(32, 32);
            // Picture 3: a white (transparent) left half and a coloured right half.
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x)
                    picture.SetPixel(x, y, k == 3 && x < 16 ? RGB(255, 255, 255) : RGB(10 * k, 0, 0));
            if (k == 3)
                for (int y = 0; y < 32; ++y)
                    for (int x = 16; x < 32; ++x) picture.SetPixel(x, y, kPictureColour);
            pictures.AddMasked(&picture, clWhite);
        }
        SetPictureCollection(&pictures);
        Application->CreateForm(MainForm);
        MainForm->Show();
        // The timer must not run the due check on its own during a test.
        MainForm->TimerCheckForReminders->SetEnabled(false);
        PumpUntilIdle();
    }

    void TearDown() override {
        if (MainForm) FreeForm(MainForm);
        PumpUntilIdle();
        EXPECT_TRUE(OpenAlarmWindows().empty());
        gConverter->Clear();
        SetPictureCollection(nullptr);
        SetPopupMenuTracker(nullptr);
        Text_Settings = keptText;
        LeaveProgramFolder();
        EXPECT_TRUE(errors.empty()) << errors.front();
        EXPECT_TRUE(host.messages.empty());
    }

    // A one-time reminder with the exact-time rule.
    Eintrag* AddReminder(const char* title, tm start, int picture = 0) {
        auto* e = new Eintrag;
        e->StartTime = start;
        e->ExactlyAt = true;
        e->PictureIndex = picture;
        e->SetTitle(title);
        e->SetText("the text");
        gConverter->Append(e);
        return e;
    }

    // Runs the due check once and handles what it caused.
    void Pass() {
        gConverter->CheckDueReminders();
        PumpUntilIdle();
    }

    TFormRemindeNow* OnlyWindow() {
        const std::vector<TFormRemindeNow*> open = OpenAlarmWindows();
        EXPECT_EQ(open.size(), 1u);
        return open.empty() ? nullptr : open.front();
    }

    // Picks a postponement from the "Snooze" menu by its caption.
    void ChooseSnooze(TFormRemindeNow* window, const std::string& caption) {
        TMenuItem* item = window->PopupMenuRemindeMeLater->Items()->Find(caption);
        ASSERT_NE(item, nullptr) << caption;
        const UINT command = item->Command();
        std::vector<std::string> offered;
        UINT flags = 0;
        SetPopupMenuTracker([&offered, &flags, command](HMENU menu, int, int, UINT asked) {
            flags = asked;
            char text[32];
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
                offered.push_back(text);
            }
            return command;
        });
        SendMessageA(window->ButtonRemindeMeLater->Handle(), BM_CLICK, 0, 0);
        SetPopupMenuTracker(nullptr);
        const std::vector<std::string> all = {"1 min",  "5 min",   "10 min",  "20 min",  "30 min",
                                              "1 hour", "2 hours", "4 hours", "8 hours", "24 hours"};
        EXPECT_EQ(offered, all);
        // The menu unfolds from left to right.
        EXPECT_EQ(flags, static_cast<UINT>(maLeftToRight));
    }

    TestProgramHost host;
    TImageList pictures{nullptr};
    TTextSettingValues keptText;
};

}  // namespace

TEST_F(AlarmWindowTest, DueReminderOpensItsWindowWithTextAndPicture) {
    // Picture 7 is past the collection's 4: the window shows the last one.
    Eintrag* e = AddReminder("Dentist", Date(2024, 3, 15, 9, 7), 7);
    EXPECT_EQ(ModelHost().PictureCount(), 4);
    Pass();
    TFormRemindeNow* window = OnlyWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Entry, e);
    EXPECT_TRUE(e->AlertOpen);
    EXPECT_EQ(window->MessageText, std::string(13, ' ') + "Reminder for 15.03.2024 : 09.07\n\n" + std::string(13, ' ') +
                                       "Dentist\n\n the text");
    EXPECT_EQ(window->IconIndex, 3);
    EXPECT_EQ(window->Occurrence.tm_hour, 9);
    EXPECT_EQ(window->Occurrence.tm_min, 7);
    EXPECT_TRUE(IsWindowVisible(window->Handle()));
    EXPECT_EQ(window->Owner(), MainForm);
    // Sized by the settings and placed at the remembered position.
    EXPECT_EQ(window->Width(), 530);
    EXPECT_EQ(window->Height(), 370);
    EXPECT_EQ(window->Left(), 200);
    EXPECT_EQ(window->Top(), 200);
    char className[64];
    GetClassNameA(window->Handle(), className, sizeof className);
    EXPECT_STREQ(className, "TFormRemindeNow");

    window->Repaint();
    HWND handle = window->Handle();
    HDC dc = GetDC(handle);
    // The picture at (30, 40): its white half shows the background, its right half its colour.
    EXPECT_EQ(GetPixel(dc, 30 + 20, 40 + 16), kPictureColour);
    EXPECT_EQ(GetPixel(dc, 30 + 31, 40 + 31), kPictureColour);
    const COLORREF clearPart = GetPixel(dc, 30 + 3, 40 + 30);
    // The text is drawn in the text colour inside its rectangle, and nowhere below it.
    int textPixels = 0;
    for (int y = 40; y < 300; ++y)
        for (int x = 30; x < 521; ++x) textPixels += GetPixel(dc, x, y) == kTextColour;
    int below = 0;
    for (int y = 300; y < 318; ++y)
        for (int x = 30; x < 521; ++x) below += GetPixel(dc, x, y) == kTextColour;
    // The close glyph at the top right.
    EXPECT_EQ(GetPixel(dc, window->ClientWidth() - 20, 2), TopPixel(209, 160));
    ReleaseDC(handle, dc);
    EXPECT_GT(textPixels, 50);
    // A picture index outside the list draws nothing: the white half showed the same background.
    window->IconIndex = 99;
    window->Repaint();
    dc = GetDC(handle);
    EXPECT_EQ(GetPixel(dc, 30 + 3, 40 + 30), clearPart);
    EXPECT_NE(GetPixel(dc, 30 + 20, 40 + 16), kPictureColour);
    ReleaseDC(handle, dc);
    // No "alert.wav" in the program folder: the window says so in its own line.
    EXPECT_NE(window->SoundProblem().find("\"alert.wav\" could not be played"), std::string::npos);
    EXPECT_GT(below, 0);

    // The window is open: the next pass is silent.
    Pass();
    EXPECT_EQ(OpenAlarmWindows().size(), 1u);
    window->ButtonDontRemindeMoreClick(nullptr);
    PumpUntilIdle();
}

TEST_F(AlarmWindowTest, AnAmpersandInTheAlarmTextIsShownAsTyped) {
    AddReminder("Tom & Jerry", Date(2024, 3, 15, 10, 0));
    Pass();
    TFormRemindeNow* window = OnlyWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_NE(window->MessageText.find("Tom & Jerry"), std::string::npos);
    // The width the text takes in the window.
    auto textWidth = [window](const std::string& text) {
        window->MessageText = text;
        window->Repaint();
        HDC dc = GetDC(window->Handle());
        int left = INT_MAX, right = INT_MIN;
        for (int y = 40; y < 300; ++y)
            for (int x = 30; x < 521; ++x)
                if (GetPixel(dc, x, y) == kTextColour) {
                    left = std::min(left, x);
                    right = std::max(right, x + 1);
                }
        ReleaseDC(window->Handle(), dc);
        return right - left;
    };
    // As typed the "&" takes a place of its own; eaten, it would only underline the next letter.
    EXPECT_GT(textWidth("W&W"), textWidth("WW") + 3);
    EXPECT_GT(textWidth("W&&W"), textWidth("W&W") + 3);
    window->ButtonDontRemindeMoreClick(nullptr);
    PumpUntilIdle();
}

TEST_F(AlarmWindowTest, OkStoresTheOccurrenceAndTheNextPassStaysSilent) {
    Eintrag* e = AddReminder("Call", Date(2024, 3, 15, 10, 0));
    Pass();
    TFormRemindeNow* window = OnlyWindow();
    ASSERT_NE(window, nullptr);
    HWND handle = window->Handle();
    window->SetBounds(123, 45, window->Width(), window->Height());
    SendMessageA(window->ButtonDontRemindeMore->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    SendMessageA(window->ButtonDontRemindeMore->Handle(), WM_LBUTTONUP, 0, Point(5, 5));
    EXPECT_FALSE(e->AlertOpen);
    EXPECT_TRUE(e->Acknowledged);
    EXPECT_TRUE(Converter::SameDateRecord(e->LastReminded, window->Occurrence));
    EXPECT_EQ(e->LastReminded.tm_hour, 10);
    EXPECT_EQ(General_Settings.AlertForm_Left, 123);
    EXPECT_EQ(General_Settings.AlertForm_Top, 45);
    EXPECT_TRUE(OpenAlarmWindows().empty());
    PumpUntilIdle();
    EXPECT_FALSE(IsWindow(handle));  // released
    for (int i = 0; i < 5; ++i) Pass();
    EXPECT_TRUE(OpenAlarmWindows().empty());
    EXPECT_FALSE(e->AlertOpen);
}

TEST_F(AlarmWindowTest, EscapeTheCloseGlyphAndAltF4ActExactlyLikeOk) {
    enum class Way { Escape, Glyph, AltF4, CloseRequest };
    struct Row {
        Way way;
        const char* name;
        int left;
    };
    const Row rows[] = {{Way::Escape, "Esc", 11},
                        {Way::Glyph, "close glyph", 22},
                        // Alt+F4 and the system menu's Close.
                        {Way::AltF4, "SC_CLOSE", 33},
                        {Way::CloseRequest, "WM_CLOSE", 44}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        gConverter->Clear();
        Eintrag* e = AddReminder("Call", Date(2024, 3, 15, 10, 0));
        Pass();
        TFormRemindeNow* window = OnlyWindow();
        ASSERT_NE(window, nullptr);
        HWND handle = window->Handle();
        window->SetBounds(row.left, 33, window->Width(), window->Height());
        if (row.way == Way::Escape) {
            // Through the message loop, where the dialog keys are handled.
            PostMessageA(window->ButtonRemindeMeLater->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
            PumpUntilIdle();
        } else if (row.way == Way::Glyph) {
            const int x = window->ClientWidth() - 12;
            // A right press and release do nothing; a left release on the glyph acknowledges.
            SendMessageA(handle, WM_RBUTTONDOWN, MK_RBUTTON, Point(x, 10));
            SendMessageA(handle, WM_RBUTTONUP, 0, Point(x, 10));
            EXPECT_TRUE(e->AlertOpen);
            SendMessageA(handle, WM_LBUTTONUP, 0, Point(x, 10));
        } else if (row.way == Way::AltF4) {
            SendMessageA(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else {
            SendMessageA(handle, WM_CLOSE, 0, 0);
        }
        EXPECT_FALSE(e->AlertOpen);
        EXPECT_TRUE(e->Acknowledged);
        EXPECT_EQ(e->LastReminded.tm_hour, 10);
        EXPECT_EQ(General_Settings.AlertForm_Left, row.left);
        EXPECT_EQ(General_Settings.AlertForm_Top, 33);
        PumpUntilIdle();
        EXPECT_FALSE(IsWindow(handle));
        Pass();
        EXPECT_TRUE(OpenAlarmWindows().empty());
    }
    // A left press elsewhere drags the window.
    gConverter->Clear();
    AddReminder("Drag", Date(2024, 3, 15, 10, 0));
    Pass();
    TFormRemindeNow* window = OnlyWindow();
    ASSERT_NE(window, nullptr);
    SendMessageA(window->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(200, 150));
    ASSERT_EQ(drags.size(), 1u);
    EXPECT_EQ(drags[0], window);
    window->ButtonDontRemindeMoreClick(nullptr);
    PumpUntilIdle();
}

TEST_F(AlarmWindowTest, SnoozeOfOneMinuteReturnsOnTheSixtiethPassWithTheSameText) {
    Eintrag* e = AddReminder("Tea", Date(2024, 3, 15, 10, 0));
    Pass();
    TFormRemindeNow* window = OnlyWindow();
    ASSERT_NE(window, nullptr);
    const std::string text = window->MessageText;
    HWND handle = window->Handle();
    window->SetBounds(77, 88, window->Width(), window->Height());
    ChooseSnooze(window, "1 min");
    EXPECT_EQ(e->SnoozeSeconds, 60);
    EXPECT_FALSE(e->AlertOpen);
    EXPECT_FALSE(e->Due);
    EXPECT_FALSE(e->Acknowledged);
    EXPECT_EQ(General_Settings.AlertForm_Left, 77);
    EXPECT_EQ(General_Settings.AlertForm_Top, 88);
    PumpUntilIdle();
    EXPECT_FALSE(IsWindow(handle));
    for (int pass = 1; pass < 60; ++pass) {
        Pass();
        ASSERT_TRUE(OpenAlarmWindows().empty()) << "pass " << pass;
    }
    Pass();
    window = OnlyWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->MessageText, text);
    EXPECT_EQ(e->SnoozeSeconds, 1);
    // A second postponement adds to the 1 left from the first.
    ChooseSnooze(window, "5 min");
    EXPECT_EQ(e->SnoozeSeconds, 301);
    PumpUntilIdle();

    // Choosing no postponement leaves the window open and the reminder as it was.
    for (int pass = 0; pass < 301; ++pass) Pass();
    window = OnlyWindow();
    ASSERT_NE(window, nullptr);
    SetPopupMenuTracker([](HMENU, int, int, UINT) { return 0u; });
    SendMessageA(window->ButtonRemindeMeLater->Handle(), BM_CLICK, 0, 0);
    SetPopupMenuTracker(nullptr);
    PumpUntilIdle();
    EXPECT_EQ(OpenAlarmWindows().size(), 1u);
    EXPECT_TRUE(e->AlertOpen);
    EXPECT_EQ(e->SnoozeSeconds, 1);
    window->ButtonDontRemindeMoreClick(nullptr);
    PumpUntilIdle();
}

TEST_F(AlarmWindowTest, EveryPostponementAddsItsSeconds) {
    const std::pair<const char*, int> table[] = {{"1 min", 60},    {"5 min", 300},     {"10 min", 600},
                                                 {"20 min", 1200}, {"30 min", 1800},   {"1 hour", 3600},
                                                 {"2 hours", 7200}, {"4 hours", 14400}, {"8 hours", 28800},
                                                 {"24 hours", 86400}};
    for (const auto& [caption, seconds] : table) {
        SCOPED_TRACE(caption);
        gConverter->Clear();
        Eintrag* e = AddReminder("Item", Date(2024, 3, 15, 10, 0));
        Pass();
        TFormRemindeNow* window = OnlyWindow();
        ASSERT_NE(window, nullptr);
        ChooseSnooze(window, caption);
        EXPECT_EQ(e->SnoozeSeconds, seconds);
        PumpUntilIdle();
    }
}

TEST_F(AlarmWindowTest, ThreeAlarmsOpenAtOnceAndCloseIndependently) {
    Eintrag* a = AddReminder("A", Date(2024, 3, 15, 9, 0));
    Eintrag* b = AddReminder("B", Date(2024, 3, 15, 9, 30));
    Eintrag* c = AddReminder("C", Date(2024, 3, 15, 10, 0));
    // One alarm per pass, in list order.
    Pass();
    EXPECT_EQ(OpenAlarmWindows().size(), 1u);
    Pass();
    Pass();
    std::vector<TFormRemindeNow*> open = OpenAlarmWindows();
    ASSERT_EQ(open.size(), 3u);
    EXPECT_EQ(open[0]->Entry, a);
    EXPECT_EQ(open[1]->Entry, b);
    EXPECT_EQ(open[2]->Entry, c);
    for (TFormRemindeNow* window : open) EXPECT_TRUE(IsWindowVisible(window->Handle()));
    Pass();
    EXPECT_EQ(OpenAlarmWindows().size(), 3u);

    // The middle one acknowledged: the other two stay as they are.
    open[1]->ButtonDontRemindeMoreClick(nullptr);
    PumpUntilIdle();
    open = OpenAlarmWindows();
    ASSERT_EQ(open.size(), 2u);
    EXPECT_TRUE(b->Acknowledged);
    EXPECT_FALSE(a->Acknowledged);
    EXPECT_TRUE(a->AlertOpen);
    EXPECT_TRUE(c->AlertOpen);
    // The last one postponed, the first acknowledged.
    ChooseSnooze(open[1], "10 min");
    PumpUntilIdle();
    EXPECT_EQ(c->SnoozeSeconds, 600);
    EXPECT_FALSE(a->Acknowledged);
    open = OpenAlarmWindows();
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0]->Entry, a);
    PostMessageA(open[0]->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    PumpUntilIdle();
    EXPECT_TRUE(a->Acknowledged);
    EXPECT_TRUE(OpenAlarmWindows().empty());
    EXPECT_EQ(FindWindowA("TFormRemindeNow", nullptr), nullptr);
}

TEST_F(AlarmWindowTest, PlacementForEveryPositionMode) {
    // On a 1024 x 768 screen the default window is centred at (247, 199).
    int32_t left = -1;
    int32_t top = -1;
    ASSERT_TRUE(AlertFormPosition(1, 1024, 768, 530, 370, left, top));
    EXPECT_EQ(left, 247);
    EXPECT_EQ(top, 199);
    EXPECT_FALSE(AlertFormPosition(6, 1024, 768, 530, 370, left, top));
    EXPECT_FALSE(AlertFormPosition(-1, 1024, 768, 530, 370, left, top));

    const int W = GetSystemMetrics(SM_CXSCREEN);
    const int H = GetSystemMetrics(SM_CYSCREEN);
    General_Settings.AlertForm_Left = 31;
    General_Settings.AlertForm_Top = 41;
    General_Settings.AlertForm_Width = 501;
    General_Settings.AlertForm_Height = 351;
    struct Case {
        int mode, left, top;
    };
    const Case cases[] = {
        {0, 31, 41},           {1, W / 2 - 501 / 2, H / 2 - 351 / 2}, {2, 0, 0}, {3, W - 501, 0}, {4, 0, H - 351},
        {5, W - 501, H - 351}, {7, 256, 111},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        General_Settings.AlertForm_Position_Flag = c.mode;
        gConverter->Clear();
        AddReminder("Placed", Date(2024, 3, 15, 10, 0));
        Pass();
        TFormRemindeNow* window = OnlyWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->Left(), c.left);
        EXPECT_EQ(window->Top(), c.top);
        EXPECT_EQ(window->Width(), 501);
        RECT rect;
        GetWindowRect(window->Handle(), &rect);
        EXPECT_EQ(rect.left, c.left);
        EXPECT_EQ(rect.bottom - rect.top, 351);
        window->ButtonDontRemindeMoreClick(nullptr);
        PumpUntilIdle();
    }
}

TEST_F(AlarmWindowTest, DeletingTheReminderClosesItsWindowWithoutWritingIntoIt) {
    Eintrag* kept = AddReminder("Kept", Date(2024, 3, 15, 9, 0));
    Eintrag* doomed = AddReminder("Doomed", Date(2024, 3, 15, 9, 30));
    Pass();
    Pass();
    std::vector<TFormRemindeNow*> open = OpenAlarmWindows();
    ASSERT_EQ(open.size(), 2u);
    TFormRemindeNow* doomedWindow = open[1];
    HWND handle = doomedWindow->Handle();
    ModelHost().ReminderDeleted(doomed);
    EXPECT_FALSE(IsWindowVisible(handle));
    ASSERT_EQ(OpenAlarmWindows().size(), 1u);
    EXPECT_EQ(OpenAlarmWindows()[0]->Entry, kept);
    // The reminder goes; a click that reaches the closing window writes nothing.
    doomed->Prev->Next = doomed->Next;
    delete doomed;
    doomedWindow->ButtonDontRemindeMoreClick(nullptr);
    doomedWindow->Snooze(60);
    PumpUntilIdle();
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_TRUE(kept->AlertOpen);
    ModelHost().ReminderDeleted(nullptr);  // nothing
    ModelHost().ReminderDeleted(kept);
    PumpUntilIdle();
    EXPECT_TRUE(OpenAlarmWindows().empty());
    EXPECT_TRUE(kept->AlertOpen);  // untouched: it was not acknowledged
}

TEST_F(AlarmWindowTest, ImportReplacingTheListClosesEveryAlarmWindow) {
    AddReminder("Old one", Date(2024, 3, 15, 9, 0));
    AddReminder("Old two", Date(2024, 3, 15, 9, 30));
    Pass();
    Pass();
    std::vector<TFormRemindeNow*> open = OpenAlarmWindows();
    ASSERT_EQ(open.size(), 2u);
    const HWND first = open[0]->Handle();
    const HWND second = open[1]->Handle();
    // A backup with one reminder, due as well.
    const std::string backup = folder + "backup.qbr";
    {
        Converter other;
        auto* e = new Eintrag;
        e->StartTime = Date(2024, 3, 15, 8, 0);
        e->ExactlyAt = true;
        e->SetTitle("Imported");
        other.Append(e);
        other.SaveToFile(backup);
    }
    gConverter->LoadFromFile(backup);
    EXPECT_TRUE(OpenAlarmWindows().empty());
    EXPECT_FALSE(IsWindowVisible(first));
    // Clicks that reach the closing windows write nowhere.
    open[0]->ButtonDontRemindeMoreClick(nullptr);
    open[1]->Snooze(300);
    PumpUntilIdle();
    EXPECT_FALSE(IsWindow(first));
    EXPECT_FALSE(IsWindow(second));
    ASSERT_EQ(gConverter->Count(), 1);
    EXPECT_FALSE(gConverter->First()->AlertOpen);
    // The imported reminder announces itself on the next pass.
    Pass();
    TFormRemindeNow* window = OnlyWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Entry, gConverter->First());
    window->ButtonDontRemindeMoreClick(nullptr);
    PumpUntilIdle();
}

TEST_F(AlarmWindowTest, NoAlertSoundStopsTheAlarmOrTakesTheCalendarSoundsPlace) {
    // The calendar sound lasts 50 ms, a playable alert sound 100 ms.
    const std::string calendarSound = folder + "calendar.wav";
    WriteWave(calendarSound, 400);
    ASSERT_TRUE(host.TProgramHost::OpenCalendarSound(AnsiToWide(calendarSound)));
    TMediaPlayer* calendar = MainForm->MediaPlayerSoundCal;
    ASSERT_EQ(calendar->Length(), 50);
    enum class Alert { Missing, Broken, Playable };
    for (const Alert alert : {Alert::Missing, Alert::Broken, Alert::Playable}) {
        SCOPED_TRACE(static_cast<int>(alert));
        if (alert == Alert::Broken) WriteTextFile(folder + "alert.wav", "RIFF....WAVEfmt this is not a sound");
        if (alert == Alert::Playable) WriteWave(folder + "alert.wav", 800);
        gConverter->Clear();
        Eintrag* e = AddReminder("Loud", Date(2024, 3, 15, 10, 0));
        Pass();
        TFormRemindeNow* window = OnlyWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(IsWindowVisible(window->Handle()));
        EXPECT_TRUE(e->AlertOpen);
        if (alert == Alert::Playable) {
            // Without a sound device the playing may fail; the opening does not.
            EXPECT_EQ(window->SoundProblem().find("Not open"), std::string::npos) << window->SoundProblem();
        } else {
            EXPECT_FALSE(window->SoundProblem().empty());
        }
        // The calendar's player still holds the calendar sound.
        ASSERT_TRUE(calendar->IsOpen());
        EXPECT_EQ(calendar->Length(), 50);
        EXPECT_EQ(calendar->FileName, calendarSound);
        // No second window on the next ticks.
        Pass();
        Pass();
        EXPECT_EQ(OpenAlarmWindows().size(), 1u);
        window->ButtonDontRemindeMoreClick(nullptr);
        PumpUntilIdle();
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(AlarmWindowTest, TheWindowMadeAtStartIsNeverShownAndNeverClosedByTheList) {
    Application->CreateForm(FormRemindeNow);
    TFormRemindeNow* idle = FormRemindeNow;
    EXPECT_FALSE(IsWindowVisible(idle->Handle()));
    EXPECT_EQ(idle->Entry, nullptr);
    EXPECT_TRUE(idle->MessageText.empty());
    EXPECT_EQ(idle->ButtonDontRemindeMore->CaptionText, L"OK");
    EXPECT_EQ(idle->ButtonRemindeMeLater->CaptionText, L"Snooze");
    EXPECT_TRUE(idle->ButtonDontRemindeMore->Cancel);
    EXPECT_FALSE(idle->ButtonRemindeMeLater->Cancel);
    EXPECT_EQ(idle->ButtonDontRemindeMore->Left(), 88);
    EXPECT_EQ(idle->ButtonRemindeMeLater->Left(), 352);
    EXPECT_EQ(idle->ButtonRemindeMeLater->Top(), 320);
    EXPECT_TRUE(OpenAlarmWindows().empty());
    ModelHost().ReminderListReplaced();
    PumpUntilIdle();
    EXPECT_TRUE(IsWindow(idle->Handle()));
    FreeForm(idle);
    FormRemindeNow = nullptr;
}

TEST_F(AlarmWindowTest, AlarmWindowsGoWithTheMainWindow) {
    AddReminder("One", Date(2024, 3, 15, 9, 0));
    AddReminder("Two", Date(2024, 3, 15, 9, 30));
    Pass();
    Pass();
    ASSERT_EQ(OpenAlarmWindows().size(), 2u);
    FreeForm(MainForm);
    EXPECT_EQ(MainForm, nullptr);
    EXPECT_TRUE(OpenAlarmWindows().empty());
    EXPECT_EQ(FindWindowA("TFormRemindeNow", nullptr), nullptr);
}
