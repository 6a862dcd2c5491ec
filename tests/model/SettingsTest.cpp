// The settings file: its exact shape, the read order with its stop at the first
// failure, safe ranges, and files that cannot be read or written.
#include <gtest/gtest.h>

#include <sstream>

#include "ModelTestSupport.h"
#include "RecordingHost.h"
#include "classlib/XMLDoc.h"
#include "model/Uglobals.h"
#include "model/Usettings.h"
#include "tests/TestFolder.h"

namespace {

// The file's body with every default, in the writer's reversed sibling order.
const char kDefaultBody[] =
    "<Settings><General_Settings><Hide_Window_at_Start>0</Hide_Window_at_Start><AlertFormSettings>"
    "<AlertForm_Position_Flag>0</AlertForm_Position_Flag><AlertForm_Height>370</AlertForm_Height>"
    "<AlertForm_Width>530</AlertForm_Width><AlertForm_Top>200</AlertForm_Top><AlertForm_Left>200</AlertForm_Left>"
    "</AlertFormSettings><MainFormSettings><MainForm_Position_Flag>0</MainForm_Position_Flag>"
    "<MainForm_Height>500</MainForm_Height><MainForm_Width>500</MainForm_Width><MainForm_Top>100</MainForm_Top>"
    "<MainForm_Left>100</MainForm_Left></MainFormSettings></General_Settings><Hint_Settings>"
    "<Hint_Group_Index>0</Hint_Group_Index><Hint_Hide_Pause>9000</Hint_Hide_Pause><Hint_Delay>100</Hint_Delay>"
    "<Hint_Background_Color>15780518</Hint_Background_Color><Hint_Font_Color>0</Hint_Font_Color>"
    "<Font_Name>Arial</Font_Name></Hint_Settings><Text_Settings><Font_Shadow_Color>-2147483633</Font_Shadow_Color>"
    "<Font_Color>16711680</Font_Color><Font_Name>Arial</Font_Name></Text_Settings><Calendar_Settings>"
    "<Calendar_Sound_File_Name>mv.wav</Calendar_Sound_File_Name><Calendar_Play_Sound>0</Calendar_Play_Sound>"
    "<Icon_Size>32</Icon_Size><Calendar_First_Column>1</Calendar_First_Column><Font_Bold_Style>1</Font_Bold_Style>"
    "<Font_Size>8</Font_Size><Font_Shadow_Color>16777215</Font_Shadow_Color><Font_Color>16711680</Font_Color>"
    "<Font_Name>Arial</Font_Name></Calendar_Settings></Settings>";

// Replaces the first occurrence of `from`, which must be there.
void Replace(std::string& text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    ASSERT_NE(std::string::npos, at) << from;
    text.replace(at, from.size(), to);
}

std::string WithoutLineBreaks(const std::string& text) {
    std::string flat;
    for (char c : text)
        if (c != '\r' && c != '\n') flat += c;
    return flat;
}

// Every setting in one text, so that whole sets compare at once.
std::string AllSettings() {
    const TCalendarSettingValues& c = Calendar_Settings;
    const THintSettingValues& h = Hint_Settings;
    const TGeneralSettingValues& g = General_Settings;
    std::ostringstream out;
    out << WideToUtf8(c.Font_Name) << '|' << c.Font_Color << '|' << c.Font_Shadow_Color << '|' << c.Font_Size << '|'
        << int(c.Font_Bold_Style) << '|' << int(c.Calendar_First_Column) << '|' << IconWidth << 'x' << IconHeight << '|'
        << int(c.Calendar_Play_Sound) << '|' << WideToUtf8(c.Calendar_Sound_File_Name) << "\n"
        << Text_Settings.Font_Name << '|' << Text_Settings.Font_Color << '|' << Text_Settings.Font_Shadow_Color << "\n"
        << h.Font_Name << '|' << h.Hint_Font_Color << '|' << h.Hint_Background_Color << '|' << h.Hint_Delay << '|'
        << h.Hint_Hide_Pause << '|' << h.Hint_Group_Index << "\n"
        << g.MainForm_Left << '|' << g.MainForm_Top << '|' << g.MainForm_Width << '|' << g.MainForm_Height << '|'
        << g.MainForm_Position_Flag << '|' << g.AlertForm_Left << '|' << g.AlertForm_Top << '|' << g.AlertForm_Width
        << '|' << g.AlertForm_Height << '|' << g.AlertForm_Position_Flag << '|' << int(g.Hide_Window_at_Start);
    return out.str();
}

void ResetToDefaults() {
    Calendar_Settings = TCalendarSettingValues{};
    Calendar_Settings.Font_Name = L"Arial";
    Calendar_Settings.Calendar_Sound_File_Name = L"mv.wav";
    Text_Settings = TTextSettingValues{};
    Text_Settings.Font_Name = "Arial";
    Hint_Settings = THintSettingValues{};
    Hint_Settings.Font_Name = "Arial";
    General_Settings = TGeneralSettingValues{};
    IconWidth = IconHeight = 32;
}

class SettingsFile : public testing::Test {
protected:
    void SetUp() override {
        m_saved = {AppPath, Calendar_Settings, Text_Settings, Hint_Settings, General_Settings, IconWidth, IconHeight};
        AppPath = folder.Path() + "\\";
        ResetToDefaults();
    }
    void TearDown() override {
        AppPath = m_saved.appPath;
        Calendar_Settings = m_saved.calendar;
        Text_Settings = m_saved.text;
        Hint_Settings = m_saved.hint;
        General_Settings = m_saved.general;
        IconWidth = m_saved.iconWidth;
        IconHeight = m_saved.iconHeight;
    }

    std::string File() const { return folder.File("Settings.xml"); }
    std::string Saved() const { return TestFolder::ReadBytes(File()); }

    // Writes the default file with one element's content replaced (the first
    // occurrence of `element`, e.g. "<Hint_Delay>100</Hint_Delay>").
    void WriteDefaultsWith(const std::string& element, const std::string& replacement) {
        std::string body = kDefaultBody;
        const size_t at = body.find(element);
        ASSERT_NE(std::string::npos, at) << element;
        body.replace(at, element.size(), replacement);
        TestFolder::WriteBytes(File(), "<?xml version=\"1.0\"?>\r\n" + body + "\r\n");
    }

    // The one message of a failed read.
    void ExpectReadFailure() {
        ASSERT_EQ(1u, host.Messages.size());
        EXPECT_EQ(L"Error reading the file \"Settings.xml\"!", host.Messages[0].Text);
        EXPECT_EQ(L"Error", host.Messages[0].Title);
        EXPECT_EQ(0, host.Messages[0].Mode);
    }

    TestFolder folder;
    RecordingHost host;
    TSettings settings;

private:
    struct {
        std::string appPath;
        TCalendarSettingValues calendar;
        TTextSettingValues text;
        THintSettingValues hint;
        TGeneralSettingValues general;
        int32_t iconWidth, iconHeight;
    } m_saved;
};

}  // namespace

TEST(ByteToStr, GivesTheUnsignedDecimal) {
    std::string text = "old";
    ByteToStr(0, text);
    EXPECT_EQ("0", text);
    ByteToStr(1, text);
    EXPECT_EQ("1", text);
    ByteToStr(255, text);
    EXPECT_EQ("255", text);
}

//--- The file's shape

TEST_F(SettingsFile, DefaultsGiveTheKnownFileAndTwoSavesAreIdentical) {
    settings.SaveSettings();
    const std::string first = Saved();
    EXPECT_EQ(0u, first.find("<?xml version=\"1.0\"?>"));  // no byte-order mark, no encoding
    EXPECT_EQ(std::string("<?xml version=\"1.0\"?>") + kDefaultBody, WithoutLineBreaks(first));
    settings.SaveSettings();
    EXPECT_EQ(first, Saved());
    EXPECT_EQ(1, folder.EntryCount());
    EXPECT_TRUE(host.Messages.empty());
}

TEST_F(SettingsFile, EverySettingComesBackAndUserAdditionsVanish) {
    Calendar_Settings.Font_Name = L"Schrift \u00c4\u00d6\u00dc \u660e\u671d & <Co>";
    Calendar_Settings.Font_Color = -1;
    Calendar_Settings.Font_Shadow_Color = INT32_MIN;
    Calendar_Settings.Font_Size = 11;
    Calendar_Settings.Font_Bold_Style = 0;
    Calendar_Settings.Calendar_First_Column = 0;
    IconWidth = IconHeight = 24;
    Calendar_Settings.Calendar_Play_Sound = 1;
    Calendar_Settings.Calendar_Sound_File_Name = L"C:\\Sounds\\\u00e9t\u00e9.wav";
    // 8-bit names with a character of the code page beyond ASCII.
    const std::string ansiName = WideToAnsi(L"\u00c4rial Black");
    ASSERT_EQ(L"\u00c4rial Black", AnsiToWide(ansiName));
    Text_Settings.Font_Name = ansiName;
    Text_Settings.Font_Color = 255;
    Text_Settings.Font_Shadow_Color = -2147483646;
    Hint_Settings.Font_Name = "Tahoma";
    Hint_Settings.Hint_Font_Color = 123456;
    Hint_Settings.Hint_Background_Color = 654321;
    Hint_Settings.Hint_Delay = 250;
    Hint_Settings.Hint_Hide_Pause = 4000;
    Hint_Settings.Hint_Group_Index = -5;
    General_Settings = {-20, -30, 640, 480, 3, 5, 6, 400, 300, 5, 1};
    settings.SaveSettings();

    // A comment and an element the user added are dropped by the next save.
    std::string edited = Saved();
    edited.insert(edited.find("<Settings>") + 10, "<!-- mine --><Extra>1</Extra>");
    TestFolder::WriteBytes(File(), edited);
    const std::string written = AllSettings();
    ResetToDefaults();

    settings.LoadSettings();
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(written, AllSettings());
    ASSERT_EQ(1u, host.HintTimings.size());
    EXPECT_EQ(std::make_pair(250, 4000), host.HintTimings[0]);

    settings.SaveSettings();
    const std::string resaved = Saved();
    EXPECT_EQ(std::string::npos, resaved.find("Extra"));
    EXPECT_EQ(std::string::npos, resaved.find("mine"));
    EXPECT_NE(std::string::npos, resaved.find("<Text_Settings><Font_Shadow_Color>-2147483646</Font_Shadow_Color>"));
    EXPECT_NE(std::string::npos, resaved.find("&amp; &lt;Co&gt;"));
}

// The files both builds write for the same reminders and settings. Run with
// QR_SAMPLE_FILES naming a folder, by the comparison of the 32-bit and 64-bit
// builds, which expects the same bytes from each.
TEST_F(SettingsFile, SampleFilesForTheComparisonOfTheBuilds) {
    const char* out = getenv("QR_SAMPLE_FILES");
    if (!out) GTEST_SKIP() << "QR_SAMPLE_FILES names no folder";
    AppPath = std::string(out) + "\\";
    Calendar_Settings.Font_Name = L"Schrift \u00c4\u00d6\u00dc \u660e\u671d & <Co>";
    Calendar_Settings.Font_Color = -1;
    Text_Settings.Font_Shadow_Color = INT32_MIN;
    Hint_Settings.Hint_Delay = 250;
    General_Settings = {-20, -30, 640, 480, 3, 5, 6, 400, 300, 5, 1};
    settings.SaveSettings();

    Converter converter;
    for (int day = 1; day <= 3; ++day) {
        Eintrag* e = new Eintrag;
        e->SetMaster(e);  // a pointer field, stored as zeros
        e->IntervalCount = day;
        e->IntervalKind = day % 4;
        e->PictureIndex = day * 7;
        e->AdvanceDays = day;
        e->ExactlyAt = day % 2 == 0;
        e->Acknowledged = day % 2 == 1;
        e->StartTime = MakeDate(2030 + day, day, day * 9, day, day * 11);
        e->LastReminded = Normalized(MakeDate(2024, 3, day, 10, 30));
        e->StopAfter = Normalized(MakeDate(2038, 1, 18, 23, 59));
        e->SetTitle(("Title " + std::to_string(day) + " & \xe4").c_str());
        e->SetText(std::string(day * 300, char('a' + day)).c_str());
        converter.Append(e);
    }
    converter.SaveToFile(AppPath + "index.dat");
    EXPECT_TRUE(host.Messages.empty());
}

TEST_F(SettingsFile, EmptyTextsAreWrittenAndReadAsEmpty) {
    Calendar_Settings.Font_Name.clear();
    Text_Settings.Font_Name.clear();
    settings.SaveSettings();
    Calendar_Settings.Font_Name = L"Arial";
    Text_Settings.Font_Name = "Arial";
    settings.LoadSettings();
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(L"", Calendar_Settings.Font_Name);
    EXPECT_EQ("", Text_Settings.Font_Name);
}

//--- Reading: conversions and the stop at the first failure

TEST_F(SettingsFile, NoFileKeepsTheDefaultsWithoutAWord) {
    const std::string defaults = AllSettings();
    settings.LoadSettings();
    TestFolder::WriteBytes(File(), "<Settings><Calendar_Settings>");  // not well-formed
    settings.LoadSettings();
    TestFolder::WriteBytes(File(), "");
    settings.LoadSettings();
    // Two document elements: not well-formed either.
    TestFolder::WriteBytes(File(), std::string("<?xml version=\"1.0\"?>") + kDefaultBody + "<Settings/>");
    settings.LoadSettings();
    TestFolder::WriteBytes(File(), std::string(5000, '\0'));
    settings.LoadSettings();
    // Far larger than any file the program writes: not read, however well-formed.
    std::string large = kDefaultBody;
    Replace(large, "<Font_Size>8", "<Font_Size>9");
    large.insert(large.find("<Settings>") + 10, "<!--" + std::string(1 << 20, 'x') + "-->");
    TestFolder::WriteBytes(File(), "<?xml version=\"1.0\"?>" + large);
    settings.LoadSettings();
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_TRUE(host.HintTimings.empty());  // the window keeps its own timings
    EXPECT_EQ(defaults, AllSettings());
}

TEST_F(SettingsFile, FlagsTakeAnyNonZeroNumberAndTheIconSizeFeedsBothEdges) {
    WriteDefaultsWith("<Hide_Window_at_Start>0<", "<Hide_Window_at_Start>7<");
    std::string body = Saved();
    Replace(body, "<Icon_Size>32</Icon_Size>", "<Icon_Size>24</Icon_Size>");
    Replace(body, "<Hint_Group_Index>0<", "<Hint_Group_Index>65537<");
    Replace(body, "<MainForm_Position_Flag>0", "<MainForm_Position_Flag>9");
    TestFolder::WriteBytes(File(), body);
    settings.LoadSettings();
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(1, General_Settings.Hide_Window_at_Start);
    EXPECT_EQ(24, IconWidth);
    EXPECT_EQ(24, IconHeight);
    EXPECT_EQ(1, Hint_Settings.Hint_Group_Index);           // the low 16 bits
    EXPECT_EQ(9, General_Settings.MainForm_Position_Flag);  // placement ignores it
}

TEST_F(SettingsFile, TheFirstBadValueStopsTheReading) {
    // Earlier values in the file differ from the defaults, so that it shows which were read.
    std::string body = kDefaultBody;
    Replace(body, "<Font_Size>8</Font_Size>", "<Font_Size>12</Font_Size>");
    Replace(body, "<Font_Color>16711680</Font_Color><Font_Name>Arial</Font_Name></Text_Settings>",
            "<Font_Color>255</Font_Color><Font_Name>Arial</Font_Name></Text_Settings>");
    Replace(body, "<Hint_Background_Color>15780518", "<Hint_Background_Color>42");
    Replace(body, "<Hint_Delay>100</Hint_Delay>", "<Hint_Delay>abc</Hint_Delay>");
    Replace(body, "<Hint_Hide_Pause>9000", "<Hint_Hide_Pause>1234");
    Replace(body, "<MainForm_Width>500", "<MainForm_Width>900");
    TestFolder::WriteBytes(File(), body);

    settings.LoadSettings();
    ExpectReadFailure();
    EXPECT_EQ(12, Calendar_Settings.Font_Size);
    EXPECT_EQ(255, Text_Settings.Font_Color);
    EXPECT_EQ(42, Hint_Settings.Hint_Background_Color);
    EXPECT_EQ(100, Hint_Settings.Hint_Delay);
    EXPECT_EQ(9000, Hint_Settings.Hint_Hide_Pause);
    EXPECT_EQ(500, General_Settings.MainForm_Width);
    // The timings are applied all the same.
    ASSERT_EQ(1u, host.HintTimings.size());
    EXPECT_EQ(std::make_pair(100, 9000), host.HintTimings[0]);
}

TEST_F(SettingsFile, MissingElementsReadAsEmpty) {
    // Without the hint group: its font name becomes empty, and its first number fails.
    std::string body = kDefaultBody;
    const size_t from = body.find("<Hint_Settings>");
    body.erase(from, body.find("</Hint_Settings>") + 16 - from);
    Replace(body, "<Font_Size>8</Font_Size>", "<Font_Size>12</Font_Size>");
    TestFolder::WriteBytes(File(), body);
    settings.LoadSettings();
    ExpectReadFailure();
    EXPECT_EQ(12, Calendar_Settings.Font_Size);
    EXPECT_EQ("Arial", Text_Settings.Font_Name);
    EXPECT_EQ("", Hint_Settings.Font_Name);
    EXPECT_EQ(15780518, Hint_Settings.Hint_Background_Color);
    EXPECT_EQ(100, General_Settings.MainForm_Left);
}

TEST_F(SettingsFile, TheTextFontNameMustBeThere) {
    WriteDefaultsWith("<Font_Color>16711680</Font_Color><Font_Name>Arial</Font_Name></Text_Settings>",
                      "<Font_Color>255</Font_Color></Text_Settings>");
    std::string body = Saved();
    Replace(body, "<Font_Size>8", "<Font_Size>9");
    TestFolder::WriteBytes(File(), body);
    settings.LoadSettings();
    ExpectReadFailure();
    EXPECT_EQ(9, Calendar_Settings.Font_Size);
    EXPECT_EQ("Arial", Text_Settings.Font_Name);
    EXPECT_EQ(16711680, Text_Settings.Font_Color);  // read after the name: not reached
}

TEST_F(SettingsFile, AnotherRootFailsAtTheFirstKey) {
    Calendar_Settings.Font_Name = L"Before";
    const std::string before = AllSettings();
    TestFolder::WriteBytes(File(),
                           "<?xml version=\"1.0\"?><Other><Calendar_Settings><Font_Name>Times</Font_Name>"
                           "</Calendar_Settings></Other>");
    settings.LoadSettings();
    ExpectReadFailure();
    EXPECT_EQ(before, AllSettings());
}

TEST_F(SettingsFile, ValuesThatAreNoIntegersFail) {
    const char* const bad[] = {"<Font_Size><b>8</b></Font_Size>",    "<Font_Size>8<!--c-->9</Font_Size>",
                               "<Font_Size>99999999999</Font_Size>", "<Font_Size>-2147483649</Font_Size>",
                               "<Font_Size>0x10</Font_Size>",        "<Font_Size></Font_Size>",
                               "<Font_Size>8.5</Font_Size>",         "<Font_Size>\xd9\xa1</Font_Size>"};
    for (const char* value : bad) {
        host.Messages.clear();
        ResetToDefaults();
        WriteDefaultsWith("<Font_Size>8</Font_Size>", value);
        settings.LoadSettings();
        ExpectReadFailure();
        EXPECT_EQ(8, Calendar_Settings.Font_Size) << value;
        EXPECT_EQ(1, Calendar_Settings.Font_Bold_Style) << value;
    }
    // A CDATA section is text like any other.
    host.Messages.clear();
    WriteDefaultsWith("<Font_Size>8</Font_Size>", "<Font_Size><![CDATA[14]]></Font_Size>");
    settings.LoadSettings();
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(14, Calendar_Settings.Font_Size);
}

TEST_F(SettingsFile, IndentedAndShuffledFilesLoadTheSame) {
    TestFolder::WriteBytes(File(),
                           "<?xml version=\"1.0\"?>\r\n<Settings>\r\n"
                           "  <Text_Settings>\r\n    <Font_Name>Verdana</Font_Name>\r\n"
                           "    <Font_Shadow_Color>1</Font_Shadow_Color>\r\n    <Font_Color>2</Font_Color>\r\n"
                           "  </Text_Settings>\r\n"
                           "  <Calendar_Settings>\r\n    <Icon_Size>20</Icon_Size>\r\n"
                           "    <Font_Name>Courier</Font_Name>\r\n    <Font_Color>3</Font_Color>\r\n"
                           "    <Font_Shadow_Color>4</Font_Shadow_Color>\r\n    <Font_Size>10</Font_Size>\r\n"
                           "    <Font_Bold_Style>0</Font_Bold_Style>\r\n"
                           "    <Calendar_First_Column>0</Calendar_First_Column>\r\n"
                           "    <Calendar_Play_Sound>1</Calendar_Play_Sound>\r\n"
                           "    <Calendar_Sound_File_Name>bell.wav</Calendar_Sound_File_Name>\r\n"
                           "  </Calendar_Settings>\r\n</Settings>\r\n");
    settings.LoadSettings();
    EXPECT_EQ(L"Courier", Calendar_Settings.Font_Name);
    EXPECT_EQ(20, IconWidth);
    EXPECT_EQ(0, Calendar_Settings.Calendar_First_Column);
    EXPECT_EQ(L"bell.wav", Calendar_Settings.Calendar_Sound_File_Name);
    EXPECT_EQ("Verdana", Text_Settings.Font_Name);
    EXPECT_EQ(1, Text_Settings.Font_Shadow_Color);
    EXPECT_EQ(2, Text_Settings.Font_Color);
    ExpectReadFailure();  // the hint group is missing
}

//--- Safe ranges

TEST_F(SettingsFile, ValuesThatWouldBreakTheWindowsAreBroughtIntoRange) {
    struct Case {
        const char* element;
        const char* replacement;
        std::function<int32_t()> value;
        int32_t expected;
    };
    const Case cases[] = {
        {"<Icon_Size>32", "<Icon_Size>0", [] { return IconWidth; }, 32},
        {"<Icon_Size>32", "<Icon_Size>-8", [] { return IconHeight; }, 32},
        {"<Icon_Size>32", "<Icon_Size>4", [] { return IconWidth; }, 18},
        {"<Icon_Size>32", "<Icon_Size>5000", [] { return IconHeight; }, 32},
        {"<Icon_Size>32", "<Icon_Size>26", [] { return IconWidth; }, 26},
        {"<Hint_Delay>100", "<Hint_Delay>0", [] { return Hint_Settings.Hint_Delay; }, 1},
        {"<Hint_Delay>100", "<Hint_Delay>-50", [] { return Hint_Settings.Hint_Delay; }, 1},
        {"<MainForm_Width>500", "<MainForm_Width>0", [] { return General_Settings.MainForm_Width; }, 500},
        {"<MainForm_Height>500", "<MainForm_Height>-3", [] { return General_Settings.MainForm_Height; }, 500},
        {"<AlertForm_Width>530", "<AlertForm_Width>-1", [] { return General_Settings.AlertForm_Width; }, 530},
        {"<AlertForm_Height>370", "<AlertForm_Height>0", [] { return General_Settings.AlertForm_Height; }, 370},
        {"<AlertForm_Height>370", "<AlertForm_Height>1", [] { return General_Settings.AlertForm_Height; }, 1},
    };
    for (const Case& test : cases) {
        ResetToDefaults();
        IconWidth = IconHeight = 7;
        WriteDefaultsWith(test.element, test.replacement);
        settings.LoadSettings();
        EXPECT_EQ(test.expected, test.value()) << test.replacement;
    }
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(std::make_pair(100, 9000), host.HintTimings.back());
    ResetToDefaults();
    WriteDefaultsWith("<Hint_Delay>100", "<Hint_Delay>0");
    settings.LoadSettings();
    EXPECT_EQ(std::make_pair(1, 9000), host.HintTimings.back());
}

//--- Files that cannot be written, and no XML support

TEST_F(SettingsFile, AFailedSaveIsSilentAndKeepsTheOldFile) {
    TestFolder::WriteBytes(File(), "old content");
    SetFileAttributesA(File().c_str(), FILE_ATTRIBUTE_READONLY);
    settings.SaveSettings();
    EXPECT_EQ("old content", Saved());
    SetFileAttributesA(File().c_str(), FILE_ATTRIBUTE_NORMAL);
    {
        FileLock lock(File());
        settings.SaveSettings();
    }
    EXPECT_EQ("old content", Saved());

    AppPath = folder.File("missing") + "\\";
    settings.SaveSettings();
    const std::string readOnly = ReadOnlyFolder();
    if (!readOnly.empty()) {
        AppPath = readOnly + "\\";
        settings.SaveSettings();
    }
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(1, folder.EntryCount());
}

TEST_F(SettingsFile, WithoutXmlSupportTheProgramKeepsItsDefaults) {
    settings.SaveSettings();
    std::string body = Saved();
    Replace(body, "<Font_Size>8", "<Font_Size>9");
    TestFolder::WriteBytes(File(), body);

    const std::wstring previous = TXMLDocument::SetComponentClass(L"{00000000-0000-0000-0000-0000000000A1}");
    settings.LoadSettings();
    Calendar_Settings.Font_Size = 10;
    settings.SaveSettings();
    TXMLDocument::SetComponentClass(previous);

    EXPECT_EQ(10, Calendar_Settings.Font_Size);
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_TRUE(host.HintTimings.empty());
    EXPECT_EQ(body, Saved());
}
