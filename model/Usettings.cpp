// The settings file "Settings.xml": every setting as a leaf element of its group.
#include "model/Usettings.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "classlib/SysUtils.h"
#include "classlib/XMLDoc.h"
#include "model/Uglobals.h"
#include "model/UmodelHost.h"

void ByteToStr(uint8_t value, std::string& text) {
    text = std::to_string(static_cast<unsigned>(value));
}

namespace {

// One setting as the file holds it: where its element sits, how its value becomes
// the element's text and back. Read raises EConvertError for a text that is no
// valid value.
struct TSettingKey {
    const wchar_t* Group;
    const wchar_t* SubGroup;  // null: directly in the group
    const wchar_t* Name;
    bool MustExist;  // looked up without being created, so that its absence fails
    std::function<std::wstring()> Write;
    std::function<void(const std::wstring&)> Read;
};

int32_t ToInt(const std::wstring& text) {
    return StrToInt(WideToUtf8(text));
}

std::wstring FromInt(int32_t value) {
    return std::to_wstring(value);
}

using Fix = int32_t (*)(int32_t);

TSettingKey Number(const wchar_t* group,
                   const wchar_t* subGroup,
                   const wchar_t* name,
                   int32_t& value,
                   Fix fix = nullptr) {
    return {group,
            subGroup,
            name,
            false,
            [&value] { return FromInt(value); },
            [&value, fix](const std::wstring& text) {
                const int32_t read = ToInt(text);
                value = fix ? fix(read) : read;
            }};
}

TSettingKey Flag(const wchar_t* group, const wchar_t* subGroup, const wchar_t* name, uint8_t& value) {
    return {group,
            subGroup,
            name,
            false,
            [&value] {
                std::string text;
                ByteToStr(value, text);
                return Utf8ToWide(text);
            },
            [&value](const std::wstring& text) { value = ToInt(text) != 0 ? 1 : 0; }};
}

TSettingKey WideText(const wchar_t* group, const wchar_t* name, std::wstring& value) {
    return {
        group, nullptr, name, false, [&value] { return value; }, [&value](const std::wstring& text) { value = text; }};
}

TSettingKey AnsiText(const wchar_t* group, const wchar_t* name, std::string& value, bool mustExist = false) {
    return {group,
            nullptr,
            name,
            mustExist,
            [&value] { return AnsiToWide(value); },
            [&value](const std::wstring& text) { value = WideToAnsi(text); }};
}

//--- Safe ranges for hand-edited values

// The cells divide by the picture size, and the calendar settings dialog offers 18 to 32.
int32_t FixIconSize(int32_t size) {
    if (size <= 0) return 32;
    return size < 18 ? 18 : (size > 32 ? 32 : size);
}

// A hint timer of 0 ms would never fire.
int32_t FixHintDelay(int32_t delay) {
    return delay < 1 ? 1 : delay;
}

// A window without area cannot be used or even found on the screen.
template <int32_t TGeneralSettingValues::*Member>
int32_t FixSize(int32_t size) {
    return size <= 0 ? TGeneralSettingValues{}.*Member : size;
}

// Every setting in the order SaveSettings creates them and LoadSettings reads them.
std::vector<TSettingKey> SettingKeys() {
    const wchar_t* const calendar = L"Calendar_Settings";
    const wchar_t* const text = L"Text_Settings";
    const wchar_t* const hint = L"Hint_Settings";
    const wchar_t* const general = L"General_Settings";
    const wchar_t* const mainForm = L"MainFormSettings";
    const wchar_t* const alertForm = L"AlertFormSettings";
    TCalendarSettingValues& c = Calendar_Settings;
    TTextSettingValues& t = Text_Settings;
    THintSettingValues& h = Hint_Settings;
    TGeneralSettingValues& g = General_Settings;
    return {
        WideText(calendar, L"Font_Name", c.Font_Name),
        Number(calendar, nullptr, L"Font_Color", c.Font_Color),
        Number(calendar, nullptr, L"Font_Shadow_Color", c.Font_Shadow_Color),
        Number(calendar, nullptr, L"Font_Size", c.Font_Size),
        Flag(calendar, nullptr, L"Font_Bold_Style", c.Font_Bold_Style),
        Flag(calendar, nullptr, L"Calendar_First_Column", c.Calendar_First_Column),
        // One size for both edges of the pictures.
        {calendar, nullptr, L"Icon_Size", false, [] { return FromInt(IconWidth); },
         [](const std::wstring& value) { IconWidth = IconHeight = FixIconSize(ToInt(value)); }},
        Flag(calendar, nullptr, L"Calendar_Play_Sound", c.Calendar_Play_Sound),
        WideText(calendar, L"Calendar_Sound_File_Name", c.Calendar_Sound_File_Name),

        AnsiText(text, L"Font_Name", t.Font_Name, true),
        Number(text, nullptr, L"Font_Color", t.Font_Color),
        Number(text, nullptr, L"Font_Shadow_Color", t.Font_Shadow_Color),

        AnsiText(hint, L"Font_Name", h.Font_Name),
        Number(hint, nullptr, L"Hint_Font_Color", h.Hint_Font_Color),
        Number(hint, nullptr, L"Hint_Background_Color", h.Hint_Background_Color),
        Number(hint, nullptr, L"Hint_Delay", h.Hint_Delay, FixHintDelay),
        Number(hint, nullptr, L"Hint_Hide_Pause", h.Hint_Hide_Pause),
        // The low 16 bits of the number.
        {hint, nullptr, L"Hint_Group_Index", false, [&h] { return FromInt(h.Hint_Group_Index); },
         [&h](const std::wstring& value) {
             h.Hint_Group_Index = static_cast<int16_t>(static_cast<uint16_t>(ToInt(value)));
         }},

        Number(general, mainForm, L"MainForm_Left", g.MainForm_Left),
        Number(general, mainForm, L"MainForm_Top", g.MainForm_Top),
        Number(general, mainForm, L"MainForm_Width", g.MainForm_Width, FixSize<&TGeneralSettingValues::MainForm_Width>),
        Number(general, mainForm, L"MainForm_Height", g.MainForm_Height,
               FixSize<&TGeneralSettingValues::MainForm_Height>),
        Number(general, mainForm, L"MainForm_Position_Flag", g.MainForm_Position_Flag),
        Number(general, alertForm, L"AlertForm_Left", g.AlertForm_Left),
        Number(general, alertForm, L"AlertForm_Top", g.AlertForm_Top),
        Number(general, alertForm, L"AlertForm_Width", g.AlertForm_Width,
               FixSize<&TGeneralSettingValues::AlertForm_Width>),
        Number(general, alertForm, L"AlertForm_Height", g.AlertForm_Height,
               FixSize<&TGeneralSettingValues::AlertForm_Height>),
        Number(general, alertForm, L"AlertForm_Position_Flag", g.AlertForm_Position_Flag),
        Flag(general, nullptr, L"Hide_Window_at_Start", g.Hide_Window_at_Start),
    };
}

std::string SettingsFile() {
    return AppPath + SettingsFileName;
}

// The file the program writes holds a few short names and numbers; even every
// name at its longest stays far below this. The system's XML reader takes time
// that grows faster than the file, so a file of many megabytes would hold up the
// start for minutes: such a file cannot be ours and is passed over unread.
constexpr int64_t kMaxSettingsFileBytes = 1 << 20;

bool SettingsFileTooLarge(const std::string& fileName) {
    TSearchRec found;
    if (FindFirst(fileName, faAnyFile, found) != 0) return false;
    const int64_t size = found.Size;
    FindClose(found);
    return size > kMaxSettingsFileBytes;
}

// Reads the settings in order; the first value that cannot be read ends the
// reading (EConvertError or EXMLDocError) and leaves it and every later one as they were.
void ReadSettings(TXMLDocument& document) {
    for (const TSettingKey& key : SettingKeys()) {
        // Each step looks the element up by name afresh; a missing one along the
        // way is created empty, so its value reads as "".
        TXMLNode node = document.ChildNodes()[L"Settings"].ChildNodes()[key.Group];
        if (key.SubGroup) node = node.ChildNodes()[key.SubGroup];
        node = key.MustExist ? node.ChildNodes().FindNode(key.Name) : node.ChildNodes()[key.Name];
        if (!node) throw EXMLDocError("Missing element " + WideToUtf8(key.Name));
        key.Read(node.Text());
    }
}

}  // namespace

void TSettings::LoadSettings() {
    std::unique_ptr<TXMLDocument> document;
    try {
        document = std::make_unique<TXMLDocument>();
        document->NewDocument(L"1.0");
        // A missing or damaged file leaves every setting as it is, without a word.
        if (SettingsFileTooLarge(SettingsFile()) || !document->LoadFromFile(SettingsFile())) return;
    } catch (const Exception&) {
        // Without a working XML component the program still starts, with the defaults.
        return;
    }
    try {
        ReadSettings(*document);
    } catch (const Exception&) {
        ModelHost().ShowMessage(L"Error reading the file \"" + AnsiToWide(SettingsFileName) + L"\"!", TextError, 0);
    }
    document.reset();
    ModelHost().ApplyHintTimings(Hint_Settings.Hint_Delay, Hint_Settings.Hint_Hide_Pause);
}

void TSettings::SaveSettings() {
    // Every save writes a new document with every setting. Nothing here is
    // reported: the callers (hiding, exit, session end) go on regardless, and a
    // failed write leaves the old file whole.
    try {
        TXMLDocument document;
        document.NewDocument(L"1.0");
        TXMLNode root = document.AddChild(L"Settings");
        std::map<std::wstring, TXMLNode> groups;
        // A group's element is made when its first setting is added.
        auto groupNode = [&](const wchar_t* group, const wchar_t* subGroup) {
            TXMLNode& node = groups[group];
            if (!node) node = root.AddChild(group);
            if (!subGroup) return node;
            TXMLNode& sub = groups[std::wstring(group) + L"/" + subGroup];
            if (!sub) sub = node.AddChild(subGroup);
            return sub;
        };
        for (const TSettingKey& key : SettingKeys())
            groupNode(key.Group, key.SubGroup).AddChild(key.Name).SetText(key.Write());
        document.SaveToFile(SettingsFile());
    } catch (const std::exception&) {
    }
}
