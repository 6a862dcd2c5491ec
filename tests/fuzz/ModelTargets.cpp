// The model's files: the reminder file read at start, a backup taken in by the
// import, and the settings file, each read as the program reads it.
#include <cctype>
#include <cstring>
#include <string>
#include <typeinfo>
#include <vector>

#include "Fuzz.h"
#include "classlib/SysUtils.h"
#include "model/Uconverter.h"
#include "model/Ueintrag.h"
#include "model/Ufunction.h"
#include "model/Uglobals.h"
#include "model/UmodelHost.h"
#include "model/Usettings.h"
#include "tests/model/ModelTestSupport.h"
#include "tests/model/RecordingHost.h"

namespace {

using fuzz::Breach;
using fuzz::Bytes;
using fuzz::Verdict;

// For one read: the recording host installed, and the program folder in the
// scratch folder. Both are put back however the read ends.
class ReadScope {
public:
    ReadScope() : m_appPath(AppPath) {
        AppPath = fuzz::ScratchDir() + "\\";
    }
    ~ReadScope() {
        AppPath = m_appPath;
        SetClock({});
    }
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

    RecordingHost Host;

private:
    std::string m_appPath;
};

// The one message of a refused file: "Error reading the file "<name>"" plus the ending.
void ExpectReadMessage(const RecordingHost& host, const std::wstring& expected) {
    if (host.Messages.size() != 1)
        throw Breach("a refused file gave " + std::to_string(host.Messages.size()) + " messages instead of one");
    const RecordingHost::Message& m = host.Messages[0];
    if (m.Text != expected || m.Title != L"Error" || m.Mode != 0)
        throw Breach("a refused file gave another message: " + WideToUtf8(m.Text));
}

//--- Reminders

Eintrag* NewReminder(const char* title, const std::string& text, int32_t count, int32_t kind, tm start) {
    Eintrag* e = new Eintrag;
    e->SetMaster(e);
    e->IntervalCount = count;
    e->IntervalKind = kind;
    e->StartTime = start;
    e->SetTitle(title);
    e->SetText(text.c_str());
    return e;
}

// Reminders with every kind of field a user can give them.
void AddSeedReminders(Converter& c, int which) {
    if (which == 0 || which == 2) {
        Eintrag* once = NewReminder("Dentist", "Bring the card", 0, kIntervalOnce, MakeDate(2024, 3, 18, 9, 30));
        once->PictureIndex = 3;
        once->ExactlyAt = true;
        c.Append(once);
    }
    if (which == 0) {
        Eintrag* daily = NewReminder("Pills", "Two\r\nwith water", 2, kIntervalDays, MakeDate(2024, 1, 1, 8, 0));
        daily->ExactlyAt = false;
        daily->AdvanceDays = 2;
        daily->StopAfter = Normalized(MakeDate(2024, 12, 31, 23, 59));
        daily->PictureIndex = 7;
        c.Append(daily);
        Eintrag* weekly = NewReminder("Bins", "", 1, kIntervalWeeks, MakeDate(2023, 6, 5, 19, 0));
        weekly->Acknowledged = true;
        weekly->LastReminded = Normalized(MakeDate(2024, 3, 11, 19, 0));
        c.Append(weekly);
        // The longest title and text a record holds.
        Eintrag* monthly = NewReminder(std::string(255, 'T').c_str(), std::string(1023, 'x'), 1, kIntervalMonths,
                                       MakeDate(2024, 1, 31, 23, 59));
        monthly->AdvanceDays = 7;
        monthly->ExactlyAt = false;
        c.Append(monthly);
        // Close to the end of what dates can reach.
        c.Append(NewReminder("Every five years", "\xe4\xf6\xfc \xdf", 5, kIntervalYears, MakeDate(2034, 3, 1, 12, 0)));
        c.Append(NewReminder("", "", 0, kIntervalOnce, MakeDate(1970, 1, 2, 0, 0)));
    }
    if (which == 1) {
        Eintrag* yearly = NewReminder("Birthday", "Cake", 1, kIntervalYears, MakeDate(1975, 2, 28, 7, 15));
        yearly->ExactlyAt = false;
        yearly->AdvanceDays = 14;
        yearly->LastReminded = Normalized(MakeDate(2023, 2, 28, 7, 15));
        c.Append(yearly);
    }
}

std::vector<Bytes> ReminderSeeds() {
    std::vector<Bytes> seeds;
    for (int which = 0; which < 3; ++which) {
        Converter source;
        AddSeedReminders(source, which);
        const std::string file = fuzz::ScratchDir() + "\\seed.dat";
        source.SaveToFile(file);
        seeds.push_back(fuzz::ReadFile(file));
        if (seeds.back().size() != size_t(source.Count()) * Eintrag::kImageSize)
            throw Breach("the reminder seed could not be written");
    }
    return seeds;
}

// The list as it stands, every record's image with its run-time fields, and
// whether its links hold.
std::string ListImage(const Converter& c) {
    std::string image;
    uint8_t record[Eintrag::kImageSize];
    const Eintrag* previous = c.Head;
    for (const Eintrag* e = c.First(); e; e = e->Next) {
        e->WriteImage(record);
        image.append(reinterpret_cast<const char*>(record), sizeof record);
        image += e->GetMaster() == e && e->Prev == previous ? 'L' : '!';
        previous = e;
    }
    return image;
}

// The list a read must leave alone when it refuses the file: a few reminders, one
// of them with its alarm open and one postponed, one selected and one dragged.
void FillKnownList() {
    gConverter->Clear();
    gConverter->Append(NewReminder("Known one", "kept", 1, kIntervalDays, MakeDate(2024, 2, 1, 10, 0)));
    Eintrag* open = NewReminder("Known two", "alarm open", 0, kIntervalOnce, MakeDate(2024, 3, 15, 11, 0));
    open->AlertOpen = true;
    open->Due = false;
    gConverter->Append(open);
    Eintrag* snoozed = NewReminder("Known three", "snoozed", 1, kIntervalWeeks, MakeDate(2024, 3, 1, 8, 0));
    snoozed->SnoozeSeconds = 300;
    gConverter->Append(snoozed);
    SelectedEntry = open;
    DragEntry = snoozed;
    Dragging = true;
}

// The program's list, as a read left it, goes with the read: the next case, and
// other targets, start from an empty one.
struct EmptyListAfterwards {
    ~EmptyListAfterwards() {
        for (auto& row : gConverter->Cells)
            for (TWeekDay& cell : row) cell.Clear();
        gConverter->Clear();
        SelectedEntry = nullptr;
        DragEntry = nullptr;
        Dragging = false;
    }
};

struct ListState {
    std::string Image;
    Eintrag* Selected;
    Eintrag* Drag;
    bool Dragging;
};

ListState CurrentList() {
    return {ListImage(*gConverter), SelectedEntry, DragEntry, Dragging};
}

void ExpectUnchanged(const ListState& before) {
    const ListState now = CurrentList();
    if (now.Image != before.Image) throw Breach("a refused file changed the reminder list");
    if (now.Selected != before.Selected || now.Drag != before.Drag || now.Dragging != before.Dragging)
        throw Breach("a refused file changed the calendar's selection or drag");
}

// A read of n bytes holds their whole records, each with every field the file
// contributes as the file has it, and nothing points to the old records any more.
void ExpectWholeRecords(const Bytes& input) {
    const size_t records = input.size() / Eintrag::kImageSize;
    if (size_t(gConverter->Count()) != records)
        throw Breach("a taken file of " + std::to_string(records) + " records gave " +
                     std::to_string(gConverter->Count()));
    if (SelectedEntry || DragEntry || Dragging) throw Breach("the selection or drag outlived the old list");
    const std::string image = ListImage(*gConverter);
    for (size_t i = 0; i < records; ++i) {
        const uint8_t* in = input.data() + i * Eintrag::kImageSize;
        const uint8_t* out = reinterpret_cast<const uint8_t*>(image.data()) + i * (Eintrag::kImageSize + 1);
        if (out[Eintrag::kImageSize] != 'L') throw Breach("a taken record is not linked as a master");
        auto same = [&](size_t from, size_t to) { return std::memcmp(in + from, out + from, to - from) == 0; };
        // Interval count and kind, picture, advance days, the three dates.
        bool kept = same(0, 12) && same(44, 48) && same(50, 158);
        kept = kept && (in[48] != 0) == (out[48] != 0) && (in[49] != 0) == (out[49] != 0);
        // Title and text up to their NUL, cut to what the arrays hold.
        for (const auto& [offset, size] : {std::pair<size_t, size_t>{200, 256}, {456, 1024}}) {
            const size_t length = strnlen(reinterpret_cast<const char*>(in + offset), size - 1);
            kept = kept && same(offset, offset + length) && out[offset + length] == 0;
        }
        if (!kept) throw Breach("record " + std::to_string(i) + " of a taken file lost a field");
    }
}

// What the program does with a list it has just read: the calendar of this month
// and of months the reminders fall in, and the due check's first ticks. A damaged
// record must not hang, crash or change the list on the way.
void UseTheList(const Bytes& input) {
    SetClock([] { return EncodeDate(2024, 3, 15) + EncodeTime(12, 0, 30, 250); });
    BuildMonthGrid(2024 - 1900, 2, true);
    gConverter->BuildGrid();
    int months = 0;
    for (const Eintrag* e = gConverter->First(); e && months < 3; e = e->Next) {
        const tm start = e->GetStartTime();
        if (start.tm_year < 70 || start.tm_year > 135 || start.tm_mon < 0 || start.tm_mon > 11) continue;
        BuildMonthGrid(start.tm_year, start.tm_mon, months % 2 == 0);
        gConverter->BuildGrid();
        ++months;
    }
    for (int tick = 0; tick < 3; ++tick) gConverter->CheckDueReminders();
    // The run-time fields changed; the stored ones must be as read.
    ExpectWholeRecords(input);
}

Verdict ReadReminderFile(const Bytes& input) {
    ReadScope scope;
    EmptyListAfterwards emptyList;
    const std::string file = AppPath + "index.dat";
    fuzz::WriteFile(file, input);
    FillKnownList();
    const ListState before = CurrentList();
    if (!gConverter->LoadFromFile("")) {
        ExpectReadMessage(scope.Host, L"Error reading the file \"" + AnsiToWide(file) + L"\"");
        ExpectUnchanged(before);
        if (scope.Host.Replacements) throw Breach("a refused file was announced as a new list");
        return Verdict::Refused;
    }
    if (!scope.Host.Messages.empty()) throw Breach("a taken file gave a message");
    if (scope.Host.Replacements != 1) throw Breach("the new list was not announced once");
    ExpectWholeRecords(input);
    UseTheList(input);
    return Verdict::Taken;
}

Verdict ReadBackup(const Bytes& input) {
    ReadScope scope;
    EmptyListAfterwards emptyList;
    const std::string file = AppPath + "backup.qbr";
    fuzz::WriteFile(file, input);
    scope.Host.DialogAnswer = file;
    FillKnownList();
    const ListState before = CurrentList();
    const bool taken = gConverter->ImportWithDialog();
    if (scope.Host.Refreshes != 1) throw Breach("the calendar was not refreshed once after the import");
    if (!taken) {
        ExpectReadMessage(scope.Host, L"Error reading the file \"" + AnsiToWide(file) + L"\"");
        ExpectUnchanged(before);
        // The alarm windows are closed only for a list that is replaced.
        if (scope.Host.Replacements) throw Breach("a refused backup closed the alarm windows");
        return Verdict::Refused;
    }
    if (!scope.Host.Messages.empty()) throw Breach("a taken backup gave a message");
    if (scope.Host.Replacements != 1) throw Breach("the alarm windows were not told once of the new list");
    ExpectWholeRecords(input);
    return Verdict::Taken;
}

fuzz::Registration reminderFile{[] {
    fuzz::Target target;
    target.Name = "ReminderFile";
    target.Seeds = ReminderSeeds;
    target.Read = ReadReminderFile;
    return target;
}};

fuzz::Registration backupImport{[] {
    fuzz::Target target;
    target.Name = "BackupImport";
    target.Seeds = ReminderSeeds;
    target.Read = ReadBackup;
    return target;
}};

//--- Settings

struct SettingsState {
    TCalendarSettingValues Calendar;
    TTextSettingValues Text;
    THintSettingValues Hint;
    TGeneralSettingValues General;
    int32_t IconWidth;
    int32_t IconHeight;
};

SettingsState CurrentSettings() {
    return {Calendar_Settings, Text_Settings, Hint_Settings, General_Settings, IconWidth, IconHeight};
}

void SetSettings(const SettingsState& s) {
    Calendar_Settings = s.Calendar;
    Text_Settings = s.Text;
    Hint_Settings = s.Hint;
    General_Settings = s.General;
    IconWidth = s.IconWidth;
    IconHeight = s.IconHeight;
}

// Every setting as a text, in the file's read order (the picture size is one setting).
std::vector<std::string> SettingRows() {
    const TCalendarSettingValues& c = Calendar_Settings;
    const TTextSettingValues& t = Text_Settings;
    const THintSettingValues& h = Hint_Settings;
    const TGeneralSettingValues& g = General_Settings;
    auto n = [](int64_t v) { return std::to_string(v); };
    return {WideToUtf8(c.Font_Name), n(c.Font_Color), n(c.Font_Shadow_Color), n(c.Font_Size),
            n(c.Font_Bold_Style), n(c.Calendar_First_Column), n(IconWidth) + "x" + n(IconHeight),
            n(c.Calendar_Play_Sound), WideToUtf8(c.Calendar_Sound_File_Name),
            t.Font_Name, n(t.Font_Color), n(t.Font_Shadow_Color),
            h.Font_Name, n(h.Hint_Font_Color), n(h.Hint_Background_Color), n(h.Hint_Delay), n(h.Hint_Hide_Pause),
            n(h.Hint_Group_Index),
            n(g.MainForm_Left), n(g.MainForm_Top), n(g.MainForm_Width), n(g.MainForm_Height),
            n(g.MainForm_Position_Flag), n(g.AlertForm_Left), n(g.AlertForm_Top), n(g.AlertForm_Width),
            n(g.AlertForm_Height), n(g.AlertForm_Position_Flag), n(g.Hide_Window_at_Start)};
}

// Two sets of settings that differ in every value, so that a read shows which
// values came from the file.
SettingsState KnownSettings(bool second) {
    SettingsState s{};
    const int k = second ? 1 : 0;
    s.Calendar.Font_Name = second ? L"Before B" : L"Before A";
    s.Calendar.Font_Color = 11 + k;
    s.Calendar.Font_Shadow_Color = 21 + k;
    s.Calendar.Font_Size = 9 + k;
    s.Calendar.Font_Bold_Style = uint8_t(k);
    s.Calendar.Calendar_First_Column = uint8_t(1 - k);
    s.Calendar.Calendar_Play_Sound = uint8_t(k);
    s.Calendar.Calendar_Sound_File_Name = second ? L"b.wav" : L"a.wav";
    s.IconWidth = s.IconHeight = 20 + 2 * k;
    s.Text.Font_Name = second ? "Text B" : "Text A";
    s.Text.Font_Color = 31 + k;
    s.Text.Font_Shadow_Color = 41 + k;
    s.Hint.Font_Name = second ? "Hint B" : "Hint A";
    s.Hint.Hint_Font_Color = 51 + k;
    s.Hint.Hint_Background_Color = 61 + k;
    s.Hint.Hint_Delay = 71 + k;
    s.Hint.Hint_Hide_Pause = 81 + k;
    s.Hint.Hint_Group_Index = int16_t(1 + k);
    s.General = {111 + k, 121 + k, 531 + k, 541 + k, 2 + k, 211 + k, 221 + k, 551 + k, 561 + k, 4 + k, uint8_t(k)};
    return s;
}

// Settings a taken file gives must be usable: the ranges the program keeps them in.
void ExpectUsableSettings() {
    if (IconWidth != IconHeight || IconWidth < 18 || IconWidth > 32)
        throw Breach("picture size " + std::to_string(IconWidth) + "x" + std::to_string(IconHeight) + " was taken");
    if (Hint_Settings.Hint_Delay < 1) throw Breach("a hint delay below 1 ms was taken");
    const TGeneralSettingValues& g = General_Settings;
    if (g.MainForm_Width <= 0 || g.MainForm_Height <= 0 || g.AlertForm_Width <= 0 || g.AlertForm_Height <= 0)
        throw Breach("a window size without area was taken");
}

struct SettingsRead {
    std::vector<std::string> Before;
    std::vector<std::string> After;
    RecordingHost::Message Message;
    size_t Messages = 0;
    std::vector<std::pair<int32_t, int32_t>> HintTimings;
};

SettingsRead LoadSettingsOver(const SettingsState& before) {
    ReadScope scope;
    SetSettings(before);
    SettingsRead read;
    read.Before = SettingRows();
    gSettings->LoadSettings();
    read.After = SettingRows();
    read.Messages = scope.Host.Messages.size();
    if (read.Messages) read.Message = scope.Host.Messages[0];
    read.HintTimings = scope.Host.HintTimings;
    ExpectUsableSettings();
    return read;
}

// The file is read over two different sets of settings. The program's rules:
// a file that is no XML at all is passed over without a word and changes
// nothing; a file with a value that cannot be read gives one message, keeps the
// values read before that one and leaves it and all after it as they were; a
// taken file sets every value, whatever was there before.
Verdict ReadSettingsFile(const Bytes& input) {
    struct Restore {
        SettingsState saved = CurrentSettings();
        ~Restore() { SetSettings(saved); }
    } restore;
    fuzz::WriteFile(fuzz::ScratchDir() + "\\Settings.xml", input);
    auto expectOneMessageAtMost = [](const SettingsRead& r) {
        if (r.Messages > 1) throw Breach("a settings file gave " + std::to_string(r.Messages) + " messages");
        if (r.Messages == 1 && (r.Message.Text != L"Error reading the file \"Settings.xml\"!" ||
                                r.Message.Title != L"Error" || r.Message.Mode != 0))
            throw Breach("a settings file gave another message: " + WideToUtf8(r.Message.Text));
    };
    const SettingsRead a = LoadSettingsOver(KnownSettings(false));
    expectOneMessageAtMost(a);
    if (a.HintTimings.empty()) {
        // Not XML: passed over in silence.
        if (a.Messages) throw Breach("a file that was passed over gave a message");
        if (a.After != a.Before) throw Breach("a file that was passed over changed settings");
        return Verdict::Refused;
    }
    const SettingsRead b = LoadSettingsOver(KnownSettings(true));
    expectOneMessageAtMost(b);
    if (a.Messages != b.Messages || a.HintTimings.size() != b.HintTimings.size())
        throw Breach("the same file was read differently over other settings");
    if (a.HintTimings.size() != 1) throw Breach("the hint timings were applied more than once");
    // The values from the file are those both reads agree on: a leading run of them.
    size_t k = 0;
    while (k < a.After.size() && a.After[k] == b.After[k]) ++k;
    for (size_t i = k; i < a.After.size(); ++i)
        if (a.After[i] != a.Before[i] || b.After[i] != b.Before[i])
            throw Breach("setting " + std::to_string(i + 1) + " changed after the value that could not be read");
    const bool taken = k == a.After.size();
    if (taken == (a.Messages == 1))
        throw Breach(taken ? "a file read in full gave a message" : "a file read in part gave no message");
    return taken ? Verdict::Taken : Verdict::Refused;
}

std::string SettingsFileText() {
    return fuzz::ToString(fuzz::ReadFile(fuzz::ScratchDir() + "\\Settings.xml"));
}

std::vector<Bytes> SettingsSeeds() {
    struct Restore {
        SettingsState saved = CurrentSettings();
        std::string appPath = AppPath;
        ~Restore() {
            SetSettings(saved);
            AppPath = appPath;
        }
    } restore;
    AppPath = fuzz::ScratchDir() + "\\";
    std::vector<Bytes> seeds;

    // The program's own file, with the defaults.
    SettingsState defaults{};
    defaults.Calendar.Font_Name = L"Arial";
    defaults.Calendar.Calendar_Sound_File_Name = L"mv.wav";
    defaults.Text.Font_Name = "Arial";
    defaults.Hint.Font_Name = "Arial";
    defaults.IconWidth = defaults.IconHeight = 32;
    SetSettings(defaults);
    gSettings->SaveSettings();
    const std::string defaultText = SettingsFileText();
    seeds.push_back(fuzz::ToBytes(defaultText));

    // With every value changed, texts that need escaping and an empty one.
    SettingsState changed = KnownSettings(true);
    changed.Calendar.Font_Name = L"Fett & <Schmal> \u00e4\u20ac";
    changed.Calendar.Calendar_Sound_File_Name = L"";
    changed.Calendar.Font_Shadow_Color = -2147483643;
    changed.Text.Font_Name = "Times \"New\" 'Roman'";
    changed.Hint.Hint_Group_Index = 3;
    changed.General.MainForm_Left = -1920;
    SetSettings(changed);
    gSettings->SaveSettings();
    const std::string changedText = SettingsFileText();
    seeds.push_back(fuzz::ToBytes(changedText));

    // The numbers written long, with blanks, signs and leading zeros: most damage
    // then falls on the values instead of the markup around them.
    std::string padded;
    for (size_t i = 0; i < changedText.size(); ++i) {
        if (changedText[i] == '>') {
            size_t end = i + 1;
            while (end < changedText.size() && (std::isdigit(uint8_t(changedText[end])) || changedText[end] == '-'))
                ++end;
            if (end > i + 1 && changedText.compare(end, 2, "</") == 0) {
                const std::string number = changedText.substr(i + 1, end - i - 1);
                const bool negative = number[0] == '-';
                padded += ">  " + std::string(negative ? "-" : "+") + std::string(40, '0') + number.substr(negative);
                i = end - 1;
                continue;
            }
        }
        padded += changedText[i];
    }
    seeds.push_back(fuzz::ToBytes(padded));

    // Edited by hand: indented, a comment, values out of range that are taken
    // into range, a character reference, a text as CDATA and a missing text.
    std::string edited = defaultText;
    auto replace = [&edited](const std::string& from, const std::string& to) {
        const size_t at = edited.find(from);
        if (at == std::string::npos) throw Breach("the edited settings seed lost " + from);
        edited.replace(at, from.size(), to);
    };
    replace("<General_Settings>", "\r\n  <!-- edited -->\r\n  <General_Settings>\r\n    ");
    replace("<Icon_Size>32</Icon_Size>", "<Icon_Size>0</Icon_Size>");
    replace("<Hint_Delay>100</Hint_Delay>", "<Hint_Delay>-5</Hint_Delay>");
    replace("<MainForm_Width>500</MainForm_Width>", "<MainForm_Width>0</MainForm_Width>");
    replace("<AlertForm_Height>370</AlertForm_Height>", "<AlertForm_Height>-2147483648</AlertForm_Height>");
    replace("<Hint_Group_Index>0</Hint_Group_Index>", "<Hint_Group_Index>65539</Hint_Group_Index>");
    replace("<Font_Name>Arial</Font_Name></Hint_Settings>", "<Font_Name><![CDATA[A<r>ial]]></Font_Name></Hint_Settings>");
    replace("<Calendar_Sound_File_Name>mv.wav</Calendar_Sound_File_Name>",
            "<Calendar_Sound_File_Name>&#x6D;v.wav</Calendar_Sound_File_Name>");
    replace("<Font_Name>Arial</Font_Name></Calendar_Settings>", "</Calendar_Settings>");
    seeds.push_back(fuzz::ToBytes(edited));
    return seeds;
}

fuzz::Registration settingsXml{[] {
    fuzz::Target target;
    target.Name = "SettingsXml";
    target.Seeds = SettingsSeeds;
    target.Read = ReadSettingsFile;
    // The program passes over the layer's errors only.
    target.OwnRefusal = &typeid(Exception);
    return target;
}};

}  // namespace
