// System utilities of the class library: file names, the command line, file
// attributes, file-system dates and the file search.
#include <windows.h>

#include <vector>

#include "classlib/SysUtils.h"

namespace {

bool IsOneOf(char c, const char* delimiters) {
    for (const char* d = delimiters; *d; ++d)
        if (c == *d) return true;
    return false;
}

// The 0-based position of the last of the delimiters, or npos.
size_t LastDelimiter(const std::string& text, const char* delimiters) {
    for (size_t i = text.size(); i > 0; --i)
        if (IsOneOf(text[i - 1], delimiters)) return i - 1;
    return std::string::npos;
}

uint64_t FileTimeValue(const FILETIME& time) {
    return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::function<std::string()>& CommandLineSource() {
    static std::function<std::string()> source;
    return source;
}

// The parameters of the command line, the program's own token first.
std::vector<std::string> SplitCommandLine() {
    const std::string line = CommandLineSource() ? CommandLineSource()() : std::string(GetCommandLineA());
    std::vector<std::string> params;
    size_t i = 0;
    for (;;) {
        while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ') ++i;
        if (i >= line.size()) break;
        std::string param;
        bool quoted = false;
        while (i < line.size() && (quoted || static_cast<unsigned char>(line[i]) > ' ')) {
            if (line[i] == '"')
                quoted = !quoted;
            else
                param += line[i];
            ++i;
        }
        params.push_back(param);
    }
    return params;
}

// Fills the record from the system's find data; false when the entry is one the
// search excludes.
bool TakeFound(const WIN32_FIND_DATAA& data, TSearchRec& rec) {
    if (data.dwFileAttributes & rec.ExcludeAttr) return false;
    FILETIME local;
    WORD date = 0;
    WORD time = 0;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToDosDateTime(&local, &date, &time);
    rec.Time = static_cast<int32_t>((uint32_t(date) << 16) | time);
    rec.Size = (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    rec.Attr = data.dwFileAttributes;
    rec.Name = data.cFileName;
    rec.CreationTime = FileTimeValue(data.ftCreationTime);
    rec.LastAccessTime = FileTimeValue(data.ftLastAccessTime);
    rec.LastWriteTime = FileTimeValue(data.ftLastWriteTime);
    return true;
}

// Moves on from the current entry to the next one the search includes.
int32_t FindMatching(TSearchRec& rec, WIN32_FIND_DATAA& data) {
    while (!TakeFound(data, rec)) {
        if (!FindNextFileA(static_cast<HANDLE>(rec.FindHandle), &data)) return static_cast<int32_t>(GetLastError());
    }
    return 0;
}

}  // namespace

//--- File names

std::string ExtractFileDrive(const std::string& fileName) {
    if (fileName.size() >= 2 && fileName[1] == ':') return fileName.substr(0, 2);
    if (fileName.size() >= 2 && fileName[0] == '\\' && fileName[1] == '\\') {
        // "\\server\share": up to the separator after the share's name.
        size_t separators = 0;
        size_t i = 2;
        for (; i < fileName.size(); ++i) {
            if (fileName[i] == '\\' && ++separators == 2) break;
        }
        return separators >= 1 ? fileName.substr(0, i) : std::string();
    }
    return std::string();
}

std::string ExtractFilePath(const std::string& fileName) {
    const size_t p = LastDelimiter(fileName, "\\:");
    return p == std::string::npos ? std::string() : fileName.substr(0, p + 1);
}

std::string ExtractFileName(const std::string& fileName) {
    const size_t p = LastDelimiter(fileName, "\\:");
    return p == std::string::npos ? fileName : fileName.substr(p + 1);
}

std::string ExtractFileExt(const std::string& fileName) {
    const size_t p = LastDelimiter(fileName, ".\\:");
    if (p == std::string::npos || fileName[p] != '.') return std::string();
    return fileName.substr(p);
}

std::string ChangeFileExt(const std::string& fileName, const std::string& extension) {
    const size_t p = LastDelimiter(fileName, ".\\:");
    if (p == std::string::npos || fileName[p] != '.') return fileName + extension;
    return fileName.substr(0, p) + extension;
}

std::string ExpandFileName(const std::string& fileName) {
    if (fileName.empty()) return fileName;
    char* namePart = nullptr;
    const DWORD size = GetFullPathNameA(fileName.c_str(), 0, nullptr, &namePart);
    if (size == 0) return fileName;
    std::vector<char> buffer(size + 1);
    const DWORD length = GetFullPathNameA(fileName.c_str(), size + 1, buffer.data(), &namePart);
    if (length == 0 || length > size) return fileName;
    return std::string(buffer.data(), length);
}

std::string GetCurrentDir() {
    const DWORD size = GetCurrentDirectoryA(0, nullptr);
    if (size == 0) return std::string();
    std::vector<char> buffer(size + 1);
    const DWORD length = GetCurrentDirectoryA(size + 1, buffer.data());
    return std::string(buffer.data(), length <= size ? length : 0);
}

bool SetCurrentDir(const std::string& dir) {
    return SetCurrentDirectoryA(dir.c_str()) != FALSE;
}

//--- Command line

int ParamCount() {
    const size_t count = SplitCommandLine().size();
    return count > 0 ? static_cast<int>(count - 1) : 0;
}

std::string ParamStr(int index) {
    if (index == 0) {
        char buffer[MAX_PATH + 1] = {};
        const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
        return std::string(buffer, length);
    }
    const std::vector<std::string> params = SplitCommandLine();
    if (index < 0 || static_cast<size_t>(index) >= params.size()) return std::string();
    return params[static_cast<size_t>(index)];
}

void SetCommandLineSource(std::function<std::string()> source) {
    CommandLineSource() = std::move(source);
}

//--- Files: attributes, dates and searching

int32_t FileGetAttr(const std::string& fileName) {
    return static_cast<int32_t>(GetFileAttributesA(fileName.c_str()));
}

int32_t FileSetAttr(const std::string& fileName, int32_t attributes) {
    if (SetFileAttributesA(fileName.c_str(), static_cast<DWORD>(attributes))) return 0;
    return static_cast<int32_t>(GetLastError());
}

TDateTime FileDateToDateTime(int32_t fileDate) {
    const uint32_t packed = static_cast<uint32_t>(fileDate);
    const uint32_t date = packed >> 16;
    const uint32_t time = packed & 0xFFFF;
    return EncodeDate(int(date >> 9) + 1980, int((date >> 5) & 15), int(date & 31)) +
           EncodeTime(int(time >> 11), int((time >> 5) & 63), int(time & 31) * 2, 0);
}

int32_t DateTimeToFileDate(TDateTime value) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, minute, second, msec);
    // Dates the packed form cannot hold give 0.
    if (year < 1980 || year > 2107) return 0;
    const uint32_t date = (uint32_t(year - 1980) << 9) | (uint32_t(month) << 5) | uint32_t(day);
    const uint32_t time = (uint32_t(hour) << 11) | (uint32_t(minute) << 5) | uint32_t(second / 2);
    return static_cast<int32_t>((date << 16) | time);
}

int32_t FindFirst(const std::string& path, uint32_t attributes, TSearchRec& rec) {
    constexpr uint32_t kOnRequest = faHidden | faSysFile | faVolumeID | faDirectory;
    rec.ExcludeAttr = ~attributes & kOnRequest;
    WIN32_FIND_DATAA data;
    const HANDLE handle = FindFirstFileA(path.c_str(), &data);
    if (handle == INVALID_HANDLE_VALUE) {
        rec.FindHandle = nullptr;
        return static_cast<int32_t>(GetLastError());
    }
    rec.FindHandle = handle;
    const int32_t result = FindMatching(rec, data);
    if (result != 0) FindClose(rec);
    return result;
}

int32_t FindNext(TSearchRec& rec) {
    if (!rec.FindHandle) return ERROR_NO_MORE_FILES;
    WIN32_FIND_DATAA data;
    if (!FindNextFileA(static_cast<HANDLE>(rec.FindHandle), &data)) return static_cast<int32_t>(GetLastError());
    return FindMatching(rec, data);
}

void FindClose(TSearchRec& rec) {
    if (rec.FindHandle) {
        ::FindClose(static_cast<HANDLE>(rec.FindHandle));
        rec.FindHandle = nullptr;
    }
}
