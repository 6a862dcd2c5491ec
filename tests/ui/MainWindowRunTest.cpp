// The main window while the program runs: the reminder timer's start-up
// phases, the backup items of the File menu with the real file dialogs, the
// owner-drawn tray menu, and the end of the program or of the Windows session
// while a dialog or a message box is open.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "classlib/ImgList.h"
#include "classlib/UtilWindow.h"
#include "model/Uconverter.h"
#include "model/Ufunction.h"
#include "model/Uglobals.h"
#include "tests/FileDialogAnswer.h"
#include "tests/ScopedApplication.h"
#include "ui/UFormMessageBox.h"
#include "ui/UFormModifyItem.h"
#include "ui/UMain.h"
#include "ui/Upictures.h"
#include "ui/UprogramHost.h"

namespace {

// The program's own host with the boxes recorded, every calendar sound opened,
// and the alarm windows counted instead of made.
class RunHost : public TProgramHost {
public:
    int ShowMessage(const std::wstring& text, const std::wstring& title, int mode) override {
        if (showsRealBoxes) return TProgramHost::ShowMessage(text, title, mode);
        messages.push_back(title + L": " + text);
        return 0;
    }
    void ShowStandardError(const std::string& text, const std::string& caption) override {
        standardErrors.push_back(caption + ": " + text);
    }
    bool OpenCalendarSound(const std::wstring&) override { return true; }
    IAlarmWindow* CreateAlarmWindow() override {
        ++alarms;
        return nullptr;
    }
    bool showsRealBoxes = false;
    std::vector<std::wstring> messages;
    std::vector<std::string> standardErrors;
    int alarms = 0;
};

std::string ReadFile(const std::string& name) {
    std::string data;
    if (FILE* file = std::fopen(name.c_str(), "rb")) {
        char buffer[4096];
        size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) data.append(buffer, got);
        std::fclose(file);
    }
    return data;
}

bool Exists(const std::string& name) {
    return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The records of a reminder file.
std::vector<std::unique_ptr<Eintrag>> ReadRecords(const std::string& name) {
    const std::string data = ReadFile(name);
    std::vector<std::unique_ptr<Eintrag>> records;
    for (size_t at = 0; at + Eintrag::kImageSize <= data.size(); at += Eintrag::kImageSize) {
        records.push_back(std::make_unique<Eintrag>());
        records.back()->ReadImage(reinterpret_cast<const uint8_t*>(data.data() + at));
    }
    return records;
}

// The number in a leaf element of "Settings.xml", or -1 when it is missing.
int SettingsNumber(const std::string& xml, const std::string& key) {
    const std::string open = "<" + key + ">";
    const size_t at = xml.find(open);
    if (at == std::string::npos) return -1;
    return std::atoi(xml.c_str() + at + open.size());
}

// Steps run one after the other from a thread timer, which every loop of the
// thread dispatches: the step that opens a dialog runs the next ones from
// inside the dialog's loop. A run that does not end in time is ended.
class Steps {
public:
    explicit Steps(std::vector<std::function<void()>> steps) : m_steps(std::move(steps)) {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 30, &Steps::Tick);
    }
    ~Steps() {
        KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    Steps(const Steps&) = delete;
    Steps& operator=(const Steps&) = delete;

    size_t Done() const { return m_next; }
    bool TimedOut() const { return m_isTimedOut; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Steps* steps = s_current;
        if (!steps) return;
        if (++steps->m_ticks > 300 && !steps->m_isTimedOut) {
            steps->m_isTimedOut = true;
            Application->Terminate();
            return;
        }
        if (steps->m_next >= steps->m_steps.size()) return;
        try {
            steps->m_steps[steps->m_next++]();
        } catch (...) {
            ADD_FAILURE() << "a step failed";
        }
    }

    std::vector<std::function<void()>> m_steps;
    size_t m_next = 0;
    int m_ticks = 0;
    bool m_isTimedOut = false;
    UINT_PTR m_timer = 0;
    static inline Steps* s_current = nullptr;
};

// Answers the system's message boxes of this thread from a thread timer,
// keeping their texts: "Yes" where there is one, else "OK".
class SystemBoxAnswer {
public:
    SystemBoxAnswer() {
        s_texts.clear();
        m_timer = SetTimer(nullptr, 0, 50, &SystemBoxAnswer::Tick);
    }
    ~SystemBoxAnswer() { KillTimer(nullptr, m_timer); }
    SystemBoxAnswer(const SystemBoxAnswer&) = delete;
    SystemBoxAnswer& operator=(const SystemBoxAnswer&) = delete;
    static const std::vector<std::string>& Texts() { return s_texts; }

private:
    static BOOL CALLBACK CollectText(HWND window, LPARAM text) {
        char buffer[512] = {0};
        GetWindowTextA(window, buffer, sizeof buffer);
        *reinterpret_cast<std::string*>(text) += buffer;
        *reinterpret_cast<std::string*>(text) += "|";
        return TRUE;
    }
    static BOOL CALLBACK Answer(HWND window, LPARAM) {
        char className[16] = {};
        GetClassNameA(window, className, sizeof className);
        if (std::string(className) != "#32770" || !IsWindowVisible(window)) return TRUE;
        std::string text;
        EnumChildWindows(window, &CollectText, reinterpret_cast<LPARAM>(&text));
        s_texts.push_back(text);
        PostMessageA(window, WM_COMMAND, GetDlgItem(window, IDYES) ? IDYES : IDOK, 0);
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        EnumThreadWindows(GetCurrentThreadId(), &SystemBoxAnswer::Answer, 0);
    }
    UINT_PTR m_timer = 0;
    static inline std::vector<std::string> s_texts;
};

class MainWindowRunTest : public ProgramFolderTest {
protected:
    void SetUp() override {
        EnterProgramFolder("qr-run", &host, [] { return EncodeDate(2024, 3, 15) + EncodeTime(10, 0, 30, 0); });
        General_Settings = TGeneralSettingValues{};
        FirstShow = true;
        ReminderTimerWaiting = true;
        ReminderTimerWarmUp = 0;
        keptWindowsVersion = WindowsVersion;
    }

    void TearDown() override {
        if (MainForm) FreeForm(MainForm);
        if (FormModifyItem) FreeForm(FormModifyItem);
        run.reset();
        PumpUntilIdle();
        gConverter->Clear();
        SetPictureCollection(nullptr);
        SetPopupMenuTracker(nullptr);
        SetUptimeFunction(nullptr);
        WindowsVersion = keptWindowsVersion;
        LeaveProgramFolder();
        EXPECT_TRUE(errors.empty()) << errors.front();
    }

    // Points the application object in use at the program folder.
    void UseApplication() {
        Application->SetExeName(folder + "QuibReminder.exe");
        Application->OnException = [this](TObject*, const std::string& message) { errors.push_back(message); };
    }

    // A run of the program with an application object of its own.
    void StartRun() {
        run = std::make_unique<ScopedApplication>();
        UseApplication();
    }

    Eintrag* AddReminder(const char* title, tm start) {
        auto* e = new Eintrag;
        e->StartTime = start;
        e->ExactlyAt = true;
        e->SetTitle(title);
        gConverter->Append(e);
        return e;
    }

    // Sends the tray icon one of the shell's mouse notifications.
    void TrayCallback(UINT event) {
        SendMessageA(MainForm->MainTrayIcon->WindowHandle(), kelTrayIconCallbackMsg, 0, event);
    }

    RunHost host;
    DWORD keptWindowsVersion = 0;
    std::unique_ptr<ScopedApplication> run;
};

}  // namespace

TEST_F(MainWindowRunTest, ReminderTimerWaitsForThirtySecondsOfUptimeThenThreeTicksThenChecksOnEveryTick) {
    Application->CreateForm(MainForm);
    TTimer* timer = MainForm->TimerCheckForReminders;
    EXPECT_EQ(timer->Interval(), 1000u);
    EXPECT_TRUE(timer->Enabled());
    timer->SetEnabled(false);
    AddReminder("First", Date(2024, 3, 15, 9, 0));
    AddReminder("Second", Date(2024, 3, 15, 9, 30));
    uint32_t uptime = 10000;
    SetUptimeFunction([&uptime] { return uptime; });
    auto tick = [timer] { MainForm->TimerCheckForRemindersTimer(timer); };

    // Windows started 10 s ago: nothing, however many ticks.
    for (int i = 0; i < 5; ++i) tick();
    uptime = 30000;  // not above 30 s yet
    tick();
    EXPECT_TRUE(ReminderTimerWaiting);
    uptime = 30001;
    tick();  // ends the waiting, checks nothing
    EXPECT_FALSE(ReminderTimerWaiting);
    for (int i = 0; i < 3; ++i) tick();
    EXPECT_EQ(host.alarms, 0);
    // The fourth tick after the waiting checks, and so does every tick after it.
    tick();
    EXPECT_EQ(host.alarms, 1);
    tick();
    EXPECT_EQ(host.alarms, 2);
    EXPECT_TRUE(gConverter->First()->AlertOpen);
    EXPECT_TRUE(gConverter->Last()->AlertOpen);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(MainWindowRunTest, BackupExportAndImportGoThroughTheFileMenuAndTheRealDialogs) {
    Application->CreateForm(MainForm);
    MainForm->Show();
    MainForm->TimerCheckForReminders->SetEnabled(false);
    AddReminder("Dentist", Date(2024, 3, 20, 9, 0));
    AddReminder("Garden", Date(2024, 3, 21, 17, 30));
    const std::string backup = folder + "backup.qbr";
    EXPECT_EQ(MainForm->SaveDialogBackup->DefaultExt, "qbr");
    EXPECT_EQ(MainForm->OpenDialogBackup->Filter, "Quib Reminder Backup|*.qbr");

    // A cancelled export writes nothing.
    {
        DialogAnswer cancel("");
        MainForm->Backupexport1->Click();
        EXPECT_TRUE(DialogAnswer::Answered());
    }
    EXPECT_FALSE(Exists(backup));
    // The export starts in the program folder and adds the extension.
    {
        DialogAnswer answer("backup");
        MainForm->Backupexport1->Click();
        EXPECT_TRUE(DialogAnswer::Answered());
    }
    EXPECT_EQ(MainForm->SaveDialogBackup->InitialDir, folder);
    ASSERT_TRUE(Exists(backup));
    EXPECT_EQ(ReadFile(backup).size(), 2 * Eintrag::kImageSize);

    // The list changes meanwhile; a cancelled import keeps it and the day list.
    gConverter->Clear();
    AddReminder("Other", Date(2024, 3, 5, 8, 0));
    MainForm->ListBoxInfo->Items()->Add("08.00 Other");
    {
        DialogAnswer cancel("");
        MainForm->N1->Click();
    }
    ASSERT_EQ(gConverter->Count(), 1);
    EXPECT_STREQ(gConverter->First()->GetTitle(), "Other");
    EXPECT_EQ(MainForm->ListBoxInfo->Items()->Count(), 1);
    EXPECT_FALSE(Exists(folder + "index.dat"));

    // The import replaces the list, lays out the month again and empties the day list.
    {
        DialogAnswer answer(backup);
        MainForm->N1->Click();
        EXPECT_TRUE(DialogAnswer::Answered());
    }
    ASSERT_EQ(gConverter->Count(), 2);
    EXPECT_STREQ(gConverter->First()->GetTitle(), "Dentist");
    EXPECT_STREQ(gConverter->Last()->GetTitle(), "Garden");
    EXPECT_EQ(MainForm->ListBoxInfo->Items()->Count(), 0);
    int shown = 0;
    for (auto& row : gConverter->Cells)
        for (TWeekDay& cell : row)
            for (Eintrag* e = cell.Head->Next; e; e = e->Next) ++shown;
    EXPECT_EQ(shown, 2);
    // "index.dat" holds the imported list at once.
    EXPECT_EQ(SavedReminders(folder), (std::vector<std::string>{"20.03 09.00 Dentist", "21.03 17.30 Garden"}));

    // A backup that is not there is reported with its full path; the list stays.
    {
        DialogAnswer answer(folder + "missing.qbr");
        MainForm->N1->Click();
    }
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], L"Error: Error reading the file \"" + AnsiToWide(folder) + L"missing.qbr\"");
    EXPECT_EQ(gConverter->Count(), 2);
}

TEST_F(MainWindowRunTest, TrayMenuMeasuresItsFirstItemOnEveryPopupAndNamesWhatItWillDo) {
    Application->CreateForm(MainForm);
    MainForm->Show();
    PumpUntilIdle();
    EXPECT_EQ(MainForm->RestoreHide1->Caption, "&Restore Main Window");
    struct Popup {
        std::string caption;
        UINT firstWidth, exitWidth;
        bool isOwnerDrawn;
    };
    std::vector<Popup> popups;
    SetPopupMenuTracker([&popups](HMENU menu, int, int, UINT) -> UINT {
        // What the menu does when it opens: it measures its owner-drawn items.
        auto measure = [menu](int position) {
            MEASUREITEMSTRUCT item{};
            item.CtlType = ODT_MENU;
            item.itemID = GetMenuItemID(menu, position);
            SendMessageA(UtilWindow(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&item));
            return item.itemWidth;
        };
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoA(menu, 0, TRUE, &info);
        const UINT first = measure(0);
        popups.push_back({MainForm->RestoreHide1->Caption, first, measure(2), (info.fType & MFT_OWNERDRAW) != 0});
        return 0;
    });
    TrayCallback(WM_RBUTTONUP);
    SendMessageA(MainForm->Handle(), WM_CHAR, 27, 0);  // hidden to the tray
    TrayCallback(WM_RBUTTONUP);
    ASSERT_EQ(popups.size(), 2u);
    EXPECT_EQ(popups[0].caption, "Hide Quib Reminder");
    EXPECT_EQ(popups[1].caption, "Restore Quib Reminder");
    EXPECT_TRUE(popups[0].isOwnerDrawn);
    // The ten blanks of "Exit" make it the widest item, so the menu fits the
    // longer caption that the first item takes after it was measured.
    for (const Popup& popup : popups) EXPECT_GT(popup.exitWidth, popup.firstWidth);
}

TEST_F(MainWindowRunTest, ExitFromTheTrayWhileADialogAndAQuestionAreOpenEndsAndSavesOnceAtTheEnd) {
    StartRun();
    AddReminder("Dentist", Date(2024, 3, 15, 9, 0));
    gConverter->SaveToFile(folder + "index.dat");
    gConverter->Clear();
    Application->CreateForm(MainForm);
    Application->CreateForm(FormModifyItem);
    MainForm->TimerCheckForReminders->SetEnabled(false);
    ASSERT_EQ(gConverter->Count(), 1);

    int questionResult = -1;
    bool wasDialogOpen = false;
    SetPopupMenuTracker([](HMENU, int, int, UINT) { return MainForm->Exit1->Command(); });
    Steps steps({
        [] { OpenModifyItemForNew(); },
        [&] {
            wasDialogOpen = FormModifyItem->IsModal();
            questionResult = ShowMessageBox(L"Move it anyway?", L"Warning", 1);
        },
        [&] {
            // Something changed while the dialogs are open: it is saved at the end.
            gConverter->First()->LastReminded = Date(2024, 3, 15, 9, 0);
            gConverter->First()->Acknowledged = true;
            MainForm->SetBounds(31, 41, 610, 470);
            DeleteFileA((folder + "index.dat").c_str());
            // "Exit" from the tray menu.
            TrayCallback(WM_RBUTTONUP);
        },
    });
    Application->Run();
    EXPECT_FALSE(steps.TimedOut());
    EXPECT_EQ(steps.Done(), 3u);
    EXPECT_TRUE(wasDialogOpen);
    // Nobody answered the question: it is no "Yes".
    EXPECT_EQ(questionResult, 0);
    EXPECT_FALSE(FormModifyItem->IsModal());
    EXPECT_FALSE(IsWindowVisible(FormModifyItem->Handle()));
    // Nothing was saved on the way out of the loops...
    EXPECT_FALSE(Exists(folder + "index.dat"));
    EXPECT_FALSE(Exists(folder + "Settings.xml"));

    // ...but at the end, with what the list held then.
    Application->DestroyForms();
    const auto records = ReadRecords(folder + "index.dat");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_STREQ(records[0]->GetTitle(), "Dentist");
    EXPECT_TRUE(records[0]->Acknowledged);
    EXPECT_EQ(records[0]->LastReminded.tm_hour, 9);
    const std::string settings = ReadFile(folder + "Settings.xml");
    EXPECT_EQ(SettingsNumber(settings, "MainForm_Left"), 31);
    EXPECT_EQ(SettingsNumber(settings, "MainForm_Top"), 41);
    EXPECT_EQ(SettingsNumber(settings, "MainForm_Width"), 610);
    EXPECT_EQ(SettingsNumber(settings, "MainForm_Height"), 470);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(MainWindowRunTest, SessionEndWhileADialogAndAMessageAreOpenSavesOnceAndEndsTheProgram) {
    StartRun();
    Application->CreateForm(MainForm);
    Application->CreateForm(FormModifyItem);
    MainForm->TimerCheckForReminders->SetEnabled(false);
    host.showsRealBoxes = true;

    int messageResult = -1;
    LRESULT queryAnswer = 0;
    bool wasEndedByQuery = true;
    size_t savedRecords = 0;
    int savedLeft = 0;
    Steps steps({
        [] { OpenModifyItemForNew(); },
        [&] { messageResult = ShowMessageBox(L"Something to read", L"Error", 0); },
        [&] {
            AddReminder("Added meanwhile", Date(2024, 3, 16, 8, 0));
            MainForm->SetBounds(12, 13, 640, 480);
            queryAnswer = SendMessageA(MainForm->Handle(), WM_QUERYENDSESSION, 0, 0);
            wasEndedByQuery = Application->Terminated();
            SendMessageA(MainForm->Handle(), WM_ENDSESSION, TRUE, 0);
            // Saved at once, with what was there.
            savedRecords = ReadRecords(folder + "index.dat").size();
            savedLeft = SettingsNumber(ReadFile(folder + "Settings.xml"), "MainForm_Left");
            DeleteFileA((folder + "index.dat").c_str());
            DeleteFileA((folder + "Settings.xml").c_str());
        },
    });
    Application->Run();
    EXPECT_FALSE(steps.TimedOut());
    EXPECT_EQ(steps.Done(), 3u);
    EXPECT_EQ(queryAnswer, 1);
    EXPECT_FALSE(wasEndedByQuery);  // the NT family: the question alone ends nothing
    EXPECT_EQ(savedRecords, 1u);
    EXPECT_EQ(savedLeft, 12);
    // The end of the session closed the message box and the dialog, and ended the loop.
    EXPECT_EQ(messageResult, 0);
    EXPECT_FALSE(FormModifyItem->IsModal());
    // The destruction that follows writes nothing again.
    Application->DestroyForms();
    EXPECT_FALSE(Exists(folder + "index.dat"));
    EXPECT_FALSE(Exists(folder + "Settings.xml"));
}

TEST_F(MainWindowRunTest, SessionQuestionEndsTheLoopOnlyOnTheOldWindowsFamily) {
    StartRun();
    Application->CreateForm(MainForm);
    WindowsVersion |= 0x80000000u;
    EXPECT_EQ(SendMessageA(MainForm->Handle(), WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_TRUE(Application->Terminated());
    // A session that then does not end saves and the program ends as it would anyway.
    SendMessageA(MainForm->Handle(), WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(Exists(folder + "index.dat"));
}

TEST_F(MainWindowRunTest, AFailedSaveAtTheEndIsStillReportedByTheSystemsBox) {
    StartRun();
    host.showsRealBoxes = true;
    Application->CreateForm(MainForm);
    // "index.dat" cannot be written: a folder of that name is in the way.
    CreateDirectoryA((folder + "index.dat").c_str(), nullptr);
    MainForm->Exit1->Click();
    Application->Run();
    ASSERT_TRUE(Application->Terminated());
    {
        SystemBoxAnswer answer;
        Application->DestroyForms();
        ASSERT_EQ(SystemBoxAnswer::Texts().size(), 1u);
        EXPECT_NE(SystemBoxAnswer::Texts()[0].find("Error saving the file \"" + folder + "index.dat\""),
                  std::string::npos)
            << SystemBoxAnswer::Texts()[0];
    }
    // The settings were saved all the same.
    EXPECT_TRUE(Exists(folder + "Settings.xml"));
    // A question at that time is asked there too.
    SystemBoxAnswer answer;
    EXPECT_EQ(ShowMessageBox(L"Move it anyway?", L"Warning", 1), 1);
}

#ifdef QR_DIST_DIR
TEST_F(MainWindowRunTest, TheProgramFoldersIconsBinHoldsTheBuiltInPicturesAsTheProgramReadsThem) {
    std::string dist = QR_DIST_DIR;
    if (!dist.empty() && dist[0] == '/') {
        for (char& c : dist)
            if (c == '/') c = '\\';
        dist = "Z:" + dist;
    }
    ASSERT_TRUE(CopyFileA((dist + "\\icons.bin").c_str(), (folder + "icons.bin").c_str(), FALSE));
    Application->CreateForm(MainForm);
    Application->CreateForm(FormModifyItem);  // reads "icons.bin"
    EXPECT_TRUE(host.standardErrors.empty());
    TImageList* collection = PictureCollection();
    ASSERT_EQ(collection, FormModifyItem->ImageListForMessages);
    TImageList builtIn(nullptr);
    ASSERT_EQ(LoadBuiltInPictures(&builtIn), kBuiltInPictureCount);
    ASSERT_EQ(collection->Count(), kBuiltInPictureCount);
    EXPECT_EQ(collection->Width(), 32);
    EXPECT_EQ(collection->Height(), 32);
    for (int i = 0; i < kBuiltInPictureCount; ++i) {
        TBitmap read, original;
        collection->GetBitmap(i, &read);
        builtIn.GetBitmap(i, &original);
        int differences = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) differences += read.GetPixel(x, y) != original.GetPixel(x, y);
        EXPECT_EQ(differences, 0) << "picture " << i;
    }
}
#endif
