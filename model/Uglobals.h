// The program-wide values: the three long-lived objects, the program folder, the
// settings, the calendar's layout and view state, and the user-visible texts.
#pragma once

#include <cstdint>
#include <string>

#include "classlib/SysUtils.h"

class Converter;
class Eintrag;
class TCalendarView;
class TSettings;

//--- Objects

extern Converter* gConverter;
// The calendar view. A window type: the user interface creates it at start-up.
extern TCalendarView* gCalendarView;
extern TSettings* gSettings;

//--- Program folder and file names (8-bit)

extern std::string AppPath;  // the program folder with its trailing separator
extern std::string IconFileName;         // "icons.bin"
extern std::string HelpFileName;         // "Help.chm"
extern std::string ProgramIconFileName;  // "\main.ico", appended to AppPath
extern std::string SettingsFileName;     // "Settings.xml"

// GetVersion's result; the top bit marks the Windows 9x family.
extern uint32_t WindowsVersion;

//--- Settings (see TSettings for the file)

struct TCalendarSettingValues {
    std::wstring Font_Name;
    TColor Font_Color = 16711680;
    TColor Font_Shadow_Color = 16777215;
    int32_t Font_Size = 8;
    uint8_t Font_Bold_Style = 1;
    uint8_t Calendar_First_Column = 1;  // 1 Sunday first, 0 Monday first
    uint8_t Calendar_Play_Sound = 0;
    std::wstring Calendar_Sound_File_Name;
};

struct TTextSettingValues {
    std::string Font_Name;
    TColor Font_Color = 16711680;
    TColor Font_Shadow_Color = -2147483633;  // system colour 15, the button face
};

struct THintSettingValues {
    std::string Font_Name;
    TColor Hint_Font_Color = 0;
    TColor Hint_Background_Color = 15780518;
    int32_t Hint_Delay = 100;
    int32_t Hint_Hide_Pause = 9000;
    int16_t Hint_Group_Index = 0;
};

struct TGeneralSettingValues {
    int32_t MainForm_Left = 100;
    int32_t MainForm_Top = 100;
    int32_t MainForm_Width = 500;
    int32_t MainForm_Height = 500;
    int32_t MainForm_Position_Flag = 0;
    int32_t AlertForm_Left = 200;
    int32_t AlertForm_Top = 200;
    int32_t AlertForm_Width = 530;
    int32_t AlertForm_Height = 370;
    int32_t AlertForm_Position_Flag = 0;
    uint8_t Hide_Window_at_Start = 0;
};

extern TCalendarSettingValues Calendar_Settings;
extern TTextSettingValues Text_Settings;
extern THintSettingValues Hint_Settings;
extern TGeneralSettingValues General_Settings;

// The autostart choice, read from the registry at start (not part of Settings.xml).
extern bool AutostartEnabled;

// Window position modes of the main window and the alarm windows.
enum PositionMode : int32_t {
    kPositionRemembered = 0,
    kPositionDesktopCenter = 1,
    kPositionTopLeft = 2,
    kPositionTopRight = 3,
    kPositionBottomLeft = 4,
    kPositionBottomRight = 5,
};

//--- Calendar layout (pixels)

extern int32_t LayoutMargin;
extern int32_t LayoutTop;
extern int32_t ListLeft;
extern int32_t ListWidth;
extern int32_t GridLeft;
extern int32_t StatusHeight;
extern int32_t BottomMargin;
extern int32_t CellPictureWidth;
extern int32_t CellPictureHeight;
extern int32_t CellWidth;
extern int32_t CellHeight;
extern int32_t DayBand;
extern int32_t IconWidth;   // both follow the setting Icon_Size
extern int32_t IconHeight;

//--- Window and view state

extern int32_t ShownMonth;  // 0..11
extern int32_t ShownYear;   // full year
extern int32_t HoverColumn;
extern int32_t HoverRow;
extern int32_t SelectedColumn;
extern int32_t SelectedRow;
extern int32_t HoverEntryIndex;
extern bool MouseOverGrid;
extern Eintrag* SelectedEntry;
extern Eintrag* DragEntry;
extern bool Dragging;
extern int32_t DragStartX;
extern int32_t DragStartY;
extern int32_t HintPointX;
extern int32_t HintPointY;
extern bool FirstShow;
extern bool ReminderTimerWaiting;
extern int32_t ReminderTimerWarmUp;
extern TDateTime LastTrayClickTime;  // time of day of the last tray-icon click

//--- User-visible texts built at start (wide unless marked 8-bit)

extern std::wstring WeekdayHeadings[7];  // "SUN" .. "SAT", from Sunday
extern std::wstring TextCalendarFont, TextCalendarPreview, TextWeekOptions, TextIconSize, TextSoundOptions;
extern std::wstring TextLoadFile, TextTestSound;
extern std::wstring TextFontSize, TextBold, TextPlaySound;
extern std::wstring FirstDayNames[2];        // "Sunday", "Monday"
extern std::string PositionModeNames[6];     // 8-bit
extern std::wstring TextStartAtWindowsStartup, TextHideAtProgramStart;
extern std::string TextSampleSentence;       // 8-bit
extern std::string HintGroupNames[4];        // 8-bit
extern std::wstring TextError, TextWarning;
extern std::wstring MsgYearOutOfRange, MsgStopBeforeStart, MsgCantRemoveAllIcons, MsgTargetAfterStop;
extern std::wstring MsgItemExists, MsgImageSize, MsgErrorReadingFileHead;
extern std::wstring TextProductName, TextVersion, TextCopyright, TextHomePage;
extern std::wstring TitleCalendarSettings, TitleDeleteItem, TitleItemManager, TitleGeneralSettings, TitleReminder,
    TitleAbout, TitleMainSkin;
extern std::wstring LabelStopRemindAfter, LabelRemindExactlyAt;
extern std::string PromptDeleteItem;  // 8-bit

//--- Fixed 8-bit texts

inline constexpr const char* kTextHide = "Hide";
inline constexpr const char* kTextRestore = "Restore";
inline constexpr const char* kTextWindowPosition = "Window Position";
inline constexpr const char* kTextStartOptions = "Start Options";
inline constexpr const char* kTextMainWindowPosition = "Main Window Position:";
inline constexpr const char* kTextAlertWindowPosition = "Alert Window Position:";
inline constexpr const char* kTextTextFontOptions = "Text Font Options";
inline constexpr const char* kTextExampleText = "Example Text";
inline constexpr const char* kTextHintFontOptions = "Hint Font Options";
inline constexpr const char* kTextHintCategories = "Hint Categories";
inline constexpr const char* kTextHintExample = "Hint Example";
inline constexpr const char* kTextHintTimeOptions = "Hint Time Options";
inline constexpr const char* kTextFontName = "Font Name:";
inline constexpr const char* kTextHintGroupsToShow = "Hint Groups to Show:";
inline constexpr const char* kTextHintDelay = "Hint Delay (ms):";
inline constexpr const char* kTextHintTime = "Hint Time (ms):";
inline constexpr const char* kTextAvailableIcons = "Available Icons";
inline constexpr const char* kTextIconManager = "Icon Manager";
inline constexpr const char* kTextChangeTextColor = "Change Text Color ...";
inline constexpr const char* kTextChangeShadowColor = "Change Shadow Color ...";
inline constexpr const char* kTextChangeHintColor = "Change Hint Color ...";
inline constexpr const char* kTextChangeHintBackground = "Change Hint Backgroud ...";
inline constexpr const char* kTextDeleteSelectedIcon = "Delete Selected Icon";
inline constexpr const char* kTextAddAnIcon = "Add an Icon ...";
inline constexpr const char* kTextAddNewReminder = "Add New Reminder";
inline constexpr const char* kTextDateAndTime = "Date and Time";
inline constexpr const char* kTextIntervalAndRecurrence = "Interval and Recurrence";
inline constexpr const char* kTextIcon = "Icon";
inline constexpr const char* kTextMessage = "Message";
inline constexpr const char* kTextInterval = "Interval:";
inline constexpr const char* kIntervalNames[5] = {"Once", "Daily", "Weekly", "Monthly", "Yearly"};
inline constexpr const char* kTextOK = "OK";
inline constexpr const char* kTextCancel = "Cancel";
inline constexpr const char* kTextSnooze = "Snooze";
inline constexpr const char* kTextYes = "Yes";
inline constexpr const char* kTextNo = "No";

// Builds the objects and the texts; run once at start-up before the first window.
void InitGlobals();
// Releases the texts built by InitGlobals, after the last save at exit.
void DoneGlobals();
