// The real program, copied into temporary program folders and started there:
// the single running copy and the start without a skin.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "classlib/ImgList.h"
#include "classlib/Streaming.h"

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

// A short valid PCM sound, so that the calendar sound opens.
void WriteWave(const std::string& name) {
    const uint32_t samples = 800;
    std::string data = "RIFF";
    auto put32 = [&data](uint32_t v) {
        for (int i = 0; i < 4; ++i) data += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto put16 = [&data](uint16_t v) {
        data += static_cast<char>(v & 0xFF);
        data += static_cast<char>(v >> 8);
    };
    put32(36 + samples);
    data += "WAVEfmt ";
    put32(16);
    put16(1);     // PCM
    put16(1);     // mono
    put32(8000);  // samples per second
    put32(8000);  // bytes per second
    put16(1);     // block align
    put16(8);     // bits per sample
    data += "data";
    put32(samples);
    data += std::string(samples, static_cast<char>(0x80));
    WriteTextFile(name, data);
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
    PostThreadMessageA(program.ThreadId(), WM_QUIT, 0, 0);
    EXPECT_EQ(program.Wait(60000), 0u);
    RemoveFolder(folder);
}
