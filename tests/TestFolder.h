// A fresh folder under the system's temporary folder for one test, removed with
// everything in it when the test ends. Shared by the test programs.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

class TestFolder {
public:
    TestFolder() {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        static unsigned counter = 0;
        for (;;) {
            m_path =
                std::string(base) + "qrtest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
            if (CreateDirectoryA(m_path.c_str(), nullptr)) break;
        }
    }
    ~TestFolder() { Remove(m_path); }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // The folder, without a trailing separator.
    const std::string& Path() const { return m_path; }
    // A name inside the folder.
    std::string File(const std::string& name) const { return m_path + "\\" + name; }

    // Number of entries in the folder (files and folders).
    int EntryCount() const {
        int count = 0;
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((m_path + "\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return 0;
        do {
            const std::string name = data.cFileName;
            if (name != "." && name != "..") ++count;
        } while (FindNextFileA(find, &data));
        FindClose(find);
        return count;
    }

    static void WriteBytes(const std::string& fileName, const std::string& bytes) {
        std::FILE* file = std::fopen(fileName.c_str(), "wb");
        if (!file) return;
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }

    static std::string ReadBytes(const std::string& fileName) {
        std::string bytes;
        std::FILE* file = std::fopen(fileName.c_str(), "rb");
        if (!file) return bytes;
        char buffer[4096];
        size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
        std::fclose(file);
        return bytes;
    }

    // Removes a folder with everything in it (read-only entries too); an empty
    // name is no folder, and never the current one.
    static void Remove(const std::string& path) {
        if (path.empty()) return;
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = data.cFileName;
                if (name == "." || name == "..") continue;
                const std::string full = path + "\\" + name;
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    Remove(full);
                else
                    DeleteFileA(full.c_str());
            } while (FindNextFileA(find, &data));
            FindClose(find);
        }
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveDirectoryA(path.c_str());
    }

private:
    std::string m_path;
};

// Holds a file open with no sharing, so that nobody else can open, replace or
// delete it, until the object goes (or Release is called). With `share`
// FILE_SHARE_DELETE it holds it as a virus scanner or a backup tool may: nobody
// else can read it, but it can be renamed meanwhile.
class FileLock {
public:
    explicit FileLock(const std::string& fileName, DWORD share = 0)
        : m_handle(CreateFileA(fileName.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~FileLock() { Release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool IsHeld() const { return m_handle != INVALID_HANDLE_VALUE; }
    void Release() {
        if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_handle;
};

// A folder in which no file can be created, or "" when this machine offers none
// (an administrator may write into folders marked read-only).
inline std::string ReadOnlyFolder() {
    for (const char* candidate : {"Z:\\sys", "Z:\\proc"}) {
        const DWORD attributes = GetFileAttributesA(candidate);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        const std::string probe = std::string(candidate) + "\\qr-probe.tmp";
        HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return candidate;
        CloseHandle(file);
        DeleteFileA(probe.c_str());
    }
    return std::string();
}
