// File routines of kelSysUtils: sizes, copying, starting programs, the deferred
// file operations, walking folders, file times, build dates, interface files and
// INI files.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "classlib/FileUtils.h"
#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"
#include "kelTestSupport.h"
#include "tests/TestFolder.h"

namespace {

using V = std::vector<std::string>;

std::string Bytes(size_t count) {
    std::string bytes(count, '\0');
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

class ClockScope {
public:
    explicit ClockScope(TDateTime now) {
        SetClock([now] { return now; });
    }
    ~ClockScope() { SetClock(nullptr); }
};

// The batch file named by a recorded command line (the quoted name).
std::string BatchOf(const RunRecorder& recorder) {
    if (recorder.runs.size() != 1) return std::string();
    std::string name = recorder.runs[0].CommandLine;
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    return name;
}

// The lines of a deferred operation's batch: it tries, a bounded number of times,
// to delete `quoted`, runs `then` once that is gone, and deletes itself.
V DeferredLines(const std::string& quoted, const V& then, const std::string& batch) {
    V lines = {"setlocal DisableDelayedExpansion",
               "set kelTries=0",
               ":REPEAT",
               "del " + quoted,
               "if not exist " + quoted + " goto DONE",
               "set /a kelTries+=1",
               "if %kelTries% GEQ 120 goto END",
               "ping -n 2 127.0.0.1 >nul",
               "goto REPEAT",
               ":DONE"};
    lines.insert(lines.end(), then.begin(), then.end());
    lines.push_back(":END");
    lines.push_back("del \"" + batch + "\"");
    return lines;
}

// Removes a batch file and the empty file its unique name was taken from.
void RemoveBatch(const std::string& batch) {
    DeleteFileA(batch.c_str());
    DeleteFileA(ChangeFileExt(batch, ".tmp").c_str());
}

void PutWord16(std::string& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void PutWord32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A program file reduced to what the build-date reader walks: the DOS header, the
// signature, the file header, an optional header of `optionalSize` bytes and the
// named sections, each section's raw data a resource directory with the stamp.
std::string ProgramFile(uint16_t optionalSize, const std::vector<std::string>& sections, uint32_t stamp) {
    const size_t headerAt = 64;
    const size_t sectionsAt = headerAt + 4 + 20 + optionalSize;
    const size_t dataAt = sectionsAt + 40 * sections.size();
    std::string bytes(dataAt + 16 * sections.size(), '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    PutWord32(bytes, 60, headerAt);
    std::memcpy(&bytes[headerAt], "PE\0\0", 4);
    PutWord16(bytes, headerAt + 4, 0x14C);
    PutWord16(bytes, headerAt + 6, static_cast<uint16_t>(sections.size()));
    PutWord16(bytes, headerAt + 20, optionalSize);
    for (size_t i = 0; i < sections.size(); ++i) {
        std::memcpy(&bytes[sectionsAt + 40 * i], sections[i].c_str(), std::min<size_t>(8, sections[i].size()));
        PutWord32(bytes, sectionsAt + 40 * i + 20, static_cast<uint32_t>(dataAt + 16 * i));
        PutWord32(bytes, dataAt + 16 * i + 4, stamp + static_cast<uint32_t>(i));  // each section its own stamp
    }
    return bytes;
}

// 2024-03-15 10:30:58 as a file-system date.
constexpr uint32_t kStamp = ((uint32_t((44 << 9) | (3 << 5) | 15)) << 16) | ((10 << 11) | (30 << 5) | 29);

}  // namespace

//--- Sizes and copying

TEST(kelFiles, SizesOfFilesThatCanBeOpened) {
    TestFolder folder;
    TestFolder::WriteBytes(folder.File("five"), "12345");
    TestFolder::WriteBytes(folder.File("empty"), "");
    uint32_t size = 99;
    EXPECT_TRUE(kelGetFileSize(folder.File("five"), size));
    EXPECT_EQ(5u, size);
    EXPECT_TRUE(kelGetFileSize(folder.File("empty"), size));
    EXPECT_EQ(0u, size);
    EXPECT_FALSE(kelGetFileSize(folder.File("missing"), size));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    FileLock lock(folder.File("five"));
    ASSERT_TRUE(lock.IsHeld());
    EXPECT_FALSE(kelGetFileSize(folder.File("five"), size));
}

TEST(kelFiles, CopyFileReplacesTheDestination) {
    TestFolder folder;
    TestFolder::WriteBytes(folder.File("src"), "new");
    TestFolder::WriteBytes(folder.File("dst"), "old and longer");
    EXPECT_TRUE(kelCopyFile(folder.File("src"), folder.File("dst")));
    EXPECT_EQ("new", TestFolder::ReadBytes(folder.File("dst")));
    EXPECT_FALSE(kelCopyFile(folder.File("missing"), folder.File("dst2")));
    EXPECT_FALSE(FileExists(folder.File("dst2")));
}

TEST(kelFiles, CopyFileExCopiesInChunksAndReportsEach) {
    TestFolder folder;
    const std::string content = Bytes(150000);
    TestFolder::WriteBytes(folder.File("src"), content);
    TStringList marker;
    std::vector<std::pair<uint32_t, uint32_t>> calls;
    TObject* seen = nullptr;
    auto record = [&](TObject* data, uint32_t copied, uint32_t total, bool& cancel) {
        seen = data;
        calls.push_back({copied, total});
        EXPECT_FALSE(cancel);
    };
    EXPECT_TRUE(kelCopyFileEx(folder.File("src"), folder.File("dst"), 0, record, &marker));
    EXPECT_EQ(content, TestFolder::ReadBytes(folder.File("dst")));
    EXPECT_EQ(&marker, seen);
    EXPECT_EQ((std::vector<std::pair<uint32_t, uint32_t>>{{65536, 150000}, {131072, 150000}, {150000, 150000}}), calls);

    calls.clear();
    TestFolder::WriteBytes(folder.File("dst"), Bytes(200000));  // a longer destination is replaced
    EXPECT_TRUE(kelCopyFileEx(folder.File("src"), folder.File("dst"), 40000, record, nullptr));
    EXPECT_EQ(content, TestFolder::ReadBytes(folder.File("dst")));
    EXPECT_EQ(4u, calls.size());
    EXPECT_EQ(40000u, calls[0].first);

    // Without a callback nothing is measured or reported.
    EXPECT_TRUE(kelCopyFileEx(folder.File("src"), folder.File("dst3"), 7, nullptr, nullptr));
    EXPECT_EQ(content, TestFolder::ReadBytes(folder.File("dst3")));
}

TEST(kelFiles, CopyFileExEdges) {
    TestFolder folder;
    TestFolder::WriteBytes(folder.File("empty"), "");
    int calls = 0;
    auto count = [&](TObject*, uint32_t, uint32_t, bool&) { ++calls; };
    EXPECT_TRUE(kelCopyFileEx(folder.File("empty"), folder.File("empty.copy"), 0, count, nullptr));
    EXPECT_TRUE(FileExists(folder.File("empty.copy")));
    EXPECT_EQ("", TestFolder::ReadBytes(folder.File("empty.copy")));
    EXPECT_EQ(0, calls);

    // Cancelled on the first report: one chunk stays, and the system's code for a cancel.
    TestFolder::WriteBytes(folder.File("big"), Bytes(100000));
    auto cancelFirst = [&](TObject*, uint32_t, uint32_t, bool& cancel) {
        ++calls;
        cancel = true;
    };
    EXPECT_FALSE(kelCopyFileEx(folder.File("big"), folder.File("part"), 0, cancelFirst, nullptr));
    EXPECT_EQ(1223u, GetLastError());
    EXPECT_EQ(1, calls);
    EXPECT_EQ(Bytes(100000).substr(0, 65536), TestFolder::ReadBytes(folder.File("part")));

    // Neither file can be opened: false, and nothing is made.
    EXPECT_FALSE(kelCopyFileEx(folder.File("missing"), folder.File("none"), 0, nullptr, nullptr));
    EXPECT_FALSE(FileExists(folder.File("none")));
    EXPECT_FALSE(kelCopyFileEx(folder.File("big"), folder.File("no\\such\\dir"), 0, nullptr, nullptr));
    FileLock lock(folder.File("big"));
    EXPECT_FALSE(kelCopyFileEx(folder.File("big"), folder.File("locked.copy"), 0, nullptr, nullptr));
}

//--- Programs and the deferred file operations

TEST(kelFiles, ProgramsStartThroughTheSeam) {
    RunRecorder recorder;
    kelRunEx("tool.exe -x", true);
    kelRun("other.exe");
    ASSERT_EQ(2u, recorder.runs.size());
    EXPECT_EQ("tool.exe -x", recorder.runs[0].CommandLine);
    EXPECT_TRUE(recorder.runs[0].Wait);
    EXPECT_EQ("other.exe", recorder.runs[1].CommandLine);
    EXPECT_FALSE(recorder.runs[1].Wait);
}

TEST(kelFiles, RemoveFileDeletesAtOnceWhenItCan) {
    TestFolder folder;
    TestFolder::WriteBytes(folder.File("gone"), "x");
    RunRecorder recorder;
    kelRemoveFile(folder.File("gone"));
    EXPECT_FALSE(FileExists(folder.File("gone")));
    EXPECT_TRUE(recorder.runs.empty());
}

TEST(kelFiles, RemoveFileLeavesAHeldFileToASelfDeletingBatch) {
    TestFolder folder;
    const std::string held = folder.File("held file.txt");
    TestFolder::WriteBytes(held, "x");
    FileLock lock(held);
    ASSERT_TRUE(lock.IsHeld());
    std::string batch;
    {
        RunRecorder recorder;
        kelRemoveFile(held);
        batch = BatchOf(recorder);
        ASSERT_FALSE(batch.empty());
        EXPECT_FALSE(recorder.runs[0].Wait);
    }
    EXPECT_TRUE(FileExists(held));
    EXPECT_EQ(".bat", ExtractFileExt(batch));
    EXPECT_EQ(0, AnsiUpperCase(kelExtractFileName(batch)).find("KEL"));
    EXPECT_TRUE(AnsiSameText(kelGetTempDir(), kelExtractFilePath(batch)));
    const std::string quoted = "\"" + held + "\"";
    EXPECT_EQ(DeferredLines(quoted, {}, batch), ReadTextFileLines(batch));

    // The batch does its work once the program lets the file go, and goes itself.
    lock.Release();
    kelRunProcess("\"" + batch + "\"", false);
    EXPECT_TRUE(PumpUntil([&] { return !FileExists(held) && !FileExists(batch); }, 15000));
    RemoveBatch(batch);
}

TEST(kelFiles, DeferredBatchWritesNamesAsTheCommandProcessorReadsThem) {
    TestFolder folder;
    // "%" is doubled, or the command processor reads "50%off.txt" as "50off.txt".
    const std::string held = folder.File("50%off.txt");
    const std::string bystander = folder.File("50off.txt");
    TestFolder::WriteBytes(held, "x");
    TestFolder::WriteBytes(bystander, "keep");
    const std::string quoted = "\"" + folder.File("50%%off.txt") + "\"";
    std::string batch;
    {
        FileLock lock(held);
        RunRecorder recorder;
        kelRemoveFile(held);
        batch = BatchOf(recorder);
        ASSERT_FALSE(batch.empty());
        EXPECT_EQ(DeferredLines(quoted, {}, batch), ReadTextFileLines(batch));
    }
    kelRunProcess("\"" + batch + "\"", false);
    EXPECT_TRUE(PumpUntil([&] { return !FileExists(held) && !FileExists(batch); }, 15000));
    EXPECT_EQ("keep", TestFolder::ReadBytes(bystander));
    RemoveBatch(batch);

    // Parameters reach the program as the direct call passes them: the command
    // processor's own characters are escaped, except within quotes.
    const std::string app = folder.File("app.exe");
    TestFolder::WriteBytes(app, "old");
    TestFolder::WriteBytes(folder.File("new.exe"), "new");
    {
        FileLock lock(app);
        RunRecorder recorder;
        kelReplaceFileAndRun(folder.File("new.exe"), app, "x & del \"" + bystander + "\" | y<z>w^v \"a & b\"");
        batch = BatchOf(recorder);
        ASSERT_FALSE(batch.empty());
        const std::string quotedApp = "\"" + app + "\"";
        EXPECT_EQ(DeferredLines(quotedApp,
                                {"copy \"" + folder.File("new.exe") + "\" " + quotedApp,
                                 quotedApp + " x ^& del \"" + bystander + "\" ^| y^<z^>w^^v \"a & b\""},
                                batch),
                  ReadTextFileLines(batch));
    }
    kelRunProcess("\"" + batch + "\"", false);
    EXPECT_TRUE(PumpUntil([&] { return !FileExists(batch); }, 15000));
    EXPECT_EQ("new", TestFolder::ReadBytes(app));
    EXPECT_EQ("keep", TestFolder::ReadBytes(bystander));
    RemoveBatch(batch);

    // Parameters keep their "%" too; names are written in the OEM code page.
    if (GetACP() != 1252 || (GetOEMCP() != 437 && GetOEMCP() != 850)) return;
    const std::string dest = folder.File("caf\xE9.exe");
    TestFolder::WriteBytes(dest, "old");
    TestFolder::WriteBytes(folder.File("new.exe"), "new");
    FileLock lock(dest);
    RunRecorder recorder;
    kelReplaceFileAndRun(folder.File("new.exe"), dest, "%1 100%");
    batch = BatchOf(recorder);
    ASSERT_FALSE(batch.empty());
    const std::string oem = "\"" + folder.File("caf\x82.exe") + "\"";
    EXPECT_EQ(DeferredLines(oem, {"copy \"" + folder.File("new.exe") + "\" " + oem, oem + " %%1 100%%"}, batch),
              ReadTextFileLines(batch));
    RemoveBatch(batch);

    // Where the OEM code page is UTF-8, every name can be written, in UTF-8. The
    // conversion is held to the rules Windows documents for it: UTF-8 takes no
    // flag but WC_ERR_INVALID_CHARS and no default character.
    recorder.runs.clear();
    struct CodePageScope {
        ~CodePageScope() {
            kelPlatformHooks().OemCodePage = nullptr;
            kelPlatformHooks().WideCharToMultiByteCall = nullptr;
        }
    } codePageScope;
    kelPlatformHooks().OemCodePage = [] { return UINT(CP_UTF8); };
    kelPlatformHooks().WideCharToMultiByteCall = [](UINT codePage, DWORD flags, const wchar_t* wide, int wideLength,
                                                    char* out, int outSize, const char* defaultChar, BOOL* used) {
        if (codePage == CP_UTF8 && ((flags & ~DWORD(WC_ERR_INVALID_CHARS)) || defaultChar || used)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        return WideCharToMultiByte(codePage, flags, wide, wideLength, out, outSize, defaultChar, used);
    };
    kelReplaceFileAndRun(folder.File("new.exe"), dest, "%1");
    batch = BatchOf(recorder);
    ASSERT_FALSE(batch.empty());
    const std::string utf8 = "\"" + folder.File("caf\xC3\xA9.exe") + "\"";
    EXPECT_EQ(DeferredLines(utf8, {"copy \"" + folder.File("new.exe") + "\" " + utf8, utf8 + " %%1"}, batch),
              ReadTextFileLines(batch));
    RemoveBatch(batch);
}

TEST(kelFiles, DeferredOperationsRefuseWhatTheirBatchCannotHoldAndLeaveTheFiles) {
    TestFolder folder;
    for (const char* name : {"ab.txt", "ac.txt", "new.exe", "app.exe"}) TestFolder::WriteBytes(folder.File(name), name);
    // "\x80" is "€" in the ANSI code page 1252, and no letter of the OEM code pages 437 and 850.
    const bool isEuroLacking = GetACP() == 1252 && (GetOEMCP() == 437 || GetOEMCP() == 850);
    const std::string report = folder.File("Report \x80 final version.exe");
    TestFolder::WriteBytes(report, "report");
    enum Kind { Remove, Replace, ReplaceAndRun };
    const struct {
        Kind kind;
        std::string target;
        std::string source;
        std::string params;
    } cases[] = {
        // "del" would take every file the wildcard matches: ab.txt and ac.txt.
        {Remove, folder.File("a?.txt"), "", ""},
        {Remove, folder.File("a*.txt"), "", ""},
        {Replace, folder.File("a?.txt"), folder.File("new.exe"), ""},
        {Replace, folder.File("app.exe"), folder.File("n?w.exe"), ""},
        {ReplaceAndRun, folder.File("app.exe"), folder.File("new*"), "-x"},
        // Its short name is gone once "del" has run; "copy" would make a file of that name.
        {Replace, report, folder.File("new.exe"), ""},
        {ReplaceAndRun, report, folder.File("new.exe"), "-x"},
        // A line break would start a line of its own.
        {ReplaceAndRun, folder.File("app.exe"), folder.File("new.exe"), "-x\r\ndel ab.txt"},
        {ReplaceAndRun, folder.File("app.exe"), folder.File("new.exe"), "-x\ndel ab.txt"},
        // A quote ends the name early, so that "del" takes the next name too; a
        // control character breaks the line. No Windows name holds either.
        {Remove, folder.File("x.txt") + "\" \"" + folder.File("ab.txt"), "", ""},
        {Replace, folder.File("x.exe") + "\" \"" + folder.File("ac.txt"), folder.File("new.exe"), ""},
        {ReplaceAndRun, folder.File("app.exe"), folder.File("new.exe") + "\" \"" + folder.File("ab.txt"), ""},
        {Remove, folder.File("x.txt") + "\r\ndel \"" + folder.File("ab.txt"), "", ""},
        {Replace, folder.File("app.exe"), folder.File("new\t.exe"), ""},
        {Remove, folder.File("x\x1F.txt"), "", ""},
    };
    for (const auto& c : cases) {
        if (c.target == report && !isEuroLacking) continue;
        FileLock heldApp(folder.File("app.exe"));
        FileLock heldReport(report);
        std::string batch;
        {
            RunRecorder recorder;
            const auto call = [&] {
                if (c.kind == Remove) kelRemoveFile(c.target);
                if (c.kind == Replace) kelReplaceFile(c.source, c.target);
                if (c.kind == ReplaceAndRun) kelReplaceFileAndRun(c.source, c.target, c.params);
            };
            EXPECT_THROW(call(), EInOutError) << c.target << " " << c.source;
            EXPECT_TRUE(recorder.runs.empty()) << c.target << " " << c.source;
            batch = BatchOf(recorder);
        }
        // A batch written all the same runs, so that any harm it does shows below.
        if (batch.empty()) continue;
        kelRunProcess("\"" + batch + "\"", false);
        PumpUntil([&] { return !FileExists(batch); }, 5000);
        RemoveBatch(batch);
    }
    for (const char* name : {"ab.txt", "ac.txt", "new.exe", "app.exe"})
        EXPECT_EQ(name, TestFolder::ReadBytes(folder.File(name)));
    EXPECT_EQ("report", TestFolder::ReadBytes(report));

    // The held file to remove itself may go by its short name: the name is not needed again.
    if (!isEuroLacking) return;
    const std::string held = folder.File("Report \x80 final version.txt");
    TestFolder::WriteBytes(held, "x");
    char shortName[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameA(held.c_str(), shortName, MAX_PATH), 0u);
    FileLock lock(held);
    RunRecorder recorder;
    kelRemoveFile(held);
    const std::string batch = BatchOf(recorder);
    ASSERT_FALSE(batch.empty());
    EXPECT_EQ(DeferredLines("\"" + std::string(shortName) + "\"", {}, batch), ReadTextFileLines(batch));
    RemoveBatch(batch);
}

TEST(kelFiles, ReplaceFileCopiesOrLeavesItToABatch) {
    TestFolder folder;
    TestFolder::WriteBytes(folder.File("new.exe"), "new");
    TestFolder::WriteBytes(folder.File("app.exe"), "old");
    RunRecorder recorder;
    kelReplaceFile(folder.File("new.exe"), folder.File("app.exe"));
    EXPECT_EQ("new", TestFolder::ReadBytes(folder.File("app.exe")));
    EXPECT_TRUE(recorder.runs.empty());

    TestFolder::WriteBytes(folder.File("newer.exe"), "newer");
    FileLock lock(folder.File("app.exe"));
    kelReplaceFile(folder.File("newer.exe"), folder.File("app.exe"));
    const std::string batch = BatchOf(recorder);
    ASSERT_FALSE(batch.empty());
    const std::string dest = "\"" + folder.File("app.exe") + "\"";
    EXPECT_EQ(DeferredLines(dest, {"copy \"" + folder.File("newer.exe") + "\" " + dest}, batch),
              ReadTextFileLines(batch));
    RemoveBatch(batch);
}

TEST(kelFiles, ReplaceFileAndRunStartsTheReplacement) {
    TestFolder folder;
    TestFolder::WriteBytes(folder.File("new.exe"), "new");
    const std::string dest = folder.File("my app.exe");
    RunRecorder recorder;
    kelReplaceFileAndRun(folder.File("new.exe"), dest, "/update now");
    kelReplaceFileAndRun(folder.File("new.exe"), dest, "");
    EXPECT_EQ("new", TestFolder::ReadBytes(dest));
    ASSERT_EQ(2u, recorder.runs.size());
    EXPECT_EQ("\"" + dest + "\" /update now", recorder.runs[0].CommandLine);
    EXPECT_EQ("\"" + dest + "\"", recorder.runs[1].CommandLine);

    recorder.runs.clear();
    FileLock lock(dest);
    kelReplaceFileAndRun(folder.File("new.exe"), dest, "-x");
    const std::string batch = BatchOf(recorder);
    ASSERT_FALSE(batch.empty());
    const std::string quoted = "\"" + dest + "\"";
    EXPECT_EQ(DeferredLines(quoted, {"copy \"" + folder.File("new.exe") + "\" " + quoted, quoted + " -x"}, batch),
              ReadTextFileLines(batch));
    RemoveBatch(batch);
}

//--- Walking folders

TEST(kelFiles, ForEachFileWalksDepthFirstAfterEachFoldersOwnFiles) {
    TestFolder folder;
    for (const char* dir : {"sub1", "sub1\\deep", "sub2", ".dotted"})
        CreateDirectoryA(folder.File(dir).c_str(), nullptr);
    for (const char* file : {"a.txt", "b.dat", "hidden.txt", "sub1\\c.txt", "sub1\\deep\\d.txt", "sub2\\e.txt",
                             "sub2\\f.txt", ".dotted\\g.txt"})
        TestFolder::WriteBytes(folder.File(file), "x");
    SetFileAttributesA(folder.File("hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::string root = folder.Path() + "\\";
    const uint32_t files = faReadOnly | faArchive;

    V seen;
    auto collect = [&](const std::string& dir, const TSearchRec& rec, bool&) {
        seen.push_back(dir.substr(root.size()) + rec.Name);
    };
    EXPECT_EQ(0, kelForEachFile(root + "*.txt", files, true, nullptr));

    EXPECT_EQ(1, kelForEachFile(root + "*.txt", files, false, collect));
    EXPECT_EQ((V{"a.txt"}), seen);

    seen.clear();
    const int32_t count = kelForEachFile(root + "*.txt", files, true, collect);
    EXPECT_EQ(5, count);
    ASSERT_EQ(5u, seen.size());
    EXPECT_EQ("a.txt", seen[0]);
    // Each subfolder's files come before those of its own subfolders, and the
    // folders named with a dot are passed over.
    const auto at = [&](const std::string& name) { return std::find(seen.begin(), seen.end(), name) - seen.begin(); };
    EXPECT_LT(at("sub1\\c.txt"), at("sub1\\deep\\d.txt"));
    EXPECT_EQ(at("sub1\\c.txt") + 1, at("sub1\\deep\\d.txt"));
    EXPECT_EQ(seen.end(), std::find(seen.begin(), seen.end(), ".dotted\\g.txt"));

    seen.clear();
    EXPECT_EQ(6, kelForEachFile(root + "*.txt", files | faHidden, true, collect));

    // Stopping ends the search of that folder only.
    seen.clear();
    auto firstOfEach = [&](const std::string& dir, const TSearchRec& rec, bool& continueSearch) {
        seen.push_back(dir.substr(root.size()) + rec.Name);
        continueSearch = false;
    };
    EXPECT_EQ(4, kelForEachFile(root + "*.txt", files, true, firstOfEach));
    EXPECT_EQ(1, std::count_if(seen.begin(), seen.end(), [](const std::string& s) { return s.rfind("sub2", 0) == 0; }));

    // Folders themselves are found only when the attributes ask for them.
    seen.clear();
    EXPECT_EQ(0, kelForEachFile(root + "sub*", files, false, collect));
    EXPECT_EQ(2, kelForEachFile(root + "sub*", faDirectory, false, collect));
    EXPECT_EQ(0, kelForEachFile(root + "missing\\*.*", faAnyFile, true, collect));
}

//--- File times

TEST(kelFiles, FileTimesConvertBetweenLocalAndUniversal) {
    const TDateTime local = EncodeDate(2024, 3, 15) + EncodeTime(10, 30, 15, 250);
    const FILETIME time = kelDateTimeToFileTime(local);
    FILETIME localTime;
    SYSTEMTIME st;
    FileTimeToLocalFileTime(&time, &localTime);
    FileTimeToSystemTime(&localTime, &st);
    EXPECT_EQ(2024, st.wYear);
    EXPECT_EQ(10, st.wHour);
    EXPECT_EQ(250, st.wMilliseconds);
    EXPECT_NEAR(local, kelFileTimeToDateTime(time), 1e-9);
}

TEST(kelFiles, AttributesAreClearedAndSet) {
    TestFolder folder;
    TestFolder::WriteBytes(folder.File("f"), "x");
    EXPECT_EQ(0, kelModifyFileAttr(folder.File("f"), 0, faReadOnly | faHidden));
    EXPECT_EQ(faReadOnly | faHidden, uint32_t(FileGetAttr(folder.File("f"))) & (faReadOnly | faHidden));
    EXPECT_EQ(0, kelModifyFileAttr(folder.File("f"), faReadOnly, 0));
    EXPECT_EQ(faHidden, uint32_t(FileGetAttr(folder.File("f"))) & (faReadOnly | faHidden));
    EXPECT_NE(0, kelModifyFileAttr(folder.File("missing"), 0, faHidden));
}

TEST(kelFiles, ModificationDatesInTwoSecondSteps) {
    TestFolder folder;
    TestFolder::WriteBytes(folder.File("f"), "x");
    const TDateTime when = EncodeDate(2021, 7, 4) + EncodeTime(13, 14, 15, 0);
    kelSetFileDateTime(folder.File("f"), when);
    EXPECT_DOUBLE_EQ(EncodeDate(2021, 7, 4) + EncodeTime(13, 14, 14, 0), kelGetFileDateTime(folder.File("f")));
    kelSetFileDateTime(folder.File("missing"), when);
    EXPECT_FALSE(FileExists(folder.File("missing")));

    // A file that cannot be opened for writing gives the current date and time.
    const TDateTime now = EncodeDate(2030, 1, 2) + EncodeTime(3, 4, 5, 0);
    ClockScope clock(now);
    EXPECT_EQ(now, kelGetFileDateTime(folder.File("missing")));
    FileLock lock(folder.File("f"));
    EXPECT_EQ(now, kelGetFileDateTime(folder.File("f")));
}

TEST(kelFiles, SingleTimesOfFilesAndFolders) {
    TestFolder folder;
    TestFolder::WriteBytes(folder.File("f"), "x");
    const TDateTime write = EncodeDate(2020, 2, 29) + EncodeTime(23, 59, 58, 500);
    const TDateTime access = EncodeDate(2022, 1, 1) + EncodeTime(1, 2, 3, 0);
    EXPECT_TRUE(kelSetFileLastWrite(folder.File("f"), write));
    EXPECT_TRUE(kelSetFileLastAccess(folder.File("f"), access));
    EXPECT_NEAR(write, kelGetFileLastWrite(folder.File("f")), 1e-6);
    EXPECT_NEAR(access, kelGetFileLastAccess(folder.File("f")), 1e-6);
    // Setting one time leaves the others.
    EXPECT_TRUE(kelSetFileLastAccess(folder.File("f"), access + 1));
    EXPECT_NEAR(write, kelGetFileLastWrite(folder.File("f")), 1e-6);
    EXPECT_TRUE(kelSetFileCreation(folder.File("f"), write));
    EXPECT_GT(kelGetFileCreation(folder.File("f")), 0);

    CreateDirectoryA(folder.File("dir").c_str(), nullptr);
    EXPECT_TRUE(kelSetFileLastWrite(folder.File("dir"), write));
    EXPECT_NEAR(write, kelGetFileLastWrite(folder.File("dir")), 1e-6);

    EXPECT_FALSE(kelSetFileLastWrite(folder.File("missing"), write));
    try {
        kelGetFileLastAccess(folder.File("missing"));
        FAIL();
    } catch (const EOSError& e) {
        EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), e.ErrorCode);
    }
    EXPECT_THROW(kelGetFileCreation(folder.File("missing")), EOSError);
}

//--- Build dates and interface files

TEST(kelFiles, BuildDateIsTheResourceDirectorysStamp) {
    TestFolder folder;
    const TDateTime stamped = EncodeDate(2024, 3, 15) + EncodeTime(10, 30, 58, 0);
    const struct {
        const char* name;
        std::string bytes;
        bool found;
        TDateTime value;
    } cases[] = {
        {"pe32", ProgramFile(224, {".text", ".rsrc"}, kStamp - 1), true, stamped},
        {"pe64", ProgramFile(240, {".rsrc"}, kStamp), true, stamped},
        {"first-rsrc", ProgramFile(224, {".rsrc", ".rsrc"}, kStamp), true, stamped},
        {"no-rsrc", ProgramFile(224, {".text", ".data"}, kStamp), false, 0},
        {"rsrc-prefix", ProgramFile(224, {".rsrcx"}, kStamp), false, 0},
        {"zero-stamp", ProgramFile(224, {".rsrc"}, 0), false, 0},
        {"not-mz", "ZM" + ProgramFile(224, {".rsrc"}, kStamp).substr(2), false, 0},
        {"not-pe",
         [] {
             std::string b = ProgramFile(224, {".rsrc"}, kStamp);
             b[64] = 'N';
             return b;
         }(),
         false, 0},
        {"short", ProgramFile(224, {".text", ".rsrc"}, kStamp).substr(0, 300), false, 0},
        {"tiny", "MZ", false, 0},
    };
    for (const auto& c : cases) {
        TestFolder::WriteBytes(folder.File(c.name), c.bytes);
        TDateTime value = -1;
        EXPECT_EQ(c.found, kelGetFileBuildDateTime(folder.File(c.name), value)) << c.name;
        if (c.found) {
            EXPECT_DOUBLE_EQ(c.value, value) << c.name;
        }
    }
    TDateTime value = -1;
    EXPECT_FALSE(kelGetFileBuildDateTime(folder.File("missing"), value));
    // The file is let go in every case.
    EXPECT_TRUE(DeleteFileA(folder.File("short").c_str()));
}

TEST(kelFiles, InterfaceFilesEndAtTheImplementationKeyword) {
    TestFolder folder;
    CreateDirectoryA(folder.File("out").c_str(), nullptr);
    TestFolder::WriteBytes(folder.File("unit.src"),
                           "module one\r\ninterface\r\nroutine A\r\n"
                           "  Implementation{x} more\r\nroutine A body\r\n");
    ASSERT_TRUE(kelCreateIntFile(folder.File("unit.src"), folder.File("out")));
    // The line with the keyword keeps one character beyond it.
    EXPECT_EQ("module one\r\ninterface\r\nroutine A\r\n  Implementation{\r\n",
              TestFolder::ReadBytes(folder.File("out\\unit.int")));

    TestFolder::WriteBytes(folder.File("plain.src"), "no keyword\nhere");
    ASSERT_TRUE(kelCreateIntFile(folder.File("plain.src"), folder.File("out\\")));
    EXPECT_EQ("no keyword\r\nhere\r\n", TestFolder::ReadBytes(folder.File("out\\plain.int")));

    // A source that is itself the interface file is read before it is rewritten.
    TestFolder::WriteBytes(folder.File("self.int"), "a\r\nimplementation\r\nb\r\n");
    ASSERT_TRUE(kelCreateIntFile(folder.File("self.int"), folder.Path()));
    EXPECT_EQ("a\r\nimplementation\r\n", TestFolder::ReadBytes(folder.File("self.int")));

    EXPECT_FALSE(kelCreateIntFile(folder.File("missing.src"), folder.File("out")));
    EXPECT_FALSE(kelCreateIntFile(folder.File("unit.src"), folder.File("no-such-dir")));
    FileLock lock(folder.File("out\\unit.int"));
    EXPECT_THROW(kelCreateIntFile(folder.File("unit.src"), folder.File("out")), EInOutError);
}

//--- INI files

TEST(kelFiles, IniValuesRoundTripWithEmptyDefaults) {
    TestFolder folder;
    const std::string ini = folder.File("settings.ini");
    EXPECT_FALSE(kelIniReadBool(ini, "Main", "Flag"));
    EXPECT_EQ(0, kelIniReadInteger(ini, "Main", "Count"));
    EXPECT_EQ("", kelIniReadString(ini, "Main", "Name"));
    kelIniWriteBool(ini, "Main", "Flag", true);
    kelIniWriteInteger(ini, "Main", "Count", -12);
    kelIniWriteString(ini, "Main", "Name", "a value");
    EXPECT_TRUE(kelIniReadBool(ini, "main", "flag"));
    EXPECT_EQ(-12, kelIniReadInteger(ini, "Main", "Count"));
    EXPECT_EQ("a value", kelIniReadString(ini, "Main", "Name"));
    kelIniWriteString(ini, "Main", "Count", "twelve");
    EXPECT_EQ(0, kelIniReadInteger(ini, "Main", "Count"));
    EXPECT_THROW(kelIniWriteString(folder.File("no\\dir\\x.ini"), "S", "k", "v"), Exception);
}
