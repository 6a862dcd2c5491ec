// Path routines of kelSysUtils: names, masks, shortened and relative paths,
// folders and the system's folders.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "classlib/FileUtils.h"
#include "components/kelSysUtils.h"
#include "tests/TestFolder.h"

namespace {

using V = std::vector<std::string>;

V Lines(const TStrings& list) {
    V lines;
    for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i));
    return lines;
}

// Runs the test in a folder of its own as the current directory.
class CurrentDirScope {
public:
    explicit CurrentDirScope(const std::string& dir) : m_saved(GetCurrentDir()) { SetCurrentDir(dir); }
    ~CurrentDirScope() { SetCurrentDir(m_saved); }

private:
    std::string m_saved;
};

bool Same(const std::string& a, const std::string& b) {
    return AnsiSameText(a, b);
}

}  // namespace

TEST(kelPaths, Slashes) {
    const struct {
        const char* s;
        const char* add;
        const char* before;
        const char* remove;
    } cases[] = {
        {"", "\\", "", ""},
        {"C:", "C:\\", "\\C:", "C:"},
        {"C:\\dir", "C:\\dir\\", "\\C:\\dir", "C:\\dir"},
        {"C:\\dir\\", "C:\\dir\\", "\\C:\\dir\\", "C:\\dir"},
        {"\\", "\\", "\\", ""},
        {"dir\\\\", "dir\\\\", "\\dir\\\\", "dir\\"},  // only one trailing separator goes
        {"a/", "a/\\", "\\a/", "a/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.add, kelAddSlash(c.s)) << c.s;
        EXPECT_EQ(c.before, kelAddSlashBefore(c.s)) << c.s;
        EXPECT_EQ(c.remove, kelRemoveSlash(c.s)) << c.s;
    }
    EXPECT_EQ("C:\\a\\b\\", kelRemoveExtraSlash("C:\\\\a\\b\\\\"));
    EXPECT_EQ("\\\\", kelRemoveExtraSlash("\\\\\\\\"));  // one pass: four become two
    EXPECT_EQ("\\\\", kelRemoveExtraSlash("\\\\\\"));
    EXPECT_EQ("", kelRemoveExtraSlash(""));
}

TEST(kelPaths, NamePartsAcceptThreeSeparators) {
    const struct {
        const char* path;
        const char* name;
        const char* dir;
        const char* only;
    } cases[] = {
        {"C:\\dir\\file.txt", "file.txt", "C:\\dir\\", "file"},
        {"C:file.txt", "file.txt", "C:", "file"},
        {"dir/sub/file.tar.gz", "file.tar.gz", "dir/sub/", "file.tar"},
        {"http://host/page.html", "page.html", "http://host/", "page"},
        {"file", "file", "", "file"},
        {"dir.ext\\", "", "dir.ext\\", ""},
        {"dir.ext\\name", "name", "dir.ext\\", "name"},
        {".profile", ".profile", "", ""},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.name, kelExtractFileName(c.path)) << c.path;
        EXPECT_EQ(c.dir, kelExtractFilePath(c.path)) << c.path;
        EXPECT_EQ(c.only, kelExtractOnlyFileName(c.path)) << c.path;
    }
}

TEST(kelPaths, NameUnderADestinationMask) {
    const struct {
        const char* file;
        const char* mask;
        const char* result;
    } cases[] = {
        {"C:\\x\\file.txt", "D:\\y\\*.bak", "D:\\y\\file.bak"},
        {"C:\\x\\file.txt", "new.*", "C:\\x\\new.txt"},
        {"C:\\x\\file.txt", "D:\\y\\", "D:\\y\\file.txt"},
        {"C:\\x\\file.txt", "D:\\y\\*.*", "D:\\y\\file.txt"},
        {"C:\\x\\file.txt", "new", "C:\\x\\new.txt"},
        {"C:\\x\\file.txt", "n?w.doc", "C:\\x\\file.doc"},
        {"C:\\x\\file.txt", "new.t?t", "C:\\x\\new.txt"},
        {"C:\\x\\file.txt", "D:\\y\\copy.log", "D:\\y\\copy.log"},
        {"C:\\x\\file", "*.bak", "C:\\x\\file.bak"},
        {"C:\\x\\file.txt", "", "C:\\x\\file.txt"},
        {"C:\\x\\file.txt", "   ", "C:\\x\\file.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.result, kelGetFileNameMatchedMask(c.file, c.mask)) << c.mask;
}

TEST(kelPaths, PackedPaths) {
    const std::string path = "C:\\Program Files\\Common\\Folder\\file.txt";  // 39 characters
    const struct {
        int maxLength;
        const char* result;
    } cases[] = {
        {39, "C:\\Program Files\\Common\\Folder\\file.txt"},
        {100, "C:\\Program Files\\Common\\Folder\\file.txt"},
        {30, "C:\\Program Files\\...\\file.txt"},
        {37, "C:\\Program Files\\Common\\...\\file.txt"},
        {36, "C:\\Program Files\\Common\\...\\file.txt"},
        {35, "C:\\Program Files\\...\\file.txt"},
        {20, "C:\\...\\file.txt"},
        {12, "C:\\...\\f..."},  // still too long: cut to 12 - 4 characters and "..."
        {3, "..."},
    };
    for (const auto& c : cases) {
        const std::string packed = kelPackPathString(path, c.maxLength);
        EXPECT_EQ(c.result, packed) << c.maxLength;
        EXPECT_LE(packed.size(), size_t(std::max(c.maxLength, 3))) << c.maxLength;
    }
    EXPECT_EQ("abcdef...", kelPackPathString("abcdefghijklmno", 10));  // no separator at all
    EXPECT_EQ("", kelPackPathString("", 0));
}

TEST(kelPaths, CommandLineParameters) {
    SetCommandLineSource([] { return std::string("\"C:\\app.exe\" /s -x --long \"/quoted arg\" plain"); });
    TStringList list;
    list.Add("old");
    kelCommandLineToStrings(&list);
    SetCommandLineSource(nullptr);
    EXPECT_EQ((V{"s", "x", "-long", "quoted arg", "plain"}), Lines(list));
    kelCommandLineToStrings(nullptr);
}

TEST(kelPaths, ConcatRelativePath) {
    const struct {
        const char* base;
        const char* path;
        const char* result;
    } cases[] = {
        {"C:\\base", "sub\\file", "C:\\base\\sub\\file"},
        {"C:\\base\\", "\\sub\\\\file", "C:\\base\\sub\\file"},
        {"C:\\base", "D:\\other", "D:\\other"},
        {"C:\\base", "D:rel", "D:rel"},
        {"C:\\base", "\\\\server\\share\\x", "\\\\server\\share\\x"},
        {"\\\\server\\share", "x\\y", "\\\\server\\share\\x\\y"},  // the network base keeps its two backslashes
        {"", "x", "\\x"},
        {"C:\\base", "", "C:\\base\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.result, kelConcatRelativePath(c.base, c.path)) << c.base << " + " << c.path;
}

TEST(kelPaths, ExpandRelativePathLeavesTheCurrentDirectoryAlone) {
    TestFolder folder;
    TestFolder other;
    CurrentDirScope scope(other.Path());
    const std::string base = folder.Path();
    EXPECT_TRUE(Same(base + "\\sub", kelExpandRelativePathEx(base, "sub")));
    EXPECT_TRUE(Same(base + "\\sub\\", kelExpandRelativePathEx(base + "\\", "sub\\")));
    EXPECT_TRUE(Same(kelExtractFilePath(base) + "sibling", kelExpandRelativePathEx(base, "..\\sibling")));
    EXPECT_TRUE(Same(base + "\\a", kelExpandRelativePathEx(base, ".\\b\\..\\a")));
    EXPECT_TRUE(Same("D:\\abs", kelExpandRelativePathEx(base, "D:\\abs")));
    EXPECT_TRUE(Same(base.substr(0, 2) + "\\rooted", kelExpandRelativePathEx(base, "\\rooted")));
    EXPECT_TRUE(Same(base + "\\drive", kelExpandRelativePathEx(base, base.substr(0, 2) + "drive")));
    // The base need not exist.
    EXPECT_TRUE(Same(base + "\\missing\\x", kelExpandRelativePathEx(base + "\\missing", "x")));
    // An empty path gives the base with its separator; an empty base the current directory.
    EXPECT_EQ(base + "\\", kelExpandRelativePathEx(base, ""));
    EXPECT_EQ("", kelExpandRelativePathEx("", ""));
    EXPECT_TRUE(Same(other.File("x"), kelExpandRelativePathEx("", "x")));
    EXPECT_TRUE(Same(other.Path(), GetCurrentDir()));

    EXPECT_TRUE(Same(base + "\\sub\\file.txt", kelExpandRelativeFileNameEx(base, "sub\\file.txt")));
    EXPECT_TRUE(Same(base + "\\file.txt", kelExpandRelativeFileNameEx(base, "file.txt")));
    EXPECT_TRUE(Same(SAppPath + "file.txt", kelExpandRelativeFileName("file.txt")));
    EXPECT_TRUE(Same(SAppPath + "sub", kelExpandRelativePath("sub")));
}

TEST(kelPaths, SmartExpansionFallsBackToTheApplicationFolder) {
    TestFolder folder;
    CurrentDirScope scope(folder.Path());
    CreateDirectoryA(folder.File("here").c_str(), nullptr);
    TestFolder::WriteBytes(folder.File("here.txt"), "x");
    EXPECT_TRUE(Same(folder.File("here"), kelSmartExpandRelativePath("here")));
    EXPECT_TRUE(Same(SAppPath + "not-here", kelSmartExpandRelativePath("not-here")));
    EXPECT_TRUE(Same(folder.File("here.txt"), kelSmartExpandRelativeFileName("here.txt")));
    EXPECT_TRUE(Same(SAppPath + "not-here.txt", kelSmartExpandRelativeFileName("not-here.txt")));
}

TEST(kelPaths, FoldersAreForcedOutermostFirst) {
    TestFolder folder;
    EXPECT_TRUE(kelDirectoryExists(folder.Path()));
    EXPECT_TRUE(kelDirectoryExists(folder.Path() + "\\"));
    EXPECT_FALSE(kelDirectoryExists(folder.File("a")));
    EXPECT_FALSE(kelDirectoryExists(""));
    TestFolder::WriteBytes(folder.File("file"), "x");
    EXPECT_FALSE(kelDirectoryExists(folder.File("file")));

    TStringList created;
    kelForceDirectoriesEx(folder.File("a\\b\\c\\"), &created);
    EXPECT_TRUE(kelDirectoryExists(folder.File("a\\b\\c")));
    EXPECT_EQ((V{folder.File("a"), folder.File("a\\b"), folder.File("a\\b\\c")}), Lines(created));
    created.Clear();
    kelForceDirectoriesEx(folder.File("a\\b\\d"), &created);
    EXPECT_EQ((V{folder.File("a\\b\\d")}), Lines(created));
    created.Clear();
    kelForceDirectoriesEx(folder.File("a\\b"), &created);
    EXPECT_EQ(0, created.Count());
    // A file in the way: nothing is created and nothing reported.
    kelForceDirectoriesEx(folder.File("file\\sub"), &created);
    EXPECT_EQ(0, created.Count());
    kelForceDirectoriesEx("", &created);
    kelForceDirectoriesEx("x:", &created);
    kelForceDirectories(folder.File("e\\f"));
    EXPECT_TRUE(kelDirectoryExists(folder.File("e\\f")));
}

TEST(kelPaths, ValidFileNamesLeaveNothingBehind) {
    TestFolder folder;
    EXPECT_FALSE(kelIsValidFileName(""));
    EXPECT_TRUE(kelIsValidFileName(folder.File("new.txt")));
    EXPECT_FALSE(FileExists(folder.File("new.txt")));
    TestFolder::WriteBytes(folder.File("old.txt"), "keep");
    EXPECT_TRUE(kelIsValidFileName(folder.File("old.txt")));
    EXPECT_EQ("keep", TestFolder::ReadBytes(folder.File("old.txt")));
    EXPECT_FALSE(kelIsValidFileName(folder.File("a<b>.txt")));
    EXPECT_FALSE(kelIsValidFileName(folder.File("missing\\x.txt")));
    EXPECT_FALSE(kelIsValidFileName(folder.Path()));
    EXPECT_EQ(1, folder.EntryCount());
}

TEST(kelPaths, TheSystemsFolders) {
    for (const std::string& dir : {kelGetWindowsDir(), kelGetSystemDir(), kelGetTempDir()}) {
        ASSERT_FALSE(dir.empty());
        EXPECT_EQ('\\', dir.back()) << dir;
        EXPECT_TRUE(kelDirectoryExists(dir)) << dir;
    }
    EXPECT_TRUE(Same(kelGetWindowsDir(), kelExtractFilePath(kelRemoveSlash(kelGetSystemDir()))));
    const std::string programFiles = kelGetProgramFilesDir();
    EXPECT_TRUE(kelDirectoryExists(programFiles)) << programFiles;

    const std::string temp = kelGetUniqueTempFileName("kel software");
    ASSERT_FALSE(temp.empty());
    EXPECT_TRUE(FileExists(temp));
    EXPECT_TRUE(Same(kelGetTempDir(), kelExtractFilePath(temp)));
    EXPECT_EQ(0, kelExtractFileName(temp).find("kel"));
    const std::string second = kelGetUniqueTempFileName("kel software");
    EXPECT_NE(temp, second);
    DeleteFileA(temp.c_str());
    DeleteFileA(second.c_str());
}
