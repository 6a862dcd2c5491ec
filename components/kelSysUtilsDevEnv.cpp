// kelSysUtils: installing the library into a component development environment
// on the same machine: its folders, its command-line tools, its package list, its
// library search path and help contents files.
#include <windows.h>

#include "classlib/FileUtils.h"
#include "classlib/Registry.h"
#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"

const char* const CkelDevEnvMakerKey = "DevEnvMaker";
const char* const CkelDevEnvEditionAKey = "EditionA";
const char* const CkelDevEnvEditionBKey = "EditionB";
const char* const CkelDevEnvEditionACompiler = "compilea.exe";
const char* const CkelDevEnvEditionBCompiler = "compileb.exe";
const char* const CkelDevEnvEditionBConverter = "convertb.exe";

namespace {

// The version number of each value, edition A on the even ordinals, B on the odd ones.
constexpr int kVersionNumbers[11] = {2, 1, 3, 3, 4, 4, 5, 5, 6, 6, 7};

bool IsEditionB(TkelDevEnvVer version) {
    return (static_cast<int>(version) & 1) != 0;
}

std::string RegPath(TkelDevEnvVer version) {
    return std::string("Software\\") + CkelDevEnvMakerKey + "\\" +
           (IsEditionB(version) ? CkelDevEnvEditionBKey : CkelDevEnvEditionAKey) + "\\" +
           std::to_string(kVersionNumbers[version]) + ".0";
}

// A file name as one argument of a command line.
std::string Argument(const std::string& name) {
    return name.find(' ') != std::string::npos ? kelEncloseString(name, '"') : name;
}

// Puts the current directory back when the scope ends.
class CurrentDirRestorer {
public:
    CurrentDirRestorer() : m_saved(GetCurrentDir()) {}
    ~CurrentDirRestorer() { SetCurrentDir(m_saved); }
    CurrentDirRestorer(const CurrentDirRestorer&) = delete;
    CurrentDirRestorer& operator=(const CurrentDirRestorer&) = delete;

private:
    std::string m_saved;
};

// Opens the version's own key below the current user, redirected where tests want it.
bool OpenUserKey(TRegistry& registry, TkelDevEnvVer version, const char* subKey, bool canCreate) {
    HKEY root = HKEY_CURRENT_USER;
    std::string key = CkelDevEnvRegPaths[version] + subKey;
    kelRedirectRegistryKey(root, key);
    registry.RootKey = root;
    return registry.OpenKey(key, canCreate);
}

const char* SearchPathValue(TkelDevEnvVer version) {
    // The first three versions spelt the value without a blank.
    return version <= dvA3 ? "SearchPath" : "Search Path";
}

// Drops the lines of a contents file that name the help file or its own contents file.
void RemoveHelpLines(const std::string& helpFile, TStringList& lines) {
    const std::string name = AnsiUpperCase(kelExtractFileName(helpFile));
    // No name would be found in every line and empty the file.
    if (name.empty()) return;
    const std::string contents = AnsiUpperCase(ChangeFileExt(name, ".cnt"));
    for (int i = lines.Count() - 1; i >= 0; --i) {
        const std::string line = AnsiUpperCase(lines.Get(i));
        if (line.find(name) != std::string::npos || line.find(contents) != std::string::npos) lines.Delete(i);
    }
}

}  // namespace

const std::string CkelDevEnvRegPaths[11] = {
    RegPath(dvA2), RegPath(dvB1), RegPath(dvA3), RegPath(dvB3), RegPath(dvA4), RegPath(dvB4),
    RegPath(dvA5), RegPath(dvB5), RegPath(dvA6), RegPath(dvB6), RegPath(dvA7),
};

std::string kelGetDevEnvRegKey(TkelDevEnvVer version, const std::string& name) {
    HKEY root = HKEY_LOCAL_MACHINE;
    std::string key = CkelDevEnvRegPaths[version];
    kelRedirectRegistryKey(root, key);
    TRegistry registry;
    registry.RootKey = root;
    if (!registry.OpenKeyReadOnly(key)) return std::string();
    return registry.ReadString(name);
}

std::string kelGetDevEnvDir(TkelDevEnvVer version) {
    return kelAddSlash(kelGetDevEnvRegKey(version, "RootDir"));
}

std::string kelGetDevEnvDirHelp(TkelDevEnvVer version) {
    return kelGetDevEnvDir(version) + "HELP\\";
}

void kelCompileFile(TkelDevEnvVer version, const std::string& fileName, bool build) {
    if (!FileExists(fileName)) return;
    const std::string root = kelGetDevEnvDir(version);
    if (!kelDirectoryExists(root)) return;
    const std::string bin = root + "Bin\\";
    const CurrentDirRestorer restorer;
    SetCurrentDir(kelExtractFilePath(fileName));

    const std::string options = build ? " -B " : " ";
    std::string tool;
    std::string arguments;
    switch (version) {
        case dvB1:
            tool = CkelDevEnvEditionBCompiler;
            arguments = options + " -JPHN " + Argument(fileName);
            break;
        case dvB3:
        case dvB4:
            tool = "make.exe";
            arguments = options + " -f" + Argument(fileName);
            break;
        case dvB5:
        case dvB6: {
            // The project file becomes a make file first.
            const std::string makeFile = ChangeFileExt(fileName, ".mak");
            const std::string converter = bin + CkelDevEnvEditionBConverter;
            if (!FileExists(converter)) return;
            kelRunEx(Argument(converter) + " -o" + Argument(makeFile) + " " + Argument(fileName), true);
            tool = "make.exe";
            arguments = options + " -f" + Argument(makeFile);
            break;
        }
        default:
            tool = CkelDevEnvEditionACompiler;
            arguments = options + " " + Argument(fileName);
            break;
    }
    kelRunEx(Argument(bin + tool) + " " + arguments, true);
}

void kelUninstallPackage(TkelDevEnvVer version, const std::string& packageFile) {
    TRegistry registry;
    if (OpenUserKey(registry, version, "\\Known Packages\\", false) && registry.ValueExists(packageFile)) registry.DeleteValue(packageFile);
}

void kelInstallPackage(TkelDevEnvVer version, const std::string& packageFile, const std::string& description) {
    kelUninstallPackage(version, packageFile);
    TRegistry registry;
    if (OpenUserKey(registry, version, "\\Known Packages\\", true)) registry.WriteString(packageFile, description);
}

void kelRemoveSearchPathFromDevEnv(TkelDevEnvVer version, const std::string& dir) {
    TRegistry registry;
    if (!OpenUserKey(registry, version, "\\Library\\", false)) return;
    const char* value = SearchPathValue(version);
    TStringList items;
    kelParseString(registry.ReadString(value), ";", &items);
    kelRemoveStringFromList(kelRemoveSlash(dir), &items);
    registry.WriteString(value, kelUnParseString(&items, ";"));
}

void kelAddSearchPathToDevEnv(TkelDevEnvVer version, const std::string& dir) {
    kelRemoveSearchPathFromDevEnv(version, dir);
    TRegistry registry;
    if (!OpenUserKey(registry, version, "\\Library\\", false)) return;
    const char* value = SearchPathValue(version);
    registry.WriteString(value, kelRemoveSlash(dir) + ";" + registry.ReadString(value));
}

void kelRemoveHelpFromCntFile(const std::string& helpFile, const std::string& cntFile) {
    TStringList lines;
    lines.LoadFromFile(cntFile);
    RemoveHelpLines(helpFile, lines);
    lines.SaveToFile(cntFile);
}

void kelAddHelpToCntFile(const std::string& helpFile, const std::string& title, const std::string& cntFile) {
    TStringList lines;
    lines.LoadFromFile(cntFile);
    RemoveHelpLines(helpFile, lines);
    lines.Add(":Include " + ChangeFileExt(kelExtractFileName(helpFile), ".cnt"));
    lines.Add(":Index " + title + " =" + helpFile);
    lines.SaveToFile(cntFile);
}
