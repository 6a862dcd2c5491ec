// Safe file replacement: the old content survives every failure.
#include <gtest/gtest.h>

#include "classlib/FileUtils.h"
#include "classlib/SysUtils.h"
#include "tests/TestFolder.h"

TEST(WriteFileReplacing, CreatesAndReplacesWithoutLeavingTemporaryFiles) {
    TestFolder folder;
    const std::string name = folder.File("data.bin");
    ASSERT_TRUE(WriteFileReplacing(name, std::string("first\0content", 13)));
    EXPECT_EQ(std::string("first\0content", 13), TestFolder::ReadBytes(name));
    ASSERT_TRUE(WriteFileReplacing(name, std::string("second")));
    EXPECT_EQ("second", TestFolder::ReadBytes(name));
    ASSERT_TRUE(WriteFileReplacing(name, std::string()));
    EXPECT_TRUE(FileExists(name));
    EXPECT_EQ("", TestFolder::ReadBytes(name));
    EXPECT_EQ(1, folder.EntryCount());
}

TEST(WriteFileReplacing, AFailingWriterKeepsTheOldFile) {
    TestFolder folder;
    const std::string name = folder.File("data.bin");
    TestFolder::WriteBytes(name, "old content");
    // Half the content written, then the disk "fills up".
    EXPECT_FALSE(WriteFileReplacing(name, [](std::FILE* file) {
        WriteAll(file, "new", 3);
        return false;
    }));
    EXPECT_EQ("old content", TestFolder::ReadBytes(name));
    EXPECT_EQ(1, folder.EntryCount());

    // A writer that throws: the same, and the exception reaches the caller.
    EXPECT_THROW(WriteFileReplacing(name, [](std::FILE*) -> bool { throw std::runtime_error("boom"); }),
                 std::runtime_error);
    EXPECT_EQ("old content", TestFolder::ReadBytes(name));
    EXPECT_EQ(1, folder.EntryCount());
}

TEST(WriteFileReplacing, RefusesTargetsThatCannotBeReplaced) {
    TestFolder folder;
    // A missing folder.
    EXPECT_FALSE(WriteFileReplacing(folder.File("missing\\data.bin"), std::string("x")));
    EXPECT_EQ(0, folder.EntryCount());

    // A read-only file.
    const std::string readOnly = folder.File("readonly.bin");
    TestFolder::WriteBytes(readOnly, "kept");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(WriteFileReplacing(readOnly, std::string("lost")));
    EXPECT_EQ("kept", TestFolder::ReadBytes(readOnly));

    // A file another program holds open.
    const std::string locked = folder.File("locked.bin");
    TestFolder::WriteBytes(locked, "kept too");
    {
        FileLock lock(locked);
        ASSERT_TRUE(lock.IsHeld());
        EXPECT_FALSE(WriteFileReplacing(locked, std::string("lost")));
    }
    EXPECT_EQ("kept too", TestFolder::ReadBytes(locked));

    // A folder of that name.
    CreateDirectoryA(folder.File("adir").c_str(), nullptr);
    EXPECT_FALSE(WriteFileReplacing(folder.File("adir"), std::string("x")));
    EXPECT_EQ(3, folder.EntryCount());
}

TEST(WriteFileReplacing, RefusesAReadOnlyFolder) {
    const std::string readOnly = ReadOnlyFolder();
    if (readOnly.empty()) GTEST_SKIP() << "no read-only folder on this machine";
    EXPECT_FALSE(WriteFileReplacing(readOnly + "\\data.bin", std::string("x")));
}

TEST(FileNames, ExistenceAndSameness) {
    TestFolder folder;
    const std::string name = folder.File("a.txt");
    EXPECT_FALSE(FileExists(name));
    TestFolder::WriteBytes(name, "x");
    EXPECT_TRUE(FileExists(name));
    EXPECT_FALSE(FileExists(folder.Path()));
    // Only "not found" says that nothing is there; a name the system refuses
    // (here a wildcard) says nothing either way.
    const std::pair<std::string, bool> missing[] = {{folder.File("none.txt"), true},
                                                    {folder.File("no folder\\a.txt"), true},
                                                    {name, false},
                                                    {folder.Path(), false},
                                                    {folder.File("a*.txt"), false}};
    for (const auto& row : missing) EXPECT_EQ(row.second, FileIsMissing(row.first)) << row.first;

    EXPECT_TRUE(SameFileName(name, folder.Path() + "/A.TXT"));
    EXPECT_TRUE(SameFileName(name, folder.Path() + "\\sub\\..\\a.txt"));
    EXPECT_FALSE(SameFileName(name, folder.File("a.txt.bak")));
}

TEST(TextFiles, LinesRoundTripAndFailuresRaiseInOutErrors) {
    TestFolder folder;
    const std::string name = folder.File("lines.txt");
    WriteTextFileLines(name, {"first", "", "third"});
    EXPECT_EQ("first\r\n\r\nthird\r\n", TestFolder::ReadBytes(name));
    EXPECT_EQ((std::vector<std::string>{"first", "", "third"}), ReadTextFileLines(name));
    TestFolder::WriteBytes(name, "a\nb\rc\r\n\r\nd");
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c", "", "d"}), ReadTextFileLines(name));
    WriteTextFileLines(name, {});
    EXPECT_EQ("", TestFolder::ReadBytes(name));
    EXPECT_TRUE(ReadTextFileLines(name).empty());
    try {
        ReadTextFileLines(folder.File("missing.txt"));
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), e.ErrorCode);
    }
    EXPECT_THROW(WriteTextFileLines(folder.File("no\\such\\dir.txt"), {"x"}), EInOutError);
}
