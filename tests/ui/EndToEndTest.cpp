// The real program, copied into temporary program folders and started there:
// the single running copy, the start without a skin or without "icons.bin",
// and, from a copy of the program folder the build fills, a reminder that
// falls due, hiding and restoring through the tray, "Exit" from the tray menu
// and the end of the Windows session, which keeps the user's own pictures;
// and starts from a folder with a damaged file.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "classlib/ImgList.h"
#include "classlib/Streaming.h"
#include "model/Ueintrag.h"
#include "model/Ufunction.h"

namespace {

// The program as the build made it, as a path this process can open.
std::string ProgramFile() {
    std::string path = QR_PROGRAM_FILE;
    if (!path.empty() && path[0] == '/') {
        for (char& c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;
    }
    return path;
}

// The picture collection a program folder holds: "icons.bin" with ten pictures.
void WriteIcons(const std::string& folder) {
    TImageList list(nullptr);
    list.SetName("ImageListForMessages");
    list.SetSize(32, 32);
    list.SetMasked(false);
    list.SetAllocBy(1);
    for (int i = 0; i < 10; ++i) {
        TBitmap picture(32, 32);
        for (int y = 4; y < 28; ++y)
            for (int x = 4; x < 28; ++x) picture.SetPixel(x, y, RGB(20 * i, 90, 200));
        list.Add(&picture);
    }
    WriteComponentResFile(folder + "icons.bin", &list);
}

std::string MakeProgramFolder(const char* prefix) {
    const std::string folder = MakeTempFolder(prefix);
    CopyFileA(ProgramFile().c_str(), (folder + "QuibReminder.exe").c_str(), FALSE);
    return folder;
}

struct FileState {
    std::string name;
    uint64_t size;
    uint64_t written;
    bool operator==(const FileState& other) const {
        return name == other.name && size == other.size && written == other.written;
    }
};

void Snapshot(const std::string& folder, const std::string& relative, std::vector<FileState>& files) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + relative + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            files.push_back({relative + name + "\\", 0, 0});
            Snapshot(folder, relative + name + "\\", files);
            continue;
        }
        files.push_back({relative + name, (uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                         (uint64_t(found.ftLastWriteTime.dwHighDateTime) << 32) | found.ftLastWriteTime.dwLowDateTime});
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::vector<FileState> Snapshot(const std::string& folder) {
    std::vector<FileState> files;
    Snapshot(folder, "", files);
    return files;
}

class Program {
public:
    ~Program() {
        if (!m_info.hProcess) return;
        if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_info.hProcess, 99);
        CloseHandle(m_info.hProcess);
        CloseHandle(m_info.hThread);
    }
    bool Start(const std::string& folder) {
        const std::string exe = folder + "QuibReminder.exe";
        std::string commandLine = "\"" + exe + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        return CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                              &startup, &m_info) != 0;
    }
    // The exit code, or STILL_ACTIVE when the program did not end in time.
    DWORD Wait(DWORD milliseconds) {
        if (WaitForSingleObject(m_info.hProcess, milliseconds) != WAIT_OBJECT_0) return STILL_ACTIVE;
        DWORD code = 0;
        GetExitCodeProcess(m_info.hProcess, &code);
        return code;
    }
    DWORD ProcessId() const { return m_info.dwProcessId; }
    DWORD ThreadId() const { return m_info.dwThreadId; }

private:
    PROCESS_INFORMATION m_info{};
};

struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char className[64] = {0};
    GetClassNameA(window, className, sizeof(className));
    if (processId == search->processId && std::string(className) == search->className) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Waits for a top-level window of that class in the process.
HWND WaitForWindow(DWORD processId, const char* className, DWORD milliseconds, bool mustBeVisible = false) {
    const DWORD start = GetTickCount();
    for (;;) {
        WindowSearch search{processId, className, nullptr};
        EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found && (!mustBeVisible || IsWindowVisible(search.found))) return search.found;
        if (GetTickCount() - start > milliseconds) return nullptr;
        Sleep(50);
    }
}

BOOL CALLBACK CollectText(HWND window, LPARAM data) {
    char text[512] = {0};
    GetWindowTextA(window, text, sizeof(text));
    *reinterpret_cast<std::string*>(data) += std::string(text) + "\n";
    return TRUE;
}

}  // namespace

TEST(EndToEnd, SecondCopyShowsTheFirstAndEndsWithOneTouchingNoFile) {
    const std::string firstFolder = MakeProgramFolder("qr-e2e-first");
    WriteSkins(firstFolder);
    WriteWave(firstFolder + "mv.wav");
    WriteIcons(firstFolder);
    Program first;
    ASSERT_TRUE(first.Start(firstFolder));
    HWND mainWindow = WaitForWindow(first.ProcessId(), "TMainForm", 60000, true);
    ASSERT_NE(mainWindow, nullptr);
    HWND applicationWindow = WaitForWindow(first.ProcessId(), "TApplication", 1000);
    ASSERT_NE(applicationWindow, nullptr);
    // As if hidden to the tray.
    ShowWindow(mainWindow, SW_HIDE);
    ShowWindow(applicationWindow, SW_HIDE);
    ASSERT_FALSE(IsWindowVisible(mainWindow));

    const std::string secondFolder = MakeProgramFolder("qr-e2e-second");
    WriteTextFile(secondFolder + "index.dat", "reminders of the second folder");
    WriteTextFile(secondFolder + "Settings.xml", "<Settings/>");
    const std::vector<FileState> before = Snapshot(secondFolder);
    {
        Program second;
        ASSERT_TRUE(second.Start(secondFolder));
        EXPECT_EQ(second.Wait(60000), 1u);
    }
    EXPECT_TRUE(Snapshot(secondFolder) == before);
    EXPECT_TRUE(IsWindowVisible(mainWindow));
    EXPECT_TRUE(IsWindowVisible(applicationWindow));

    // Ending the message loop ends the first copy normally.
    PostThreadMessageA(first.ThreadId(), WM_QUIT, 0, 0);
    EXPECT_EQ(first.Wait(60000), 0u);
    RemoveFolder(firstFolder);
    RemoveFolder(secondFolder);
}

TEST(EndToEnd, MissingSkinShowsOneErrorLeavesTheFilesAndEndsWithZero) {
    const std::string folder = MakeProgramFolder("qr-e2e-noskin");
    WriteTextFile(folder + "index.dat", "reminders");
    WriteTextFile(folder + "Settings.xml", "<Settings/>");
    const std::vector<FileState> before = Snapshot(folder);
    Program program;
    ASSERT_TRUE(program.Start(folder));
    HWND box = WaitForWindow(program.ProcessId(), "#32770", 60000);
    ASSERT_NE(box, nullptr);
    // The box may be found before its text is in place.
    std::string text;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(50)) {
        text.clear();
        EnumChildWindows(box, &CollectText, reinterpret_cast<LPARAM>(&text));
        if (text.find(".bmp") != std::string::npos) break;
    }
    EXPECT_NE(text.find("Skins\\Default\\Top.bmp"), std::string::npos) << text;
    EXPECT_EQ(WaitForWindow(program.ProcessId(), "TMainForm", 0), nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(program.Wait(60000), 0u);
    EXPECT_TRUE(Snapshot(folder) == before);
    RemoveFolder(folder);
}

TEST(EndToEnd, WithoutIconsBinTheStartReportsItOnceAndThenShowsTheMainWindow) {
    const std::string folder = MakeProgramFolder("qr-e2e-noicons");
    WriteSkins(folder);
    WriteWave(folder + "mv.wav");
    Program program;
    ASSERT_TRUE(program.Start(folder));
    HWND box = WaitForWindow(program.ProcessId(), "#32770", 60000);
    ASSERT_NE(box, nullptr);
    std::string text;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(50)) {
        text.clear();
        EnumChildWindows(box, &CollectText, reinterpret_cast<LPARAM>(&text));
        if (text.find("icons.bin") != std::string::npos) break;
    }
    EXPECT_NE(text.find("Error reading the file \"icons.bin\""), std::string::npos) << text;
    // The add/modify dialog is made before the main window shows.
    EXPECT_EQ(WaitForWindow(program.ProcessId(), "TMainForm", 0, true), nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    HWND mainWindow = WaitForWindow(program.ProcessId(), "TMainForm", 60000, true);
    EXPECT_NE(mainWindow, nullptr);
    EXPECT_NE(WaitForWindow(program.ProcessId(), "TFormModifyItem", 0), nullptr);
    // The general settings dialog is made last, before the loop runs.
    EXPECT_NE(WaitForWindow(program.ProcessId(), "TFormOptions", 0), nullptr);
    PostThreadMessageA(program.ThreadId(), WM_QUIT, 0, 0);
    EXPECT_EQ(program.Wait(60000), 0u);
    RemoveFolder(folder);
}

#ifdef QR_DIST_DIR
namespace {

// The program folder the build fills, as a path this process can open.
std::string DistFolder() {
    std::string path = QR_DIST_DIR;
    if (!path.empty() && path[0] == '/') {
        for (char& c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;
    }
    return path + "\\";
}

void CopyFolder(const std::string& from, const std::string& to) {
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyFolder(from + name + "\\", to + name + "\\");
        else
            CopyFileA((from + name).c_str(), (to + name).c_str(), FALSE);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// A copy of the program folder as a user would have it.
std::string MakeProgramFolderFromDist(const char* prefix) {
    const std::string folder = MakeTempFolder(prefix);
    CopyFolder(DistFolder(), folder);
    return folder;
}

std::string ReadWholeFile(const std::string& name) {
    std::string data;
    if (FILE* file = std::fopen(name.c_str(), "rb")) {
        char buffer[4096];
        size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) data.append(buffer, got);
        std::fclose(file);
    }
    return data;
}

int XmlNumber(const std::string& xml, const std::string& key) {
    const std::string open = "<" + key + ">";
    const size_t at = xml.find(open);
    return at == std::string::npos ? -1 : std::atoi(xml.c_str() + at + open.size());
}

bool WaitUntil(DWORD milliseconds, const std::function<bool()>& condition) {
    for (const DWORD start = GetTickCount();; Sleep(50)) {
        if (condition()) return true;
        if (GetTickCount() - start > milliseconds) return false;
    }
}

struct ChildSearch {
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectChildren(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ChildSearch*>(data);
    char className[64] = {0};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpiA(className, search->className) == 0) search->found.push_back(window);
    return TRUE;
}

// Chooses an item of the tray menu as a user would: the right button on the
// icon opens the menu, the arrow key moves to the item, Enter chooses it.
bool ChooseTrayMenuItem(DWORD processId, UINT arrowKey) {
    HWND tray = WaitForWindow(processId, "QRUtilWindow", 5000);
    if (!tray) return false;
    PostMessageA(tray, WM_USER + 211, 0, WM_RBUTTONUP);
    HWND menu = WaitForWindow(processId, "#32768", 10000, true);
    if (!menu) return false;
    PostMessageA(menu, WM_KEYDOWN, arrowKey, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    return true;
}

}  // namespace

TEST(EndToEnd, FromTheProgramFolderAReminderFallsDueIsAcknowledgedAndExitFromTheTraySavesIt) {
    const std::string folder = MakeProgramFolderFromDist("qr-e2e-run");
    // A one-time reminder with the exact-time rule, due a minute ago.
    const time_t dueAt = time(nullptr) - 60;
    const tm local = *localtime(&dueAt);
    Eintrag reminder;
    ClearDateRecord(&reminder.StartTime);
    reminder.StartTime.tm_year = local.tm_year;
    reminder.StartTime.tm_mon = local.tm_mon;
    reminder.StartTime.tm_mday = local.tm_mday;
    reminder.StartTime.tm_hour = local.tm_hour;
    reminder.StartTime.tm_min = local.tm_min;
    reminder.ExactlyAt = true;
    reminder.SetTitle("Pay the rent");
    std::string image(Eintrag::kImageSize, '\0');
    reminder.WriteImage(reinterpret_cast<uint8_t*>(&image[0]));
    WriteTextFile(folder + "index.dat", image);

    Program program;
    ASSERT_TRUE(program.Start(folder));
    HWND mainWindow = WaitForWindow(program.ProcessId(), "TMainForm", 60000, true);
    ASSERT_NE(mainWindow, nullptr);
    // The folder holds its "icons.bin": the start reported nothing.
    EXPECT_EQ(WaitForWindow(program.ProcessId(), "#32770", 0), nullptr);
    EXPECT_EQ(WaitForWindow(program.ProcessId(), "TFormMessageBox", 0), nullptr);

    // Wine's uptime is the machine's: the due check starts on the fourth tick.
    HWND alarm = WaitForWindow(program.ProcessId(), "TFormRemindeNow", 20000, true);
    ASSERT_NE(alarm, nullptr);
    // The skinned buttons are system buttons underneath.
    ChildSearch buttons{"Button", {}};
    EnumChildWindows(alarm, &CollectChildren, reinterpret_cast<LPARAM>(&buttons));
    ASSERT_EQ(buttons.found.size(), 2u);
    // "OK" is the left one.
    RECT first, second;
    GetWindowRect(buttons.found[0], &first);
    GetWindowRect(buttons.found[1], &second);
    HWND ok = first.left < second.left ? buttons.found[0] : buttons.found[1];
    DWORD_PTR unused = 0;
    SendMessageTimeoutA(ok, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 10000, &unused);
    EXPECT_TRUE(WaitUntil(10000, [alarm] { return !IsWindow(alarm) || !IsWindowVisible(alarm); }));

    RECT rect;
    GetWindowRect(mainWindow, &rect);
    // "Exit" is the last item of the tray menu.
    ASSERT_TRUE(ChooseTrayMenuItem(program.ProcessId(), VK_UP));
    ASSERT_EQ(program.Wait(30000), 0u);

    const std::string saved = ReadWholeFile(folder + "index.dat");
    ASSERT_EQ(saved.size(), Eintrag::kImageSize);
    Eintrag read;
    read.ReadImage(reinterpret_cast<const uint8_t*>(saved.data()));
    EXPECT_STREQ(read.GetTitle(), "Pay the rent");
    EXPECT_TRUE(read.Acknowledged);
    EXPECT_EQ(read.LastReminded.tm_year, local.tm_year);
    EXPECT_EQ(read.LastReminded.tm_mon, local.tm_mon);
    EXPECT_EQ(read.LastReminded.tm_mday, local.tm_mday);
    EXPECT_EQ(read.LastReminded.tm_hour, local.tm_hour);
    EXPECT_EQ(read.LastReminded.tm_min, local.tm_min);
    const std::string settings = ReadWholeFile(folder + "Settings.xml");
    EXPECT_EQ(XmlNumber(settings, "MainForm_Left"), rect.left) << settings;
    EXPECT_EQ(XmlNumber(settings, "MainForm_Top"), rect.top);
    EXPECT_EQ(XmlNumber(settings, "MainForm_Width"), rect.right - rect.left);
    EXPECT_EQ(XmlNumber(settings, "MainForm_Height"), rect.bottom - rect.top);
    RemoveFolder(folder);
}

TEST(EndToEnd, TheUsersOwnPicturesSurviveTheStartAndTheEndOfTheSession) {
    // Pictures 12 and 40 are past the ten built-in ones of the folder's "icons.bin".
    const std::string folder = MakeProgramFolderFromDist("qr-e2e-pictures");
    std::string file;
    for (int picture : {12, 40}) {
        Eintrag reminder;
        ClearDateRecord(&reminder.StartTime);
        reminder.StartTime.tm_year = 130;
        reminder.StartTime.tm_mday = 1;
        reminder.PictureIndex = picture;
        reminder.SetTitle(("Picture " + std::to_string(picture)).c_str());
        std::string image(Eintrag::kImageSize, '\0');
        reminder.WriteImage(reinterpret_cast<uint8_t*>(&image[0]));
        file += image;
    }
    WriteTextFile(folder + "index.dat", file);

    Program program;
    ASSERT_TRUE(program.Start(folder));
    HWND mainWindow = WaitForWindow(program.ProcessId(), "TMainForm", 60000, true);
    ASSERT_NE(mainWindow, nullptr);
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(mainWindow, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer));
    ASSERT_TRUE(SendMessageTimeoutA(mainWindow, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 10000, &answer));
    EXPECT_EQ(program.Wait(30000), 0u);

    const std::string saved = ReadWholeFile(folder + "index.dat");
    ASSERT_EQ(saved.size(), 2 * Eintrag::kImageSize);
    std::vector<int> pictures;
    for (size_t at = 0; at < saved.size(); at += Eintrag::kImageSize) {
        Eintrag read;
        read.ReadImage(reinterpret_cast<const uint8_t*>(saved.data() + at));
        pictures.push_back(read.PictureIndex);
    }
    EXPECT_EQ(pictures, (std::vector<int>{12, 40}));
    RemoveFolder(folder);
}

TEST(EndToEnd, HidingAndRestoringThroughTheTrayAndTheEndOfTheSessionSave) {
    const std::string folder = MakeProgramFolderFromDist("qr-e2e-tray");
    Program program;
    ASSERT_TRUE(program.Start(folder));
    HWND mainWindow = WaitForWindow(program.ProcessId(), "TMainForm", 60000, true);
    ASSERT_NE(mainWindow, nullptr);
    HWND applicationWindow = WaitForWindow(program.ProcessId(), "TApplication", 1000);
    ASSERT_NE(applicationWindow, nullptr);
    EXPECT_EQ(WaitForWindow(program.ProcessId(), "#32770", 0), nullptr);

    // "Hide Quib Reminder", the first item: the window and its taskbar button
    // go, and the files are written.
    ASSERT_TRUE(ChooseTrayMenuItem(program.ProcessId(), VK_DOWN));
    EXPECT_TRUE(WaitUntil(10000, [mainWindow] { return !IsWindowVisible(mainWindow); }));
    // The taskbar button's window goes a moment after the main window.
    EXPECT_TRUE(WaitUntil(5000, [applicationWindow] { return !IsWindowVisible(applicationWindow); }));
    EXPECT_TRUE(WaitUntil(5000, [&folder] {
        return GetFileAttributesA((folder + "index.dat").c_str()) != INVALID_FILE_ATTRIBUTES &&
               GetFileAttributesA((folder + "Settings.xml").c_str()) != INVALID_FILE_ATTRIBUTES;
    }));

    // A double click on the icon brings both back.
    HWND tray = WaitForWindow(program.ProcessId(), "QRUtilWindow", 1000);
    ASSERT_NE(tray, nullptr);
    for (UINT event : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        PostMessageA(tray, WM_USER + 211, 0, event);
    EXPECT_TRUE(WaitUntil(10000, [mainWindow] { return IsWindowVisible(mainWindow) != FALSE; }));
    EXPECT_TRUE(IsWindowVisible(applicationWindow));

    // The end of the session saves the reminders and the window's rectangle,
    // and the program ends without writing again.
    DeleteFileA((folder + "index.dat").c_str());
    DeleteFileA((folder + "Settings.xml").c_str());
    SetWindowPos(mainWindow, nullptr, 40, 50, 620, 460, SWP_NOZORDER | SWP_NOACTIVATE);
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(mainWindow, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer));
    EXPECT_EQ(answer, 1u);
    ASSERT_TRUE(SendMessageTimeoutA(mainWindow, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 10000, &answer));
    EXPECT_EQ(ReadWholeFile(folder + "index.dat").size(), 0u);
    const std::string settings = ReadWholeFile(folder + "Settings.xml");
    EXPECT_EQ(XmlNumber(settings, "MainForm_Left"), 40) << settings;
    EXPECT_EQ(XmlNumber(settings, "MainForm_Top"), 50);
    EXPECT_EQ(XmlNumber(settings, "MainForm_Width"), 620);
    EXPECT_EQ(XmlNumber(settings, "MainForm_Height"), 460);
    const std::vector<FileState> afterSessionEnd = Snapshot(folder);
    EXPECT_EQ(program.Wait(30000), 0u);
    EXPECT_TRUE(Snapshot(folder) == afterSessionEnd);
    RemoveFolder(folder);
}
#endif

#ifdef QR_DIST_DIR
namespace {

void Cut(const std::string& name, size_t size) {
    WriteTextFile(name, ReadWholeFile(name).substr(0, size));
}

void Poke32(const std::string& name, size_t at, uint32_t value) {
    std::string bytes = ReadWholeFile(name);
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
    WriteTextFile(name, bytes);
}

std::string BoxText(HWND box) {
    std::string text;
    EnumChildWindows(box, &CollectText, reinterpret_cast<LPARAM>(&text));
    return text;
}

// Answers each box the program shows, the system's with OK and its own with its
// first button, until `done`; each box is noted as its class and, for the
// system's, its text (the program draws its own box's text).
bool AnswerBoxesUntil(DWORD processId, std::vector<std::string>& boxes, const std::function<bool()>& done) {
    return WaitUntil(60000, [&] {
        if (done()) return true;
        if (HWND box = WaitForWindow(processId, "#32770", 0, true)) {
            // The box may be found before its text is in place.
            std::string text;
            WaitUntil(5000, [&] { return !(text = BoxText(box)).empty(); });
            boxes.push_back("#32770: " + text);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            WaitUntil(5000, [box] { return !IsWindowVisible(box); });
        } else if (HWND own = WaitForWindow(processId, "TFormMessageBox", 0, true)) {
            boxes.push_back("TFormMessageBox");
            HWND button = FindWindowExA(own, nullptr, "Button", nullptr);
            PostMessageA(button ? button : own, BM_CLICK, 0, 0);
            WaitUntil(5000, [own] { return !IsWindow(own) || !IsWindowVisible(own); });
        }
        return false;
    });
}

}  // namespace

// A damaged file of the program folder: the start still reaches the main window,
// or the error the file has (a damaged skin: one box, and the program ends with
// exit code 0), and the end of the session ends the program. A reminder file it
// could not read is never written over.
TEST(EndToEnd, DamagedFilesOfTheProgramFolderLeadToTheMainWindowOrTheirOwnError) {
    struct Case {
        const char* file;
        const char* damage;
        std::function<void(const std::string& name)> write;
        std::vector<std::string> boxes;  // each box of the run: a piece of the system's box's text, or the program's own box
        bool mainWindow;                 // false: the start ends after its boxes
    };
    const std::string skinError = "Bitmap image is not valid";
    const std::string top = "Skins\\Default\\Top.bmp";
    const std::string record(Eintrag::kImageSize, '\xFF');
    const std::vector<Case> cases = {
        {"icons.bin", "cut in half", [](const std::string& name) { Cut(name, ReadWholeFile(name).size() / 2); },
         {"Error reading the file \"icons.bin\""}, true},
        {"icons.bin", "a list with masks of 2^31 x 2^31 pixels",
         [](const std::string& name) {
             std::string bytes = ReadWholeFile(name);
             const size_t list = bytes.find(std::string("IL\x01\x01", 4));
             ASSERT_NE(list, std::string::npos);
             bytes[list + 18] |= 1;
             WriteTextFile(name, bytes);
             Poke32(name, list + 46, 0x7FFFFFFF);
             Poke32(name, list + 50, 0x7FFFFFFF);
         },
         {"Error reading the file \"icons.bin\""}, true},
        {"Settings.xml", "cut inside an element",
         [](const std::string& name) { WriteTextFile(name, "<Settings><General_Settings><MainFormSettings><Main"); },
         {}, true},
        {"Settings.xml", "a word for a number",
         [](const std::string& name) {
             WriteTextFile(name, "<Settings><Calendar_Settings><Font_Name>Arial</Font_Name>"
                                 "<Font_Color>red</Font_Color></Calendar_Settings></Settings>");
         },
         {"TFormMessageBox"}, true},
        // The program's own icons stay.
        {"main.ico", "cut at 100 bytes", [](const std::string& name) { Cut(name, 100); }, {}, true},
        {"Skins\\Default\\Top.bmp", "cut at 200 bytes", [](const std::string& name) { Cut(name, 200); },
         {skinError}, false},
        {"Skins\\Default\\Top.bmp", "32767 pixels wide", [](const std::string& name) { Poke32(name, 18, 32767); },
         {skinError}, false},
        {"index.dat", "records of 0xFF and a piece of one",
         [&record](const std::string& name) { WriteTextFile(name, record + record + record.substr(0, 99)); }, {}, true},
        // Held open without sharing by this test: the program cannot read it, and
        // with no reminder of its own the run has nothing to save beside it.
        {"index.dat", "unreadable", [&record](const std::string& name) { WriteTextFile(name, record); },
         {"TFormMessageBox"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + ", " + c.damage);
        const std::string folder = MakeProgramFolderFromDist("qr-e2e-damaged");
        const std::string name = folder + c.file;
        c.write(name);
        const std::string bytes = ReadWholeFile(name);
        HANDLE lock = std::string(c.damage) == "unreadable"
                          ? CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                          : INVALID_HANDLE_VALUE;
        Program program;
        ASSERT_TRUE(program.Start(folder));
        std::vector<std::string> boxes;
        HWND mainWindow = nullptr;
        EXPECT_TRUE(AnswerBoxesUntil(program.ProcessId(), boxes, [&] {
            mainWindow = WaitForWindow(program.ProcessId(), "TMainForm", 0, true);
            return mainWindow || program.Wait(0) != STILL_ACTIVE;
        }));
        EXPECT_EQ(mainWindow != nullptr, c.mainWindow);
        if (mainWindow) {
            DWORD_PTR answer = 0;
            EXPECT_TRUE(SendMessageTimeoutA(mainWindow, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer));
            // Not sent and waited for: the end of the session may have boxes to answer.
            SendNotifyMessageA(mainWindow, WM_ENDSESSION, TRUE, 0);
            EXPECT_TRUE(AnswerBoxesUntil(program.ProcessId(), boxes, [&] { return program.Wait(0) != STILL_ACTIVE; }));
        }
        EXPECT_EQ(program.Wait(30000), 0u);
        ASSERT_EQ(boxes.size(), c.boxes.size()) << testing::PrintToString(boxes);
        for (size_t i = 0; i < boxes.size(); ++i) {
            EXPECT_NE(boxes[i].find(c.boxes[i]), std::string::npos) << boxes[i];
            if (!c.mainWindow) {
                EXPECT_NE(boxes[i].find(top), std::string::npos) << boxes[i];
            }
        }
        if (lock != INVALID_HANDLE_VALUE) {
            CloseHandle(lock);
            EXPECT_EQ(ReadWholeFile(name), bytes);
        }
        RemoveFolder(folder);
    }
}
#endif
