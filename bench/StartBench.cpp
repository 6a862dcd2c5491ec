// The start of the real program with 5,000 daily reminders: from CreateProcess to
// its visible main window, then the longest a message waits for an answer while
// the program settles (its first due checks begin a few seconds after it shows).
#include "StartBench.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "model/Uconverter.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool CopyFolder(const std::string& from, const std::string& to) {
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == ".." || name == "index.dat" || name == "Settings.xml") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyFolder(from + name + "\\", to + name + "\\") && ok;
        else
            ok = CopyFileA((from + name).c_str(), (to + name).c_str(), FALSE) && ok;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return ok;
}

void RemoveFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolder(folder + name + "\\");
            else
                DeleteFileA((folder + name).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

struct WindowSearch {
    DWORD ProcessId;
    HWND Found;
};

BOOL CALLBACK MatchMainWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char className[64] = {0};
    GetClassNameA(window, className, sizeof className);
    if (processId == search->ProcessId && std::string(className) == "TMainForm" && IsWindowVisible(window)) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

// One start: milliseconds to the visible main window (negative when it never
// showed) and the longest wait for an answer over the probing time afterwards.
bool TimeStart(const std::string& folder, double& shown, double& slowest, double& slowestAt) {
    const std::string exe = folder + "QuibReminder.exe";
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const Clock::time_point start = Clock::now();
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return false;
    WindowSearch search{process.dwProcessId, nullptr};
    while (!search.Found && Since(start) < 180000) {
        EnumWindows(&MatchMainWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.Found) Sleep(5);
    }
    shown = search.Found ? Since(start) : -1;
    slowest = 0;
    slowestAt = 0;
    if (search.Found) {
        const Clock::time_point probing = Clock::now();
        while (Since(probing) < 15000) {
            const Clock::time_point sent = Clock::now();
            DWORD_PTR result = 0;
            SendMessageTimeoutA(search.Found, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &result);
            const double waited = Since(sent);
            if (waited > slowest) {
                slowest = waited;
                slowestAt = std::chrono::duration<double, std::milli>(sent - start).count();
            }
            Sleep(10);
        }
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return search.Found != nullptr;
}

}  // namespace

int RunStartBench(const char* programFolder) {
    std::string from = programFolder;
    if (!from.empty() && from.back() != '\\' && from.back() != '/') from += '\\';
    char temp[MAX_PATH] = {0};
    GetTempPathA(MAX_PATH, temp);
    int year = 0, month = 0, day = 0;
    DecodeDate(Now(), year, month, day);
    std::printf("Start of the program to its main window, 5,000 daily reminders (nothing due)\n");
    for (const int startYear : {1970, year}) {
        const std::string folder = std::string(temp) + "qr-bench-start\\";
        RemoveFolder(folder);
        if (!CopyFolder(from, folder)) {
            std::printf("  cannot copy the program folder %s\n", from.c_str());
            return 1;
        }
        {
            Converter list;
            // Two quiet hours: no alarm opens while the start is timed.
            for (Eintrag* e : MakeDailyReminders(5000, startYear, Now(), 120)) list.Append(e);
            list.SaveToFile(folder + "index.dat");
        }
        double shown = 0, slowest = 0, slowestAt = 0;
        if (!TimeStart(folder, shown, slowest, slowestAt)) {
            std::printf("  started %d: the main window did not show\n", startYear);
            RemoveFolder(folder);
            return 1;
        }
        std::printf("  started %d: main window after %8.1f ms; slowest answer in the next 15 s %6.1f ms (at %.1f s)\n",
                    startYear, shown, slowest, slowestAt / 1000);
        RemoveFolder(folder);
    }
    return 0;
}
