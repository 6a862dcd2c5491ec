// The reminder file and the backups: framing, round trips, failures that keep the
// data, and damaged files.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <vector>

#include "ModelTestSupport.h"
#include "RecordingHost.h"
#include "classlib/FileUtils.h"
#include "model/Uglobals.h"
#include "tests/TestFolder.h"

namespace {

constexpr size_t kRecord = Eintrag::kImageSize;

class ReminderFile : public testing::Test {
protected:
    void SetUp() override {
        m_savedAppPath = AppPath;
        AppPath = folder.Path() + "\\";
    }
    void TearDown() override {
        SetFileAttributesQuery(nullptr);
        AppPath = m_savedAppPath;
    }

    std::string DefaultFile() const { return folder.File("index.dat"); }

    // Appends a master with a distinct value in every stored field.
    static Eintrag* Add(Converter& c, const char* title, int day = 15) {
        Eintrag* e = new Eintrag;
        e->SetMaster(e);
        e->IntervalCount = day % 3 + 1;
        e->IntervalKind = kIntervalWeeks;
        e->PictureIndex = day % 10;
        e->AdvanceDays = day % 4;
        e->ExactlyAt = day % 2 == 0;
        e->Acknowledged = day % 2 == 1;
        e->StartTime = MakeDate(2024, 3, day, 10, 30);
        e->LastReminded = Normalized(MakeDate(2024, 3, 1, 10, 30));
        e->StopAfter = Normalized(MakeDate(2025, 12, 31, 23, 59));
        e->SetTitle(title);
        e->SetText((std::string("Text of ") + title).c_str());
        c.Append(e);
        return e;
    }

    static std::vector<std::string> Titles(const Converter& c) {
        std::vector<std::string> titles;
        for (const Eintrag* e = c.First(); e; e = e->Next) titles.push_back(e->GetTitle());
        return titles;
    }

    static std::string ImageOf(const Eintrag& e) {
        std::string image(kRecord, '\0');
        e.WriteImage(reinterpret_cast<uint8_t*>(&image[0]));
        return image;
    }

    std::wstring ReadError(const std::string& name) const {
        return L"Error reading the file \"" + AnsiToWide(name) + L"\"";
    }
    std::wstring SaveError(const std::string& name) const {
        return L"Error saving the file \"" + AnsiToWide(name) + L"\"";
    }

    // Until reset, the system answers for the reminder file's attributes with
    // the failure `error`, as a file held by another program or on a network
    // folder that dropped out may.
    void FailAttributesOfDefaultFile(uint32_t error) {
        const std::string name = DefaultFile();
        SetFileAttributesQuery([name, error](const std::string& asked, uint32_t& code) -> uint32_t {
            if (SameFileName(asked, name)) {
                code = error;
                return INVALID_FILE_ATTRIBUTES;
            }
            const DWORD attributes = GetFileAttributesA(asked.c_str());
            code = attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : 0;
            return attributes;
        });
    }

    std::wstring SavedBeside(const std::string& beside) const {
        return L"The file \"" + AnsiToWide(DefaultFile()) +
               L"\" could not be read. The reminders of this run are saved in \"" + AnsiToWide(beside) + L"\".";
    }

    void ExpectOneMessage(const std::wstring& text, const std::wstring& title = L"Error") {
        ASSERT_EQ(1u, host.Messages.size());
        EXPECT_EQ(text, host.Messages[0].Text);
        EXPECT_EQ(title, host.Messages[0].Title);
        EXPECT_EQ(0, host.Messages[0].Mode);
        host.Messages.clear();
    }

    TestFolder folder;
    RecordingHost host;
    Converter converter;

private:
    std::string m_savedAppPath;
};

}  // namespace

//--- Round trips

TEST_F(ReminderFile, SaveAndLoadKeepTheRemindersInOrderAndResetTheRunTimeFields) {
    Eintrag* a = Add(converter, "Alpha", 10);
    Eintrag* b = Add(converter, "Beta", 11);
    Eintrag* c = Add(converter, "Gamma", 12);
    // Run-time and reserved state that must not come back from the file.
    a->AlertOpen = true;
    b->SnoozeSeconds = 300;
    c->Due = false;
    c->Reserved1 = 77;
    c->ReservedByte4 = 9;
    std::strcpy(c->ReservedText1, "reserved");
    converter.SaveToFile("");
    EXPECT_TRUE(host.Messages.empty());

    // The file holds each record as it was at that moment, run-time fields included.
    const std::string bytes = TestFolder::ReadBytes(DefaultFile());
    ASSERT_EQ(3 * kRecord, bytes.size());
    EXPECT_EQ(ImageOf(*a), bytes.substr(0, kRecord));
    EXPECT_EQ(ImageOf(*b), bytes.substr(kRecord, kRecord));
    EXPECT_EQ(ImageOf(*c), bytes.substr(2 * kRecord, kRecord));
    EXPECT_EQ(1, bytes[40]);  // AlertOpen of the first record

    Converter loaded;
    loaded.LoadFromFile("");
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Beta", "Gamma"}), Titles(loaded));
    const Eintrag* originals[] = {a, b, c};
    int i = 0;
    const Eintrag* previous = loaded.Head;
    for (const Eintrag* e = loaded.First(); e; e = e->Next, ++i) {
        EXPECT_TRUE(e->IsSame(*originals[i])) << i;
        EXPECT_EQ(e, e->GetMaster());
        EXPECT_EQ(previous, e->Prev);
        EXPECT_TRUE(e->Due);
        EXPECT_EQ(0, e->SnoozeSeconds);
        EXPECT_FALSE(e->AlertOpen);
        EXPECT_EQ(0, e->Reserved1);
        EXPECT_EQ(-1, e->Reserved4);
        EXPECT_EQ(1, e->ReservedByte4);
        EXPECT_STREQ("", e->ReservedText1);
        previous = e;
    }

    // Saving what was loaded writes the same file again, byte for byte, apart
    // from the run-time and reserved fields that loading reset.
    loaded.SaveToFile(folder.File("again.dat"));
    Converter third;
    third.LoadFromFile(folder.File("again.dat"));
    third.SaveToFile(folder.File("third.dat"));
    EXPECT_EQ(TestFolder::ReadBytes(folder.File("again.dat")), TestFolder::ReadBytes(folder.File("third.dat")));
    EXPECT_EQ(3u, TestFolder::ReadBytes(folder.File("again.dat")).size() / kRecord);
}

TEST_F(ReminderFile, AnEmptyListGivesAnEmptyFileOverAnOldOne) {
    Add(converter, "Old");
    converter.SaveToFile("");
    converter.Clear();
    converter.SaveToFile("");
    EXPECT_TRUE(FileExists(DefaultFile()));
    EXPECT_EQ("", TestFolder::ReadBytes(DefaultFile()));
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(1, folder.EntryCount());  // no temporary file left behind
}

//--- Framing

TEST_F(ReminderFile, OnlyWholeRecordsAreTaken) {
    Converter source;
    Add(source, "One", 1);
    Add(source, "Two", 2);
    source.SaveToFile(folder.File("two.dat"));
    const std::string two = TestFolder::ReadBytes(folder.File("two.dat"));
    ASSERT_EQ(6560u, two.size());

    struct Case {
        std::string bytes;
        int count;
    };
    const Case cases[] = {{two, 2}, {two + "x", 2}, {two.substr(0, 3279), 0}, {"", 0}, {two.substr(0, 6559), 1}};
    for (const Case& test : cases) {
        Add(converter, "Present before");
        TestFolder::WriteBytes(DefaultFile(), test.bytes);
        converter.LoadFromFile("");
        EXPECT_EQ(test.count, converter.Count()) << test.bytes.size();
        if (test.count > 0) {
            EXPECT_EQ("One", Titles(converter)[0]);
        }
    }
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(int(std::size(cases)), host.Replacements);
}

//--- Missing and unreadable files

TEST_F(ReminderFile, AMissingDefaultFileIsSilentAndAMissingBackupIsNamed) {
    Add(converter, "Kept");
    converter.LoadFromFile("");
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(1, converter.Count());

    const std::string backup = folder.File("gone.qbr");
    converter.LoadFromFile(backup);
    ExpectOneMessage(ReadError(backup));
    EXPECT_EQ(std::vector<std::string>{"Kept"}, Titles(converter));
    EXPECT_EQ(0, host.Replacements);
}

TEST_F(ReminderFile, AnUnreadableDefaultFileLosesNoReminderAndTheRunStillSaves) {
    // The file of the start: "Other" with a picture of the user's, and "Precious",
    // which a backup made earlier holds too.
    Converter source;
    Add(source, "Precious", 2);
    source.SaveToFile(folder.File("backup.qbr"));
    Add(source, "Other", 4)->PictureIndex = 40;
    source.SaveToFile("");
    const std::string before = TestFolder::ReadBytes(DefaultFile());

    // Locked at start and still at the first saves: the file stays as it is, the
    // run's list goes to a file of its own beside it (an earlier run's is kept),
    // and the user is told once where. Once it is free, the next save takes its
    // reminders back, those of the run after them, without doubling any.
    const std::string earlierRun = folder.File("index (saved beside).dat");
    TestFolder::WriteBytes(earlierRun, "an earlier run");
    FileLock lock(DefaultFile());
    ASSERT_TRUE(lock.IsHeld());
    converter.LoadFromFile("");
    ExpectOneMessage(ReadError(DefaultFile()));
    EXPECT_EQ(0, converter.Count());
    converter.SaveToFile("");  // nothing of the run to keep yet
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(3, folder.EntryCount());
    host.Pictures = 10;
    converter.LoadFromFile(folder.File("backup.qbr"));
    Add(converter, "New", 5);
    converter.SaveToFile("");
    Add(converter, "Newer", 6);
    converter.SaveToFile("");
    const std::string beside = folder.File("index (saved beside 2).dat");
    ExpectOneMessage(SavedBeside(beside), L"Warning");
    EXPECT_EQ(3 * kRecord, TestFolder::ReadBytes(beside).size());
    EXPECT_TRUE(TestFolder::ReadBytes(earlierRun) == "an earlier run");
    lock.Release();
    EXPECT_TRUE(before == TestFolder::ReadBytes(DefaultFile()));
    converter.SaveToFile("");
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ((std::vector<std::string>{"Other", "Precious", "New", "Newer"}), Titles(converter));
    EXPECT_EQ(40, converter.First()->PictureIndex);
    converter.SaveToFile("");
    EXPECT_EQ(4 * kRecord, TestFolder::ReadBytes(DefaultFile()).size());
    EXPECT_EQ(4u, Titles(converter).size());

    // Unreadable but movable at the first save: the file is kept aside under a
    // name that says so, the run saves as usual, and then the user is told once
    // where (a program ended while that box is open leaves a reminder file).
    TestFolder::WriteBytes(DefaultFile(), before);
    const std::string aside = folder.File("index (unreadable).dat");
    Converter run;
    size_t savedAtNotice = 0;
    host.OnMessage = [&] { savedAtNotice = TestFolder::ReadBytes(DefaultFile()).size(); };
    {
        FileLock movable(DefaultFile(), FILE_SHARE_DELETE);
        ASSERT_TRUE(movable.IsHeld());
        run.LoadFromFile("");
        ExpectOneMessage(ReadError(DefaultFile()));
        Add(run, "New");
        run.SaveToFile("");
    }
    ASSERT_EQ(1u, host.Messages.size());
    EXPECT_EQ(L"The file \"" + AnsiToWide(DefaultFile()) + L"\" could not be read. It is kept as \"" +
                  AnsiToWide(aside) + L"\".",
              host.Messages[0].Text);
    EXPECT_EQ(L"Warning", host.Messages[0].Title);
    EXPECT_EQ(kRecord, savedAtNotice);
    host.Messages.clear();
    EXPECT_TRUE(before == TestFolder::ReadBytes(aside));
    EXPECT_EQ(kRecord, TestFolder::ReadBytes(DefaultFile()).size());
    run.SaveToFile("");
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(kRecord, TestFolder::ReadBytes(DefaultFile()).size());
}

TEST_F(ReminderFile, OnlyNotFoundMeansThatThereIsNoReminderFile) {
    Converter source;
    Add(source, "Precious");
    source.SaveToFile("");
    const std::string before = TestFolder::ReadBytes(DefaultFile());

    // The file, locked all the while, does not answer for a moment at start or
    // at the first save: it is neither a first start nor gone meanwhile, and the
    // save once it is free takes its reminder back instead of writing over it.
    struct Case {
        bool atStart;
        uint32_t error;
    };
    for (const Case& test : {Case{true, ERROR_ACCESS_DENIED}, Case{false, ERROR_BAD_NETPATH}}) {
        SCOPED_TRACE(test.atStart ? "at start" : "at the first save");
        TestFolder::WriteBytes(DefaultFile(), before);
        Converter run;
        {
            FileLock lock(DefaultFile());
            ASSERT_TRUE(lock.IsHeld());
            if (test.atStart) FailAttributesOfDefaultFile(test.error);
            run.LoadFromFile("");
            ExpectOneMessage(ReadError(DefaultFile()));
            SetFileAttributesQuery(nullptr);
            if (!test.atStart) FailAttributesOfDefaultFile(test.error);
            Add(run, "New");
            run.SaveToFile("");
            ASSERT_EQ(1u, host.Messages.size());
            EXPECT_EQ(L"Warning", host.Messages[0].Title);
            host.Messages.clear();
            SetFileAttributesQuery(nullptr);
        }
        run.SaveToFile("");
        EXPECT_TRUE(host.Messages.empty());
        EXPECT_EQ((std::vector<std::string>{"Precious", "New"}), Titles(run));
        EXPECT_EQ(2 * kRecord, TestFolder::ReadBytes(DefaultFile()).size());
    }
}

TEST_F(ReminderFile, AFailingSaveOfTheReminderFileIsReportedOnceUntilOneWorks) {
    Add(converter, "Kept");
    converter.SaveToFile("");
    const std::string before = TestFolder::ReadBytes(DefaultFile());
    Add(converter, "New");
    {
        FileLock lock(DefaultFile());
        converter.SaveToFile("");
        ExpectOneMessage(SaveError(DefaultFile()));
        converter.SaveToFile("");
        converter.SaveToFile(DefaultFile());
        EXPECT_TRUE(host.Messages.empty());
        // A backup is the user's own request: each failure is reported.
        const std::string missing = folder.File("no such folder\\backup.qbr");
        converter.SaveToFile(missing);
        ExpectOneMessage(SaveError(missing));
    }
    EXPECT_EQ(before, TestFolder::ReadBytes(DefaultFile()));
    converter.SaveToFile("");
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(2 * kRecord, TestFolder::ReadBytes(DefaultFile()).size());
    {
        FileLock lock(DefaultFile());
        converter.SaveToFile("");
    }
    ExpectOneMessage(SaveError(DefaultFile()));
}

TEST_F(ReminderFile, AReadErrorKeepsTheOldList) {
    // A file that opens but fails on the first read: the process's own memory
    // file, seen through the drive that maps the host's root.
    const std::string failing = "Z:\\proc\\self\\mem";
    std::FILE* probe = std::fopen(failing.c_str(), "rb");
    if (!probe) GTEST_SKIP() << "no file here that fails on reading";
    char byte = 0;
    const bool fails = std::fread(&byte, 1, 1, probe) == 0 && std::ferror(probe);
    std::fclose(probe);
    if (!fails) GTEST_SKIP() << "no file here that fails on reading";

    Add(converter, "Old list");
    converter.LoadFromFile(failing);
    ExpectOneMessage(ReadError(failing));
    EXPECT_EQ(std::vector<std::string>{"Old list"}, Titles(converter));
    EXPECT_EQ(0, host.Replacements);
}

//--- Failed saves keep the old file

TEST_F(ReminderFile, AFailedSaveIsReportedAndKeepsTheOldFile) {
    Add(converter, "New");
    const std::string missing = folder.File("no such folder\\backup.qbr");
    converter.SaveToFile(missing);
    ExpectOneMessage(SaveError(missing));
    EXPECT_EQ(0, folder.EntryCount());

    const std::string readOnly = folder.File("readonly.qbr");
    TestFolder::WriteBytes(readOnly, "old");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    converter.SaveToFile(readOnly);
    ExpectOneMessage(SaveError(readOnly));
    EXPECT_EQ("old", TestFolder::ReadBytes(readOnly));

    TestFolder::WriteBytes(DefaultFile(), "old index");
    {
        FileLock lock(DefaultFile());
        converter.SaveToFile("");
    }
    ExpectOneMessage(SaveError(DefaultFile()));
    EXPECT_EQ("old index", TestFolder::ReadBytes(DefaultFile()));
    EXPECT_EQ(2, folder.EntryCount());

    const std::string readOnlyFolder = ReadOnlyFolder();
    if (!readOnlyFolder.empty()) {
        converter.SaveToFile(readOnlyFolder + "\\backup.qbr");
        ExpectOneMessage(SaveError(readOnlyFolder + "\\backup.qbr"));
    }
}

//--- Backups through the dialogs

TEST_F(ReminderFile, ExportAsksInTheProgramFolderAndWritesTheChosenFile) {
    Add(converter, "Exported");
    converter.ExportWithDialog();  // cancelled
    ASSERT_EQ(1u, host.Requests.size());
    EXPECT_TRUE(host.Requests[0].ForSaving);
    EXPECT_EQ("Quib Reminder Backup|*.qbr", host.Requests[0].Filter);
    EXPECT_EQ("qbr", host.Requests[0].DefaultExt);
    EXPECT_EQ(AppPath, host.Requests[0].InitialDir);
    EXPECT_EQ(0, folder.EntryCount());

    host.DialogAnswer = folder.File("backup.qbr");
    converter.ExportWithDialog();
    EXPECT_EQ(kRecord, TestFolder::ReadBytes(host.DialogAnswer).size());
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(0, host.Refreshes);
}

TEST_F(ReminderFile, ImportReplacesTheListAndRefreshesTheWindows) {
    Converter source;
    Add(source, "From backup");
    Eintrag* picture = Add(source, "Picture 40");
    picture->PictureIndex = 40;
    source.SaveToFile(folder.File("backup.qbr"));
    Add(converter, "Before");

    converter.ImportWithDialog();  // cancelled: nothing changes
    ASSERT_EQ(1u, host.Requests.size());
    EXPECT_FALSE(host.Requests[0].ForSaving);
    EXPECT_EQ("Quib Reminder Backup|*.qbr", host.Requests[0].Filter);
    EXPECT_EQ("qbr", host.Requests[0].DefaultExt);
    EXPECT_EQ("", host.Requests[0].InitialDir);
    EXPECT_EQ(std::vector<std::string>{"Before"}, Titles(converter));
    EXPECT_EQ(0, host.Refreshes);
    EXPECT_EQ(0, host.Replacements);

    // With the add/modify dialog's 25 pictures, the index is limited to the last one.
    host.Pictures = 25;
    host.DialogAnswer = folder.File("backup.qbr");
    converter.ImportWithDialog();
    EXPECT_EQ((std::vector<std::string>{"From backup", "Picture 40"}), Titles(converter));
    EXPECT_EQ(24, converter.First()->Next->PictureIndex);
    EXPECT_EQ(1, host.Replacements);
    EXPECT_EQ(1, host.Refreshes);
    EXPECT_TRUE(host.Messages.empty());

    // At start-up the dialog does not exist yet and the stored index stays.
    host.Pictures = -1;
    converter.LoadFromFile(folder.File("backup.qbr"));
    EXPECT_EQ(40, converter.First()->Next->PictureIndex);

    // A backup that is gone: the message names its full path, the list stays,
    // and the calendar is refreshed all the same.
    host.DialogAnswer = folder.File("gone.qbr");
    converter.ImportWithDialog();
    ExpectOneMessage(ReadError(host.DialogAnswer));
    EXPECT_EQ(2, converter.Count());
    EXPECT_EQ(2, host.Refreshes);
    EXPECT_EQ(2, host.Replacements);
}

TEST_F(ReminderFile, ALoadLetsGoOfEverythingThatPointsToTheOldRecords) {
    Converter source;
    Add(source, "New");
    source.SaveToFile(folder.File("backup.qbr"));

    Converter& program = *gConverter;
    program.Clear();
    Eintrag* old = Add(program, "Old", 15);
    BuildMonthGrid(program, 124, 2, true);
    program.BuildGrid();
    SelectedEntry = old;
    DragEntry = program.Cells[2][5].First();
    ASSERT_NE(nullptr, DragEntry);
    Dragging = true;

    // The windows hear of it while the new list is in place and the cells no
    // longer hold copies of the old records.
    std::string firstAtNotice;
    int copiesAtNotice = -1;
    host.OnReplaced = [&] {
        firstAtNotice = program.First() ? program.First()->GetTitle() : "";
        copiesAtNotice = 0;
        for (auto& row : program.Cells)
            for (TWeekDay& cell : row)
                for (const Eintrag* e = cell.First(); e; e = e->Next) ++copiesAtNotice;
    };
    host.DialogAnswer = folder.File("backup.qbr");
    program.ImportWithDialog();
    EXPECT_EQ("New", firstAtNotice);
    EXPECT_EQ(0, copiesAtNotice);
    EXPECT_EQ(nullptr, SelectedEntry);
    EXPECT_EQ(nullptr, DragEntry);
    EXPECT_FALSE(Dragging);
    program.Clear();
}

//--- Damaged and foreign files

TEST_F(ReminderFile, RandomAndZeroFilledFilesLoadWithoutHarm) {
    std::mt19937 random(4711);
    std::vector<std::string> files;
    files.push_back(std::string(4 * kRecord, '\0'));
    files.push_back(std::string(3 * kRecord + 17, '\xff'));
    for (size_t length : {kRecord - 1, kRecord, 7 * kRecord + 1234, 20 * kRecord}) {
        std::string bytes(length, '\0');
        for (char& c : bytes) c = char(random());
        files.push_back(bytes);
    }
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& bytes = files[i];
        // As the reminder file at start and as a backup.
        const std::string name = i % 2 ? DefaultFile() : folder.File("damaged.qbr");
        TestFolder::WriteBytes(name, bytes);
        converter.LoadFromFile(i % 2 ? "" : name);
        ASSERT_EQ(int(bytes.size() / kRecord), converter.Count());
        for (const Eintrag* e = converter.First(); e; e = e->Next) {
            EXPECT_LT(std::strlen(e->GetTitle()), Eintrag::kTitleSize);
            EXPECT_LT(std::strlen(e->GetText()), Eintrag::kTextSize);
        }
        // The grid of any month still comes out, whatever the dates and counts say.
        for (int month : {0, 6}) {
            BuildMonthGrid(converter, 124, month, true);
            converter.BuildGrid();
        }
        // What was loaded is written back and reads the same.
        converter.SaveToFile(folder.File("rewritten.qbr"));
        const std::string rewritten = TestFolder::ReadBytes(folder.File("rewritten.qbr"));
        EXPECT_EQ(bytes.size() / kRecord * kRecord, rewritten.size());
        Converter again;
        again.LoadFromFile(folder.File("rewritten.qbr"));
        again.SaveToFile(folder.File("twice.qbr"));
        EXPECT_EQ(rewritten, TestFolder::ReadBytes(folder.File("twice.qbr")));
    }
    EXPECT_TRUE(host.Messages.empty());
}

TEST_F(ReminderFile, ExtremeFieldValuesLoadAndLayOut) {
    std::string record(kRecord, '\0');
    auto put = [&record](size_t offset, int32_t value) { std::memcpy(&record[offset], &value, 4); };
    std::string bytes;
    const int32_t extremes[] = {INT32_MIN, -1, 0, 1, 7, INT32_MAX};
    for (int32_t count : extremes)
        for (int32_t kind : {0, 1, 2, 3, 4, 5, -1}) {
            std::memset(&record[0], 0, kRecord);
            put(0, count);
            put(4, kind);
            put(8, count);   // picture index
            put(44, count);  // advance days
            // Start 2024-03-15 10:30 for some counts, garbage in every date field for the others.
            for (int field = 0; field < 9; ++field) {
                const int32_t plain[9] = {0, 30, 10, 15, 2, 124, 0, 0, -1};
                const bool usable = count == 7 || count == INT32_MAX || count == 1;
                put(50 + 4 * field, usable ? plain[field] : count);
                put(86 + 4 * field, count);
                put(122 + 4 * field, kind == 5 ? INT32_MAX : 0);
            }
            std::memset(&record[200], 'T', 256);   // a title without a NUL
            std::memset(&record[456], 'X', 1024);  // a text without a NUL
            record[32] = char(kind * 40);          // bool bytes other than 0 and 1
            record[48] = char(200);
            bytes += record;
        }
    TestFolder::WriteBytes(DefaultFile(), bytes);
    converter.LoadFromFile("");
    ASSERT_EQ(int(std::size(extremes) * 7), converter.Count());
    for (const Eintrag* e = converter.First(); e; e = e->Next) {
        EXPECT_EQ(std::string(255, 'T'), e->GetTitle());
        EXPECT_EQ(std::string(1023, 'X'), e->GetText());
        EXPECT_TRUE(e->ExactlyAt);
    }
    for (int month = 0; month < 12; ++month) {
        BuildMonthGrid(converter, 124, month, month % 2 == 0);
        converter.BuildGrid();
    }
    EXPECT_TRUE(host.Messages.empty());
}

TEST_F(ReminderFile, ALargeFileLoadsInFull) {
    Converter source;
    for (int i = 0; i < 3000; ++i) Add(source, ("Reminder " + std::to_string(i)).c_str(), i % 28 + 1);
    source.SaveToFile(folder.File("large.qbr"));
    std::string bytes = TestFolder::ReadBytes(folder.File("large.qbr"));
    bytes += std::string(1000, 'z');
    TestFolder::WriteBytes(folder.File("large.qbr"), bytes);

    converter.LoadFromFile(folder.File("large.qbr"));
    ASSERT_EQ(3000, converter.Count());
    EXPECT_EQ("Reminder 2999", std::string(converter.Last()->GetTitle()));
    EXPECT_TRUE(host.Messages.empty());
}
