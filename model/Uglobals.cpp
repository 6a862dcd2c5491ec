// The program-wide values and their start-up defaults.
#include "model/Uglobals.h"

#include "model/Uconverter.h"
#include "model/Usettings.h"

Converter* gConverter = nullptr;
TCalendarView* gCalendarView = nullptr;
TSettings* gSettings = nullptr;

std::string AppPath;
std::string IconFileName;
std::string HelpFileName;
std::string ProgramIconFileName;
std::string SettingsFileName;
uint32_t WindowsVersion = 0;

TCalendarSettingValues Calendar_Settings;
TTextSettingValues Text_Settings;
THintSettingValues Hint_Settings;
TGeneralSettingValues General_Settings;
bool AutostartEnabled = false;

int32_t LayoutMargin = 10;
int32_t LayoutTop = 100;
int32_t ListLeft = 10;
int32_t ListWidth = 150;
int32_t GridLeft = 170;
int32_t StatusHeight = 20;
int32_t BottomMargin = 10;
int32_t CellPictureWidth = 47;
int32_t CellPictureHeight = 44;
int32_t CellWidth = 47;
int32_t CellHeight = 44;
int32_t DayBand = 0;
int32_t IconWidth = 32;
int32_t IconHeight = 32;

int32_t ShownMonth = 0;
int32_t ShownYear = 0;
int32_t HoverColumn = 0;
int32_t HoverRow = 0;
int32_t SelectedColumn = 0;
int32_t SelectedRow = 0;
int32_t HoverEntryIndex = 0;
bool MouseOverGrid = false;
Eintrag* SelectedEntry = nullptr;
Eintrag* DragEntry = nullptr;
bool Dragging = false;
int32_t DragStartX = -1;
int32_t DragStartY = -1;
int32_t HintPointX = 0;
int32_t HintPointY = 0;
bool FirstShow = true;
bool ReminderTimerWaiting = true;
int32_t ReminderTimerWarmUp = 0;
TDateTime LastTrayClickTime = 0;

std::wstring WeekdayHeadings[7];
std::wstring TextCalendarFont, TextCalendarPreview, TextWeekOptions, TextIconSize, TextSoundOptions;
std::wstring TextLoadFile, TextTestSound;
std::wstring TextFontSize, TextBold, TextPlaySound;
std::wstring FirstDayNames[2];
std::string PositionModeNames[6];
std::wstring TextStartAtWindowsStartup, TextHideAtProgramStart;
std::string TextSampleSentence;
std::string HintGroupNames[4];
std::wstring TextError, TextWarning;
std::wstring MsgYearOutOfRange, MsgStopBeforeStart, MsgCantRemoveAllIcons, MsgTargetAfterStop;
std::wstring MsgItemExists, MsgImageSize, MsgErrorReadingFileHead;
std::wstring TextProductName, TextVersion, TextCopyright, TextHomePage;
std::wstring TitleCalendarSettings, TitleDeleteItem, TitleItemManager, TitleGeneralSettings, TitleReminder, TitleAbout,
    TitleMainSkin;
std::wstring LabelStopRemindAfter, LabelRemindExactlyAt;
std::string PromptDeleteItem;

void InitGlobals() {
    // 1-2. The three long-lived objects. The calendar view is a window type and is
    // created by the user interface when it starts.
    gConverter = new Converter;
    gSettings = new TSettings;

    // 3. File names, the calendar settings' texts with the font and sound defaults,
    // the dialog choices and the text and hint font defaults.
    AppPath.clear();
    IconFileName = "icons.bin";
    HelpFileName = "Help.chm";
    ProgramIconFileName = "\\main.ico";
    SettingsFileName = "Settings.xml";
    const wchar_t* headings[7] = {L"SUN", L"MON", L"TUE", L"WED", L"THU", L"FRI", L"SAT"};
    for (int i = 0; i < 7; ++i) WeekdayHeadings[i] = headings[i];
    Calendar_Settings.Font_Name = L"Arial";
    TextCalendarFont = L"Calendar Font";
    TextCalendarPreview = L"Calendar Preview";
    TextWeekOptions = L"Week Options";
    TextIconSize = L"Icon size";
    TextSoundOptions = L"Sound Options";
    TextLoadFile = L"Load File...";
    TextTestSound = L"Test Sound";
    TextFontSize = L"Font Size:";
    TextBold = L"Bold:";
    TextPlaySound = L"Play Sound";
    Calendar_Settings.Calendar_Sound_File_Name = L"mv.wav";
    FirstDayNames[0] = L"Sunday";
    FirstDayNames[1] = L"Monday";
    const char* positions[6] = {"Remember Window Position", "Desktop Center", "Top Left",
                                "Top Right",                "Bottom Left",    "Bottom Right"};
    for (int i = 0; i < 6; ++i) PositionModeNames[i] = positions[i];
    TextStartAtWindowsStartup = L"Start Quib Reminder at Windows Startup";
    TextHideAtProgramStart = L"Hide Main Window at Program Start";
    Text_Settings.Font_Name = "Arial";
    TextSampleSentence = "To be, or not to be: that is the question.";
    Hint_Settings.Font_Name = "Arial";
    const char* hintGroups[4] = {"Show All Hints", "Disable Hints for Calendar", "Disable Hints for Controls",
                                 "Disable All Hints"};
    for (int i = 0; i < 4; ++i) HintGroupNames[i] = hintGroups[i];

    // 4. The pending hint's point.
    HintPointX = 0;
    HintPointY = 0;

    // 5. Messages, the about box's texts and the window titles.
    TextError = L"Error";
    TextWarning = L"Warning";
    MsgYearOutOfRange = L"The Year is out of Range 1970 - 2035";
    MsgStopBeforeStart = L"The Stopdate must be later than the Itemdate!";
    MsgCantRemoveAllIcons = L"You can't remove all Icons!";
    MsgTargetAfterStop =
        L"The Targetdate is later than the Stopdate of the item.\n"
        L"Do you want to delete the Stopdate and move the item anyway?";
    MsgItemExists = L"The entered item allready exists!!!";
    MsgImageSize = L"The Image must have the size 32x32";
    MsgErrorReadingFileHead = L"Error reading the file ";
    TextProductName = L"Quib Reminder";
    TextVersion = L"Version 1.3.1";
    TextCopyright = L"(C) 2026 Quib Reminder developers";
    TextHomePage = L"https://example.org/quibreminder";
    TitleCalendarSettings = L"Calendar Settings";
    TitleDeleteItem = L"Delete Item";
    TitleItemManager = L"Item Manager";
    TitleGeneralSettings = L"General Settings";
    TitleReminder = L"Reminder";
    TitleAbout = L"About Quib Reminder";
    TitleMainSkin = L"Quib Reminder";

    // 6. The layout derived from the margins and the cell pictures.
    ListLeft = LayoutMargin;
    GridLeft = ListWidth + 2 * LayoutMargin;
    CellHeight = CellPictureHeight;
    CellWidth = CellPictureWidth;

    // 7. The add/modify dialog's labels and the delete prompt.
    LabelStopRemindAfter = L"Stop remind after:";
    LabelRemindExactlyAt = L"Remind exactly at this time:";
    PromptDeleteItem = "Do you really want to delete the following item:\n\n";
}

void DoneGlobals() {
    // The texts go in the reverse order of their building; the objects, the
    // records and the layout values stay until the process ends.
    PromptDeleteItem.clear();
    LabelRemindExactlyAt.clear();
    LabelStopRemindAfter.clear();
    for (std::wstring* text : {&TitleMainSkin, &TitleAbout, &TitleReminder, &TitleGeneralSettings, &TitleItemManager,
                               &TitleDeleteItem, &TitleCalendarSettings, &TextHomePage, &TextCopyright, &TextVersion,
                               &TextProductName, &MsgErrorReadingFileHead, &MsgImageSize, &MsgItemExists,
                               &MsgTargetAfterStop, &MsgCantRemoveAllIcons, &MsgStopBeforeStart, &MsgYearOutOfRange,
                               &TextWarning, &TextError})
        text->clear();
    for (int i = 3; i >= 0; --i) HintGroupNames[i].clear();
    Hint_Settings.Font_Name.clear();
    TextSampleSentence.clear();
    Text_Settings.Font_Name.clear();
    TextHideAtProgramStart.clear();
    TextStartAtWindowsStartup.clear();
    for (int i = 5; i >= 0; --i) PositionModeNames[i].clear();
    FirstDayNames[1].clear();
    FirstDayNames[0].clear();
    for (std::wstring* text : {&Calendar_Settings.Calendar_Sound_File_Name, &TextPlaySound, &TextBold, &TextFontSize,
                               &TextTestSound, &TextLoadFile, &TextSoundOptions, &TextIconSize, &TextWeekOptions,
                               &TextCalendarPreview, &TextCalendarFont, &Calendar_Settings.Font_Name})
        text->clear();
    for (int i = 6; i >= 0; --i) WeekdayHeadings[i].clear();
    SettingsFileName.clear();
    ProgramIconFileName.clear();
    HelpFileName.clear();
    IconFileName.clear();
    AppPath.clear();
}
