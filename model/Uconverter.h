// The one data model: the list of all reminders and the month grid built from it.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

#include "classlib/SysUtils.h"
#include "model/Ueintrag.h"
#include "model/Urecurrence.h"
#include "model/Uweekday.h"

// <windows.h> (through <mmsystem.h>) names a macro PlaySound; the converter's
// member must keep its own name in every unit that sees both.
#ifdef PlaySound
#undef PlaySound
#endif

constexpr int kGridRows = 6;
constexpr int kGridColumns = 7;

// The reminder list (a sentinel-headed chain of master records, in insertion or
// file order) and the 6 x 7 day cells of the displayed month, row-major.
class Converter {
public:
    Converter();
    ~Converter();
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    //--- Reminder list and month grid
    // Empties all cells and fills them with copies of every master's occurrences.
    void BuildGrid();
    // Offers the record to each of the 42 cells, row by row. Always true.
    bool AddToCells(const Eintrag* master);

    // The first master, or null for an empty list.
    Eintrag* First() const { return Head->Next; }
    // The last master, or the sentinel for an empty list.
    Eintrag* Last() const;
    // Links a master after the last one.
    void Append(Eintrag* master);
    // Deletes every master; the list is empty.
    void Clear();
    int Count() const;

    //--- Storing and deleting
    bool StoreFromDialog(int32_t mode);
    void DeleteEntry(Eintrag* record);

    //--- Reminder file and backups
    // True when the file's records replaced the list.
    bool LoadFromFile(const std::string& name);
    void SaveToFile(const std::string& name);
    void ExportWithDialog();
    // True when a backup's records replaced the list.
    bool ImportWithDialog();

    //--- Picture collection, autostart and calendar sound
    void LoadPictureCollection();
    void AddUserPicture();
    void SetAutostart(bool on);
    bool IsAutostart();
    void PrepareSound(const std::wstring& name);
    void PlaySound();

    //--- Due check
    // Walks the list once, in list order, and opens at most one alarm: the first
    // reminder that falls due now (the class library's current time).
    void CheckDueReminders();
    // Opens a new alarm window for a master and its occurrence, and marks the alarm open.
    void ShowReminder(Eintrag* entry, tm occurrence);

    //--- Date operations (they read no member data)
    // Steps a date by one repetition interval and normalises it.
    static tm AddInterval(tm date, int32_t count, int32_t kind);
    // Date plus hour and minute; 0.0 for an empty record. Raises EConvertError on an invalid date.
    static TDateTime TmToDateTime(tm t);
    // Whole days of the date; 0.0 for an empty date. Raises EConvertError on an invalid date.
    static TDateTime TmToDate(tm t);
    // 1, 0 or -1 by date, hour and minute; an empty date is earlier than any set one.
    static int32_t CompareDateTime(tm a, tm b);
    // All nine fields equal.
    static bool SameDateRecord(tm a, tm b);

    // What the grid and the due check remember of each master's occurrences.
    TRecurrenceCache& Recurrence() { return *m_recurrence; }

    Eintrag* Head;
    TWeekDay Cells[kGridRows][kGridColumns];

private:
    std::unique_ptr<TRecurrenceCache> m_recurrence;
    // Before the first save over a reminder file that could not be read at start:
    // reads its reminders into the list, or else moves it aside and puts into
    // `keptAside` what the user is to be told once the list is written.
    // False when it can be neither read nor moved, and must not be written over.
    bool TakeBackUnreadableFile(const std::string& fileName, std::wstring& keptAside);
    // While that file can be neither read nor moved: the run's list is saved to
    // a file beside it, and the user is told once where.
    void SaveBesideUnreadableFile(const std::string& fileName);
    // Reports a failed save of the default file once, until a save works again.
    void ReportDefaultSave(bool ok, const std::string& fileName);

    // Set when the default reminder file exists but could not be read: it is not
    // written over until its reminders are in the list or the file is kept aside.
    bool m_defaultFileUnreadable = false;
    // The file beside it that holds this run's list meanwhile, once there is one.
    std::string m_besideFileName;
    // A failed save of the default file was reported; cleared by one that works.
    bool m_saveFailureReported = false;
};

// Lays out a month in a converter's cells: each cell gets its date and InMonth
// flag and is emptied. year is years since 1900, month 0..11.
void BuildMonthGrid(Converter& converter, int32_t year, int32_t month, bool sundayFirst);
// The same for the program's one converter (gConverter).
void BuildMonthGrid(int32_t year, int32_t month, bool sundayFirst);
// Whether a record is one of a converter's masters. Only pointers are compared,
// so the record may be one that is gone.
bool IsListedMaster(const Converter& converter, const Eintrag* record);
