// File utilities of the class library.
#include "classlib/FileUtils.h"

#include <windows.h>

#include <io.h>

#include <cctype>
#include <utility>

#include "classlib/SysUtils.h"

namespace {

TFileAttributesQuery& AttributesQuery() {
    static TFileAttributesQuery query;
    return query;
}

DWORD QueryAttributes(const std::string& fileName, DWORD& error) {
    if (const TFileAttributesQuery& query = AttributesQuery()) {
        uint32_t code = 0;
        const DWORD attributes = query(fileName, code);
        error = code;
        return attributes;
    }
    const DWORD attributes = GetFileAttributesA(fileName.c_str());
    error = attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : 0;
    return attributes;
}

}  // namespace

void SetFileAttributesQuery(TFileAttributesQuery query) {
    AttributesQuery() = std::move(query);
}

bool FileExists(const std::string& fileName) {
    DWORD error = 0;
    const DWORD attributes = QueryAttributes(fileName, error);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FileIsMissing(const std::string& fileName) {
    DWORD error = 0;
    return QueryAttributes(fileName, error) == INVALID_FILE_ATTRIBUTES &&
           (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND);
}

namespace {

std::string FullName(const std::string& fileName) {
    char full[MAX_PATH * 4];
    const DWORD length = GetFullPathNameA(fileName.c_str(), sizeof full, full, nullptr);
    std::string result = length > 0 && length < sizeof full ? std::string(full, length) : fileName;
    for (char& c : result)
        if (c == '/') c = '\\';
    return result;
}

}  // namespace

bool SameFileName(const std::string& a, const std::string& b) {
    return lstrcmpiA(FullName(a).c_str(), FullName(b).c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
    return MoveFileA(from.c_str(), to.c_str()) != 0;
}

bool WriteAll(std::FILE* file, const void* data, size_t size) {
    return size == 0 || std::fwrite(data, 1, size, file) == size;
}

namespace {

// The prefix of the temporary files that WriteFileReplacing writes beside the target.
const char kTemporaryPrefix[] = "~qr";

// The folder part of a file name, without its separator; "." for a bare name.
std::string FolderOf(const std::string& fileName) {
    const size_t separator = fileName.find_last_of("\\/");
    if (separator == std::string::npos) return ".";
    if (separator == 0) return fileName.substr(0, 1);
    if (separator == 2 && fileName[1] == ':') return fileName.substr(0, 3);  // "C:\"
    return fileName.substr(0, separator);
}

// Writes, flushes to the disk and closes the temporary file; closes it in every case.
bool WriteTemporary(const char* name, const std::function<bool(std::FILE*)>& write) {
    std::FILE* file = std::fopen(name, "wb");
    if (!file) return false;
    bool ok = false;
    try {
        ok = write(file);
    } catch (...) {
        std::fclose(file);
        throw;
    }
    // The content must be on the disk before it replaces the old file, or a
    // power loss right after the replacement could leave an empty file.
    ok = ok && std::fflush(file) == 0 && _commit(_fileno(file)) == 0 && !std::ferror(file);
    return std::fclose(file) == 0 && ok;
}

}  // namespace

bool WriteFileReplacing(const std::string& fileName, const std::function<bool(std::FILE*)>& write) {
    DWORD error = 0;
    const DWORD attributes = QueryAttributes(fileName, error);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
        return false;

    char temporary[MAX_PATH];
    if (GetTempFileNameA(FolderOf(fileName).c_str(), kTemporaryPrefix, 0, temporary) == 0) return false;
    bool ok = false;
    try {
        ok = WriteTemporary(temporary, write) &&
             MoveFileExA(temporary, fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    } catch (...) {
        DeleteFileA(temporary);
        throw;
    }
    if (!ok) DeleteFileA(temporary);
    return ok;
}

namespace {

// Whether a name is one that GetTempFileNameA makes with our prefix: the prefix,
// one to four hexadecimal digits and ".tmp".
bool IsOwnTemporaryName(const std::string& name) {
    const size_t prefix = sizeof kTemporaryPrefix - 1;
    const size_t suffix = 4;  // ".tmp"
    if (name.size() < prefix + 1 + suffix || name.size() > prefix + 4 + suffix) return false;
    if (lstrcmpiA(name.substr(0, prefix).c_str(), kTemporaryPrefix) != 0) return false;
    if (lstrcmpiA(name.substr(name.size() - suffix).c_str(), ".tmp") != 0) return false;
    for (size_t i = prefix; i < name.size() - suffix; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

}  // namespace

void RemoveLeftoverTemporaryFiles(const std::string& folder) {
    std::string base = folder;
    if (!base.empty() && base.back() != '\\' && base.back() != '/') base += '\\';
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((base + kTemporaryPrefix + "*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    // The pattern also matches short names: only the long name decides.
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && IsOwnTemporaryName(found.cFileName))
            DeleteFileA((base + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

bool WriteFileReplacing(const std::string& fileName, const std::string& content) {
    return WriteFileReplacing(fileName,
                              [&content](std::FILE* file) { return WriteAll(file, content.data(), content.size()); });
}

namespace {

[[noreturn]] void RaiseInOutError(const std::string& fileName, DWORD code) {
    throw EInOutError("I/O error " + std::to_string(code) + " on \"" + fileName + "\": " + SysErrorMessage(code), code);
}

// Closes a file handle when the scope ends.
struct HandleCloser {
    HANDLE handle;
    ~HandleCloser() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};

}  // namespace

std::vector<std::string> ReadTextFileLines(const std::string& fileName) {
    const HANDLE file = CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) RaiseInOutError(fileName, GetLastError());
    HandleCloser closer{file};
    std::string text;
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr)) RaiseInOutError(fileName, GetLastError());
        if (read == 0) break;
        text.append(buffer, read);
    }
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        lines.push_back(text.substr(start, end - start));
        if (end < text.size() && text[end] == '\r') ++end;
        if (end < text.size() && text[end] == '\n') ++end;
        start = end;
    }
    return lines;
}

void WriteTextFileLines(const std::string& fileName, const std::vector<std::string>& lines) {
    const HANDLE file =
        CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) RaiseInOutError(fileName, GetLastError());
    HandleCloser closer{file};
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    DWORD written = 0;
    if (!text.empty() &&
        (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) || written != text.size())) {
        const DWORD code = GetLastError();
        RaiseInOutError(fileName, code != 0 ? code : ERROR_WRITE_FAULT);
    }
}
