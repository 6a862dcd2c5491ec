// kelSysUtils: files and processes, the deferred file operations, file times,
// program-file build dates, interface files and INI files.
#include <windows.h>

#include <cstring>
#include <vector>

#include "classlib/FileUtils.h"
#include "classlib/IniFiles.h"
#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"

namespace {

constexpr uint32_t kDefaultCopyBuffer = 65536;
constexpr DWORD kErrorCancelled = 1223;  // ERROR_CANCELLED
// An entry without attributes counts for a search asking for any of these.
constexpr uint32_t kPlainFileAttributes = 0xA7;

// Closes a file handle when the scope ends.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return m_handle; }
    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }
    void Close() {
        if (IsValid()) CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_handle;
};

HANDLE OpenShared(const std::string& fileName, DWORD access, DWORD flags = 0) {
    return CreateFileA(fileName.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags,
                       nullptr);
}

std::string Quoted(const std::string& name) {
    return kelEncloseString(name, '"');
}

// How often, about a second apart, a batch tries to delete the file the program
// holds before it gives up: a file that can never go must not keep a hidden
// command processor running for ever.
constexpr int kDeferredTries = 120;

// The text in the OEM code page, which the command processor reads batch files
// in; empty when some character has no exact counterpart there.
std::string ToOemExactly(const std::string& text) {
    if (text.empty()) return text;
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], wideLength);
    const UINT codePage = kelOemCodePage();
    // UTF-8 holds every name; the system refuses to say whether anything was
    // lost in it (the call fails when asked), so it is not asked.
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL isLossy = FALSE;
    BOOL* lossy = codePage == CP_UTF8 ? nullptr : &isLossy;
    const int length = kelWideCharToMultiByte(codePage, flags, wide.data(), wideLength, nullptr, 0, nullptr, lossy);
    if (length <= 0) return std::string();
    std::string oem(static_cast<size_t>(length), '\0');
    if (kelWideCharToMultiByte(codePage, flags, wide.data(), wideLength, &oem[0], length, nullptr, lossy) != length)
        return std::string();
    return isLossy ? std::string() : oem;
}

[[noreturn]] void RefuseForBatch(const std::string& text, const std::string& why, DWORD code) {
    throw EInOutError("Cannot write \"" + text + "\" to a batch file: " + why, code);
}

// Text as a batch line must hold it for the command processor to read exactly it:
// in its code page, with "%" doubled so that nothing is taken for a variable.
std::string ForBatch(const std::string& text, const std::string& oem) {
    if (oem.empty() && !text.empty())
        RefuseForBatch(text, "a character has no counterpart in the OEM code page", ERROR_NO_UNICODE_TRANSLATION);
    std::string result;
    for (char c : oem) {
        result += c;
        if (c == '%') result += '%';
    }
    return result;
}

// A file's name, quoted, for a batch line. "?" and "*" would make "del" take
// other files too (the ANSI file functions put "?" for a letter the code page
// lacks). A quote would end the name early and make the rest more names for
// "del", and a control character such as a line break would break the line; no
// Windows name holds either. A name the code page cannot hold may be written by
// its short name, but only where the file is still there when the line runs: a
// file that the batch deletes and makes again must be named by its own name, or
// "copy" would make a file of the short name.
std::string BatchName(const std::string& fileName, bool mayUseShortName) {
    if (fileName.find_first_of("?*") != std::string::npos)
        RefuseForBatch(fileName, "the name holds a wildcard", ERROR_INVALID_NAME);
    for (unsigned char c : fileName)
        if (c == '"' || c < ' ')
            RefuseForBatch(fileName, "the name holds a quote or a control character", ERROR_INVALID_NAME);
    std::string oem = ToOemExactly(fileName);
    if (oem.empty() && !fileName.empty() && mayUseShortName) {
        char shortName[MAX_PATH] = {};
        const DWORD length = GetShortPathNameA(fileName.c_str(), shortName, MAX_PATH);
        if (length > 0 && length < MAX_PATH) oem = ToOemExactly(shortName);
    }
    return Quoted(ForBatch(fileName, oem));
}

// The characters the command processor acts on outside quotes.
const std::string kBatchSpecial = "&|<>^";

// A program's parameters for a batch line, so that the program gets them as the
// direct call passes them: outside quotes the command processor's own characters
// are escaped, or "x & del y" would run "del y". A line break would start a line
// of its own.
std::string BatchParameters(const std::string& parameters) {
    if (parameters.find_first_of("\r\n") != std::string::npos)
        RefuseForBatch(parameters, "the parameters hold a line break", ERROR_INVALID_PARAMETER);
    const std::string text = ForBatch(parameters, ToOemExactly(parameters));
    std::string result;
    bool isQuoted = false;
    for (char c : text) {
        if (c == '"') isQuoted = !isQuoted;
        if (!isQuoted && kBatchSpecial.find(c) != std::string::npos) result += '^';
        result += c;
    }
    return result;
}

// Writes the batch file of a deferred operation and starts it. It tries to delete
// the file of the quoted `name` until it can or gives up; only once the file is
// gone do the `then` lines run. Last, the batch file deletes itself.
void RunDeferredBatch(const std::string& name, const std::vector<std::string>& then) {
    const std::string temp = kelGetUniqueTempFileName("kel software");
    if (temp.empty()) {
        const DWORD code = GetLastError();
        throw EInOutError("Cannot make a temporary file: " + SysErrorMessage(code), code);
    }
    const std::string batch = ChangeFileExt(temp, ".bat");
    // There first, so that it has a short name should its own name need one.
    WriteTextFileLines(batch, {});
    // Where delayed expansion is on (the registry can turn it on for every
    // command processor), "!" in a name would be read as a variable.
    std::vector<std::string> lines = {"setlocal DisableDelayedExpansion",
                                      "set kelTries=0",
                                      ":REPEAT",
                                      "del " + name,
                                      "if not exist " + name + " goto DONE",
                                      "set /a kelTries+=1",
                                      "if %kelTries% GEQ " + std::to_string(kDeferredTries) + " goto END",
                                      "ping -n 2 127.0.0.1 >nul",
                                      "goto REPEAT",
                                      ":DONE"};
    lines.insert(lines.end(), then.begin(), then.end());
    lines.push_back(":END");
    try {
        lines.push_back("del " + BatchName(batch, true));
    } catch (...) {
        DeleteFileA(batch.c_str());
        throw;
    }
    WriteTextFileLines(batch, lines);
    kelRun(Quoted(batch));
}

int32_t ForEachFileIn(const std::string& dir,
                      const std::string& name,
                      uint32_t attributes,
                      bool recursive,
                      const TkelForEachFileCallback& callback) {
    int32_t count = 0;
    TSearchRec rec;
    if (FindFirst(dir + name, attributes, rec) == 0) {
        bool continueSearch = true;
        do {
            if ((rec.Attr & attributes) != 0 || (rec.Attr == 0 && (attributes & kPlainFileAttributes) != 0)) {
                callback(dir, rec, continueSearch);
                ++count;
            }
        } while (continueSearch && FindNext(rec) == 0);
        FindClose(rec);
    }
    if (recursive) {
        TSearchRec sub;
        if (FindFirst(dir + "*.*", (attributes & 15) | faDirectory, sub) == 0) {
            do {
                if ((sub.Attr & faDirectory) != 0 && !sub.Name.empty() && sub.Name[0] != '.')
                    count += ForEachFileIn(dir + sub.Name + "\\", name, attributes, recursive, callback);
            } while (FindNext(sub) == 0);
            FindClose(sub);
        }
    }
    return count;
}

enum class FileTimeKind { Creation, LastAccess, LastWrite };

TDateTime GetFileTimeOf(const std::string& fileName, FileTimeKind kind) {
    WIN32_FIND_DATAA data;
    const HANDLE find = FindFirstFileA(fileName.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) RaiseLastOSError();
    FindClose(find);
    switch (kind) {
        case FileTimeKind::Creation: return kelFileTimeToDateTime(data.ftCreationTime);
        case FileTimeKind::LastAccess: return kelFileTimeToDateTime(data.ftLastAccessTime);
        default: return kelFileTimeToDateTime(data.ftLastWriteTime);
    }
}

bool SetFileTimeOf(const std::string& fileName, FileTimeKind kind, TDateTime value) {
    // Folders open only with the backup-semantics flag, which the 9x family lacks.
    const DWORD flags = IsWinNT ? FILE_FLAG_BACKUP_SEMANTICS : 0;
    FileHandle file(
        CreateFileA(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr));
    if (!file.IsValid()) return false;
    const FILETIME time = kelDateTimeToFileTime(value);
    const FILETIME* creation = kind == FileTimeKind::Creation ? &time : nullptr;
    const FILETIME* access = kind == FileTimeKind::LastAccess ? &time : nullptr;
    const FILETIME* write = kind == FileTimeKind::LastWrite ? &time : nullptr;
    return SetFileTime(file.Get(), creation, access, write) != FALSE;
}

bool ReadExactly(HANDLE file, void* buffer, DWORD size) {
    DWORD read = 0;
    return ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

bool SeekTo(HANDLE file, uint32_t offset) {
    return SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

uint16_t Word16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Word32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

//=== Files and processes

std::string SAppPath;
std::string kelLogFileName;

void kelTrace(const std::string& message) {
    (void)message;
}

void kelTraceEx(const std::string& message, int level) {
    (void)message;
    (void)level;
}

void kelTraceError(const std::string& message) {
    (void)message;
}

bool kelGetFileSize(const std::string& fileName, uint32_t& size) {
    const HANDLE file = OpenShared(fileName, GENERIC_READ);
    if (file == INVALID_HANDLE_VALUE) return false;
    SetLastError(NO_ERROR);
    size = GetFileSize(file, nullptr);
    // All ones is also the size of a file that long: the error code tells them apart.
    const DWORD error = GetLastError();
    const bool isValid = size != INVALID_FILE_SIZE || error == NO_ERROR;
    CloseHandle(file);
    SetLastError(error);
    return isValid;
}

bool kelCopyFile(const std::string& source, const std::string& dest) {
    return CopyFileA(source.c_str(), dest.c_str(), FALSE) != FALSE;
}

bool kelCopyFileEx(const std::string& source,
                   const std::string& dest,
                   uint32_t bufferSize,
                   const TkelCopyFileCallback& callback,
                   TObject* data) {
    if (bufferSize == 0) bufferSize = kDefaultCopyBuffer;
    FileHandle input(OpenShared(source, GENERIC_READ));
    if (!input.IsValid()) return false;
    FileHandle output(CreateFileA(dest.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!output.IsValid()) return false;
    uint32_t total = 0;
    if (callback && !kelGetFileSize(source, total)) total = 0;

    std::vector<char> buffer(bufferSize);
    uint32_t copied = 0;
    bool result = true;
    bool cancelled = false;
    for (;;) {
        DWORD read = 0;
        // A failed read ends the copy as a failure, not as the end of the file.
        if (!ReadFile(input.Get(), buffer.data(), bufferSize, &read, nullptr)) {
            result = false;
            break;
        }
        if (read == 0) break;
        DWORD written = 0;
        if (!WriteFile(output.Get(), buffer.data(), read, &written, nullptr) || written < read) {
            result = false;
            break;
        }
        copied += read;
        if (callback) {
            bool cancel = false;
            callback(data, copied, total, cancel);
            if (cancel) {
                cancelled = true;
                result = false;
                break;
            }
        }
    }
    input.Close();
    output.Close();
    if (cancelled) SetLastError(kErrorCancelled);
    return result;
}

void kelRunEx(const std::string& commandLine, bool wait) {
    kelRunProcess(commandLine, wait);
}

void kelRun(const std::string& commandLine) {
    kelRunEx(commandLine, false);
}

void kelRemoveFile(const std::string& fileName) {
    if (DeleteFileA(fileName.c_str())) return;
    RunDeferredBatch(BatchName(fileName, true), {});
}

// Every name is made ready for the batch before anything is written: a name the
// batch cannot hold refuses the operation and leaves both files as they are.
void kelReplaceFile(const std::string& source, const std::string& dest) {
    if (kelCopyFile(source, dest)) return;
    const std::string name = BatchName(dest, false);
    RunDeferredBatch(name, {"copy " + BatchName(source, true) + " " + name});
}

void kelReplaceFileAndRun(const std::string& source, const std::string& dest, const std::string& params) {
    // Quoted, so that a folder with blanks in its name cannot start another program.
    std::string command = Quoted(dest);
    if (!params.empty()) command += " " + params;
    if (kelCopyFile(source, dest)) {
        kelRun(command);
        return;
    }
    const std::string name = BatchName(dest, false);
    std::string batchCommand = name;
    if (!params.empty()) batchCommand += " " + BatchParameters(params);
    RunDeferredBatch(name, {"copy " + BatchName(source, true) + " " + name, batchCommand});
}

int32_t kelForEachFile(const std::string& mask,
                       uint32_t attributes,
                       bool recursive,
                       const TkelForEachFileCallback& callback) {
    if (!callback) return 0;
    return ForEachFileIn(kelExtractFilePath(mask), kelExtractFileName(mask), attributes, recursive, callback);
}

FILETIME kelDateTimeToFileTime(TDateTime value) {
    SYSTEMTIME st = {};
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, minute, second, msec);
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    st.wMilliseconds = static_cast<WORD>(msec);
    FILETIME local = {};
    FILETIME universal = {};
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &universal);
    return universal;
}

TDateTime kelFileTimeToDateTime(const FILETIME& time) {
    FILETIME local = {};
    SYSTEMTIME st = {};
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &st)) return 0;
    return EncodeDate(st.wYear, st.wMonth, st.wDay) + EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

int32_t kelModifyFileAttr(const std::string& fileName, uint32_t clear, uint32_t set) {
    const uint32_t current = static_cast<uint32_t>(FileGetAttr(fileName));
    return FileSetAttr(fileName, static_cast<int32_t>((current & ~clear) | set));
}

TDateTime kelGetFileDateTime(const std::string& fileName) {
    FileHandle file(OpenShared(fileName, GENERIC_WRITE));
    FILETIME write = {};
    FILETIME local = {};
    WORD date = 0;
    WORD time = 0;
    if (!file.IsValid() || !GetFileTime(file.Get(), nullptr, nullptr, &write) ||
        !FileTimeToLocalFileTime(&write, &local) || !FileTimeToDosDateTime(&local, &date, &time))
        return Now();
    try {
        return FileDateToDateTime(static_cast<int32_t>((uint32_t(date) << 16) | time));
    } catch (const EConvertError&) {
        return Now();
    }
}

void kelSetFileDateTime(const std::string& fileName, TDateTime value) {
    FileHandle file(OpenShared(fileName, GENERIC_WRITE));
    if (!file.IsValid()) return;
    const uint32_t packed = static_cast<uint32_t>(DateTimeToFileDate(value));
    FILETIME local = {};
    FILETIME universal = {};
    if (DosDateTimeToFileTime(static_cast<WORD>(packed >> 16), static_cast<WORD>(packed & 0xFFFF), &local) &&
        LocalFileTimeToFileTime(&local, &universal))
        SetFileTime(file.Get(), nullptr, nullptr, &universal);
}

TDateTime kelGetFileLastAccess(const std::string& fileName) {
    return GetFileTimeOf(fileName, FileTimeKind::LastAccess);
}

TDateTime kelGetFileCreation(const std::string& fileName) {
    return GetFileTimeOf(fileName, FileTimeKind::Creation);
}

TDateTime kelGetFileLastWrite(const std::string& fileName) {
    return GetFileTimeOf(fileName, FileTimeKind::LastWrite);
}

bool kelSetFileLastAccess(const std::string& fileName, TDateTime value) {
    return SetFileTimeOf(fileName, FileTimeKind::LastAccess, value);
}

bool kelSetFileCreation(const std::string& fileName, TDateTime value) {
    return SetFileTimeOf(fileName, FileTimeKind::Creation, value);
}

bool kelSetFileLastWrite(const std::string& fileName, TDateTime value) {
    return SetFileTimeOf(fileName, FileTimeKind::LastWrite, value);
}

bool kelGetFileBuildDateTime(const std::string& fileName, TDateTime& value) {
    if (!FileExists(fileName)) return false;
    FileHandle file(CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.IsValid()) return false;
    uint8_t dosHeader[64];
    if (!ReadExactly(file.Get(), dosHeader, sizeof dosHeader) || dosHeader[0] != 'M' || dosHeader[1] != 'Z')
        return false;
    uint8_t signature[4];
    uint8_t fileHeader[20];
    if (!SeekTo(file.Get(), Word32(dosHeader + 60)) || !ReadExactly(file.Get(), signature, sizeof signature) ||
        std::memcmp(signature, "PE\0\0", 4) != 0 || !ReadExactly(file.Get(), fileHeader, sizeof fileHeader))
        return false;
    const uint16_t sectionCount = Word16(fileHeader + 2);
    // The optional header is as long as the file header says: 224 bytes for a
    // 32-bit program, 240 for a 64-bit one.
    const uint16_t optionalSize = Word16(fileHeader + 16);
    if (SetFilePointer(file.Get(), optionalSize, nullptr, FILE_CURRENT) == INVALID_SET_FILE_POINTER) return false;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        uint8_t section[40];
        if (!ReadExactly(file.Get(), section, sizeof section)) return false;
        if (std::memcmp(section, ".rsrc\0\0\0", 8) != 0) continue;
        uint8_t directory[16];
        if (!SeekTo(file.Get(), Word32(section + 20)) || !ReadExactly(file.Get(), directory, sizeof directory))
            return false;
        try {
            value = FileDateToDateTime(static_cast<int32_t>(Word32(directory + 4)));
        } catch (const EConvertError&) {
            // A stamp that is no date (many linkers leave 0) gives no build date.
            return false;
        }
        return true;
    }
    return false;
}

bool kelCreateIntFile(const std::string& source, const std::string& destDir) {
    if (!FileExists(source) || !kelDirectoryExists(destDir)) return false;
    const std::string dest = kelAddSlash(destDir) + ChangeFileExt(kelExtractFileName(source), ".int");
    // The whole source is read before the destination is made, so that a source
    // that is itself the ".int" file is not emptied before it is read.
    const std::vector<std::string> lines = ReadTextFileLines(source);
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        const size_t p = AnsiUpperCase(line).find("IMPLEMENTATION");
        if (p != std::string::npos) {
            out.push_back(line.substr(0, p + 1 + 14));
            break;
        }
        out.push_back(line);
    }
    WriteTextFileLines(dest, out);
    return true;
}

//=== INI files

bool kelIniReadBool(const std::string& fileName, const std::string& section, const std::string& key) {
    return TIniFile(fileName).ReadBool(section, key, false);
}

int32_t kelIniReadInteger(const std::string& fileName, const std::string& section, const std::string& key) {
    return TIniFile(fileName).ReadInteger(section, key, 0);
}

std::string kelIniReadString(const std::string& fileName, const std::string& section, const std::string& key) {
    return TIniFile(fileName).ReadString(section, key, std::string());
}

void kelIniWriteBool(const std::string& fileName, const std::string& section, const std::string& key, bool value) {
    TIniFile(fileName).WriteBool(section, key, value);
}

void kelIniWriteInteger(const std::string& fileName,
                        const std::string& section,
                        const std::string& key,
                        int32_t value) {
    TIniFile(fileName).WriteInteger(section, key, value);
}

void kelIniWriteString(const std::string& fileName,
                       const std::string& section,
                       const std::string& key,
                       const std::string& value) {
    TIniFile(fileName).WriteString(section, key, value);
}
