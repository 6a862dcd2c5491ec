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
// record is ignored.
bool ReadRecords(std::FILE* file, std::vector<std::unique_ptr<Eintrag>>& records) {
    std::vector<uint8_t> buffer(Eintrag::kImageSize);
    Eintrag image;
    for (;;) {
        const size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
        if (got < buffer.size()) return std::ferror(file) == 0;
        image.ReadImage(buffer.data());
        auto record = std::make_unique<Eintrag>();
        record->Assign(image);  // limits the picture index once the picture list exists
        record->SetMaster(record.get());
        record->AlertOpen = false;
        record->Due = true;
        record->SnoozeSeconds = 0;
        records.push_back(std::move(record));
    }
}

}  // namespace

void Converter::LoadFromFile(const std::string& name) {
    const std::string fileName = name.empty() ? DefaultReminderFile() : name;
    const bool isDefault = SameFileName(fileName, DefaultReminderFile());

    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file) {
        // A missing default file is a first start. One that exists but will not
        // open (locked, no permission) holds reminders: say so, and keep the next
        // save from writing an empty list over it.
        if (isDefault && !FileExists(fileName)) return;
        if (isDefault) m_defaultFileUnreadable = true;
        ShowFileMessage(L"Error reading the file \"", fileName);
        return;
    }

    // The file is read in full before the list changes, so a read error keeps the
    // list as it was instead of leaving a part of the file in it.
    std::vector<std::unique_ptr<Eintrag>> records;
    bool ok = false;
    try {
        ok = ReadRecords(file, records);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    std::fclose(file);
    if (!ok) {
        records.clear();
        if (isDefault) m_defaultFileUnreadable = true;
        ShowFileMessage(L"Error reading the file \"", fileName);
        return;
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
}

void Converter::SaveToFile(const std::string& name) {
    const std::string fileName = name.empty() ? DefaultReminderFile() : name;
    bool ok = !(m_defaultFileUnreadable && SameFileName(fileName, DefaultReminderFile()));
    ok = ok && WriteFileReplacing(fileName, [this](std::FILE* file) {
             std::vector<uint8_t> buffer(Eintrag::kImageSize);
             for (const Eintrag* e = First(); e; e = e->Next) {
                 e->WriteImage(buffer.data());
                 if (!WriteAll(file, buffer.data(), buffer.size())) return false;
             }
             return true;
         });
    if (!ok) ShowFileMessage(L"Error saving the file \"", fileName);
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

void Converter::ImportWithDialog() {
    TFileDialogRequest request;
    request.Filter = kBackupFilter;
    request.DefaultExt = kBackupDefaultExt;
    const std::string fileName = ModelHost().RunFileDialog(request);
    if (fileName.empty()) return;
    LoadFromFile(fileName);
    ModelHost().RefreshAfterImport();
}
