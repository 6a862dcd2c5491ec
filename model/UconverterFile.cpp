// The reminder file "index.dat" and the backups: the master list read from and
// written to files of whole 3280-byte record images.
#include <cstdio>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "classlib/FileUtils.h"
#include "model/Uconverter.h"
#include "model/Uglobals.h"
#include "model/UmodelHost.h"

namespace {

const char kReminderFileName[] = "index.dat";
const char kBackupFilter[] = "Quib Reminder Backup|*.qbr";
const char kBackupDefaultExt[] = "qbr";

std::string DefaultReminderFile() {
    return AppPath + kReminderFileName;
}

void ShowFileMessage(const wchar_t* head, const std::string& fileName) {
    ModelHost().ShowMessage(head + AnsiToWide(fileName) + L"\"", TextError, 0);
}

// Reads every whole record of an open file into `records`. False on a read error
// (the records read so far are then of no use); a trailing piece shorter than a
// record is ignored. With `limitPictures` false the stored picture indices stay
// as they are even once the picture list exists.
bool ReadRecords(std::FILE* file, std::vector<std::unique_ptr<Eintrag>>& records, bool limitPictures = true) {
    std::vector<uint8_t> buffer(Eintrag::kImageSize);
    Eintrag image;
    for (;;) {
        const size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
        if (got < buffer.size()) return std::ferror(file) == 0;
        image.ReadImage(buffer.data());
        auto record = std::make_unique<Eintrag>();
        record->Assign(image);  // limits the picture index once the picture list exists
        if (!limitPictures) record->PictureIndex = image.PictureIndex;
        record->SetMaster(record.get());
        record->AlertOpen = false;
        record->Due = true;
        record->SnoozeSeconds = 0;
        records.push_back(std::move(record));
    }
}

// Reads a whole file of records; false when it cannot be opened or read.
bool ReadRecordFile(const std::string& fileName, std::vector<std::unique_ptr<Eintrag>>& records,
                    bool limitPictures) {
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file) return false;
    bool ok = false;
    try {
        ok = ReadRecords(file, records, limitPictures);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    std::fclose(file);
    if (!ok) records.clear();
    return ok;
}

// A name beside the reminder file that says why the file was put there
// ("index (why).dat", then "index (why 2).dat" and on) and is surely not taken
// yet; empty when the folder gives no clear answer for a name.
std::string FreeNameBeside(const std::string& why) {
    for (int n = 1;; ++n) {
        const std::string name = AppPath + "index (" + why + (n > 1 ? " " + std::to_string(n) : "") + ").dat";
        if (FileIsMissing(name)) return name;
        if (FileGetAttr(name) == -1) return std::string();
    }
}

// Writes the list's records to a file, replacing it only once complete.
bool WriteRecordFile(const std::string& fileName, const Eintrag* first) {
    return WriteFileReplacing(fileName, [first](std::FILE* file) {
        std::vector<uint8_t> buffer(Eintrag::kImageSize);
        for (const Eintrag* e = first; e; e = e->Next) {
            e->WriteImage(buffer.data());
            if (!WriteAll(file, buffer.data(), buffer.size())) return false;
        }
        return true;
    });
}

}  // namespace

bool Converter::LoadFromFile(const std::string& name) {
    const std::string fileName = name.empty() ? DefaultReminderFile() : name;
    const bool isDefault = SameFileName(fileName, DefaultReminderFile());

    // The file is read in full before the list changes, so a read error keeps the
    // list as it was instead of leaving a part of the file in it.
    std::vector<std::unique_ptr<Eintrag>> records;
    if (!ReadRecordFile(fileName, records, true)) {
        // A missing default file is a first start, and only the system's "not
        // found" says that it is missing. One that may be there but cannot be
        // read (locked, no permission, a folder that does not answer) holds
        // reminders: say so, and keep the next save from writing the list over
        // it before they are safe.
        if (isDefault && FileIsMissing(fileName)) return false;
        if (isDefault) m_defaultFileUnreadable = true;
        ShowFileMessage(L"Error reading the file \"", fileName);
        return false;
    }
    if (isDefault) m_defaultFileUnreadable = false;

    // The old records are deleted last, whatever the host does with the news.
    struct OldRecords {
        Eintrag* first;
        ~OldRecords() {
            while (first) delete std::exchange(first, first->Next);
        }
    } old{Head->Next};
    Head->Next = nullptr;
    Eintrag* last = Head;
    for (auto& record : records) {
        Eintrag* e = record.release();
        e->Prev = last;
        e->Next = nullptr;
        last->Next = e;
        last = e;
    }

    // Nothing may go on using the old records: the cells' copies point to them,
    // and so may the calendar's selection and drag state.
    for (auto& row : Cells)
        for (TWeekDay& cell : row) cell.Clear();
    if (this == gConverter) {
        SelectedEntry = nullptr;
        DragEntry = nullptr;
        Dragging = false;
    }
    ModelHost().ReminderListReplaced();
    return true;
}

void Converter::SaveToFile(const std::string& name) {
    const std::string fileName = name.empty() ? DefaultReminderFile() : name;
    if (!SameFileName(fileName, DefaultReminderFile())) {
        if (!WriteRecordFile(fileName, First())) ShowFileMessage(L"Error saving the file \"", fileName);
        return;
    }
    std::wstring keptAside;
    if (m_defaultFileUnreadable && !TakeBackUnreadableFile(fileName, keptAside)) {
        SaveBesideUnreadableFile(fileName);
        return;
    }
    const bool ok = WriteRecordFile(fileName, First());
    // Told only once the list is written: a program ended while the box is
    // open must not leave the folder without a reminder file.
    if (!keptAside.empty()) ModelHost().ShowMessage(keptAside, TextWarning, 0);
    ReportDefaultSave(ok, fileName);
}

void Converter::ReportDefaultSave(bool ok, const std::string& fileName) {
    // The reminder file is written after every change: a folder that cannot be
    // written says so once, not on every change, until a save works again.
    if (ok) {
        m_saveFailureReported = false;
    } else if (!m_saveFailureReported) {
        m_saveFailureReported = true;
        ShowFileMessage(L"Error saving the file \"", fileName);
    }
}

bool Converter::TakeBackUnreadableFile(const std::string& fileName, std::wstring& keptAside) {
    // Gone meanwhile: there is nothing left to lose. Only the system's "not
    // found" says so; a file that does not answer for a moment is still there.
    if (FileIsMissing(fileName)) {
        m_defaultFileUnreadable = false;
        return true;
    }
    // Mostly the file was locked for a moment at start: its reminders come
    // before those of this run, and one that this run already has is not doubled.
    std::vector<std::unique_ptr<Eintrag>> records;
    if (ReadRecordFile(fileName, records, false)) {
        Eintrag* rest = Head->Next;
        Eintrag* last = Head;
        for (auto& record : records) {
            bool listed = false;
            for (const Eintrag* e = rest; e && !listed; e = e->Next) listed = e->IsSame(*record);
            if (listed) continue;
            Eintrag* e = record.release();
            e->Prev = last;
            last->Next = e;
            last = e;
        }
        last->Next = rest;
        if (rest) rest->Prev = last;
        m_defaultFileUnreadable = false;
        return true;
    }
    // Still unreadable: it is kept under a name that says so, and the user is told where.
    const std::string aside = FreeNameBeside("unreadable");
    if (aside.empty() || !RenameFile(fileName, aside)) return false;
    m_defaultFileUnreadable = false;
    keptAside =
        L"The file \"" + AnsiToWide(fileName) + L"\" could not be read. It is kept as \"" + AnsiToWide(aside) + L"\".";
    return true;
}

void Converter::SaveBesideUnreadableFile(const std::string& fileName) {
    // A run that has nothing to keep leaves no file behind.
    const bool isNew = m_besideFileName.empty();
    if (isNew && !First()) return;
    // Each run has a file of its own, so an earlier run's is never written over.
    if (isNew) m_besideFileName = FreeNameBeside("saved beside");
    const bool ok = !m_besideFileName.empty() && WriteRecordFile(m_besideFileName, First());
    if (ok && isNew) {
        ModelHost().ShowMessage(L"The file \"" + AnsiToWide(fileName) +
                                    L"\" could not be read. The reminders of this run are saved in \"" +
                                    AnsiToWide(m_besideFileName) + L"\".",
                                TextWarning, 0);
    }
    if (!ok && isNew) m_besideFileName.clear();
    ReportDefaultSave(ok, fileName);
}

void Converter::ExportWithDialog() {
    TFileDialogRequest request;
    request.ForSaving = true;
    request.Filter = kBackupFilter;
    request.DefaultExt = kBackupDefaultExt;
    request.InitialDir = AppPath;
    const std::string fileName = ModelHost().RunFileDialog(request);
    if (fileName.empty()) return;
    SaveToFile(fileName);
}

bool Converter::ImportWithDialog() {
    TFileDialogRequest request;
    request.Filter = kBackupFilter;
    request.DefaultExt = kBackupDefaultExt;
    const std::string fileName = ModelHost().RunFileDialog(request);
    if (fileName.empty()) return false;
    const bool loaded = LoadFromFile(fileName);
    ModelHost().RefreshAfterImport();
    return loaded;
}
