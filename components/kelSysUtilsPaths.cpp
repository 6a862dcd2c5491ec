// kelSysUtils: file names and paths, relative paths, folders and the system's
// own folders.
#include <windows.h>

#include "classlib/FileUtils.h"
#include "components/kelSysUtils.h"

namespace {

const char kNameDelimiters[] = "\\:/";

// The 0-based position of the last of "\", ":" and "/", or npos.
size_t LastNameDelimiter(const std::string& path) {
    return path.find_last_of(kNameDelimiters);
}

bool HasWildcard(const std::string& s) {
    return s.find_first_of("*?") != std::string::npos;
}

// Whether the path names its folder from a root: "C:\...", "\\server\...".
bool IsFullPath(const std::string& path) {
    if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/')) return true;
    return path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

}  // namespace

bool kelIsValidFileName(const std::string& name) {
    if (name.empty()) return false;
    if (FileExists(name)) return true;
    // A new file only: an existing one of that name must never be touched.
    const HANDLE file =
        CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    DeleteFileA(name.c_str());
    return true;
}

std::string kelAddSlash(const std::string& s) {
    if (!s.empty() && s.back() == '\\') return s;
    return s + '\\';
}

std::string kelAddSlashBefore(const std::string& s) {
    return kelAddCharBefore(s, '\\');
}

std::string kelRemoveSlash(const std::string& s) {
    if (!s.empty() && s.back() == '\\') return s.substr(0, s.size() - 1);
    return s;
}

std::string kelRemoveExtraSlash(const std::string& s) {
    std::string result = s;
    kelReplaceSubStrings(result, "\\\\", "\\");
    return result;
}

std::string kelExtractFileName(const std::string& path) {
    const size_t p = LastNameDelimiter(path);
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string kelExtractFilePath(const std::string& path) {
    const size_t p = LastNameDelimiter(path);
    return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string kelExtractOnlyFileName(const std::string& path) {
    return ChangeFileExt(kelExtractFileName(path), "");
}

std::string kelGetFileNameMatchedMask(const std::string& fileName, const std::string& mask) {
    if (Trim(mask).empty()) return fileName;
    const std::string maskDir = kelExtractFilePath(mask);
    const std::string maskFile = kelExtractFileName(mask);
    const std::string maskName = ChangeFileExt(maskFile, "");
    const std::string maskExt = ExtractFileExt(maskFile);
    const std::string file = kelExtractFileName(fileName);

    std::string result = maskDir.empty() ? kelExtractFilePath(fileName) : maskDir;
    result += !maskName.empty() && !HasWildcard(maskName) ? maskName : ChangeFileExt(file, "");
    result += !maskExt.empty() && !HasWildcard(maskExt) ? maskExt : ExtractFileExt(file);
    return result;
}

std::string kelPackPathString(const std::string& path, int maxLength) {
    if (static_cast<int64_t>(path.size()) <= maxLength) return path;
    std::string result = path;
    const size_t last = path.rfind('\\');
    if (last != std::string::npos) {
        const std::string tail = path.substr(last);
        const int64_t limit = int64_t(maxLength) - int64_t(tail.size()) - 2;
        // 1-based positions of the backslashes; the first one always stays.
        size_t keep = path.find('\\') + 1;
        for (size_t b = path.find('\\', keep); b != std::string::npos; b = path.find('\\', b + 1)) {
            if (int64_t(b + 1) >= limit) break;
            keep = b + 1;
        }
        result = path.substr(0, keep) + "..." + tail;
    }
    if (static_cast<int64_t>(result.size()) > maxLength)
        result = result.substr(0, maxLength > 4 ? static_cast<size_t>(maxLength - 4) : 0) + "...";
    return result;
}

void kelCommandLineToStrings(TStrings* list) {
    if (!list) return;
    list->Clear();
    const int count = ParamCount();
    for (int i = 1; i <= count; ++i) {
        std::string param = ParamStr(i);
        if (!param.empty() && (param[0] == '-' || param[0] == '/')) param.erase(0, 1);
        list->Add(param);
    }
}

std::string kelConcatRelativePath(const std::string& base, const std::string& path) {
    if (!ExtractFileDrive(path).empty()) return path;
    const std::string joined = kelAddSlash(base) + path;
    // A network base keeps the double backslash that begins it.
    if (base.size() >= 2 && base[0] == '\\' && base[1] == '\\') return "\\" + kelRemoveExtraSlash(joined.substr(1));
    return kelRemoveExtraSlash(joined);
}

std::string kelExpandRelativePathEx(const std::string& base, const std::string& path) {
    if (path.empty()) return base.empty() ? std::string() : kelAddSlash(base);
    // The path is taken against base without making base the process's current
    // directory: other threads rely on that one, and base need not exist.
    if (base.empty() || IsFullPath(path)) return ExpandFileName(path);
    const std::string fullBase = ExpandFileName(base);
    if (path[0] == '\\' || path[0] == '/') return ExpandFileName(ExtractFileDrive(fullBase) + path);
    if (path.size() >= 2 && path[1] == ':') {
        // "X:name" is relative to the current folder of drive X: that is base only on base's drive.
        if (!SameText(path.substr(0, 2), ExtractFileDrive(fullBase))) return ExpandFileName(path);
        return ExpandFileName(kelAddSlash(fullBase) + path.substr(2));
    }
    return ExpandFileName(kelAddSlash(fullBase) + path);
}

std::string kelExpandRelativePath(const std::string& path) {
    return kelExpandRelativePathEx(SAppPath, path);
}

std::string kelSmartExpandRelativePath(const std::string& path) {
    const std::string result = kelExpandRelativePathEx(GetCurrentDir(), path);
    return kelDirectoryExists(result) ? result : kelExpandRelativePathEx(SAppPath, path);
}

std::string kelExpandRelativeFileNameEx(const std::string& base, const std::string& fileName) {
    return kelExpandRelativePathEx(base, kelExtractFilePath(fileName)) + kelExtractFileName(fileName);
}

std::string kelExpandRelativeFileName(const std::string& fileName) {
    return kelExpandRelativeFileNameEx(SAppPath, fileName);
}

std::string kelSmartExpandRelativeFileName(const std::string& fileName) {
    const std::string result = kelExpandRelativeFileNameEx(GetCurrentDir(), fileName);
    return FileExists(result) ? result : kelExpandRelativeFileNameEx(SAppPath, fileName);
}

bool kelDirectoryExists(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesA(kelRemoveSlash(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void kelForceDirectoriesEx(const std::string& path, TStrings* created) {
    const std::string dir = kelRemoveSlash(path);
    if (dir.size() < 3 || kelDirectoryExists(dir)) return;
    const std::string parent = kelExtractFilePath(dir);
    if (parent == dir) return;
    kelForceDirectoriesEx(parent, created);
    if (CreateDirectoryA(dir.c_str(), nullptr) && created) created->Add(dir);
}

void kelForceDirectories(const std::string& path) {
    kelForceDirectoriesEx(path, nullptr);
}

std::string kelGetWindowsDir() {
    char buffer[261] = {};
    const UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
    return kelAddSlash(std::string(buffer, length < sizeof buffer ? length : 0));
}

std::string kelGetSystemDir() {
    char buffer[261] = {};
    const UINT length = GetSystemDirectoryA(buffer, sizeof buffer);
    return kelAddSlash(std::string(buffer, length < sizeof buffer ? length : 0));
}

std::string kelGetProgramFilesDir() {
    return kelRegReadStringDef(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                               ExtractFileDrive(kelGetWindowsDir()) + "\\Program Files");
}

std::string kelGetTempDir() {
    char buffer[261] = {};
    const DWORD length = GetTempPathA(sizeof buffer, buffer);
    return std::string(buffer, length < sizeof buffer ? length : 0);
}

std::string kelGetUniqueTempFileName(const std::string& prefix) {
    char buffer[MAX_PATH + 1] = {};
    if (!GetTempFileNameA(kelGetTempDir().c_str(), prefix.c_str(), 0, buffer)) return std::string();
    return buffer;
}
