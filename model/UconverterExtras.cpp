// The picture collection's file, the autostart entry in the registry and the
// calendar sound: the services of the converter that reach the system.
#include <windows.h>

#include <memory>

#include "classlib/ImgList.h"
#include "classlib/Registry.h"
#include "classlib/Streaming.h"
#include "model/Uconverter.h"
#include "model/Uglobals.h"
#include "model/UmodelHost.h"

namespace {

constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "Quib Reminder";
constexpr wchar_t kDefaultSound[] = L"mv.wav";

std::string ProgramFileName() {
    char path[MAX_PATH * 2] = {0};
    GetModuleFileNameA(nullptr, path, sizeof(path) - 1);
    return path;
}

// Whether anything of that name exists (a file or a folder, any attributes).
bool NameExists(const std::string& name) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(name.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

}  // namespace

void Converter::LoadPictureCollection() {
    bool isRead = false;
    try {
        RegisterPersistentClass(TImageList::StaticClassInfo());
        std::unique_ptr<TComponent> read(ReadComponentResFile(AppPath + IconFileName, nullptr));
        const auto* pictures = dynamic_cast<const TImageList*>(read.get());
        // A list without pictures, or of another size, would leave every reminder
        // without its picture: such a file is as unreadable as a damaged one.
        if (pictures && pictures->Count() > 0 && pictures->Width() == 32 && pictures->Height() == 32) {
            if (TImageList* collection = ModelHost().PictureList()) collection->Assign(*pictures);
            isRead = true;
        }
    } catch (const std::exception&) {
    }
    // The built-in pictures stay the collection.
    if (!isRead) ModelHost().ShowStandardError("Error reading the file \"" + IconFileName + "\"", "Error");
}

void Converter::SetAutostart(bool on) {
    // Failures leave the registry as it was and are not reported.
    try {
        TRegistry registry;
        registry.RootKey = HKEY_CURRENT_USER;
        if (!registry.OpenKey(kRunKey, on)) return;
        if (on)
            registry.WriteString(kRunValue, ProgramFileName());
        else
            registry.DeleteValue(kRunValue);
    } catch (const Exception&) {
    }
}

bool Converter::IsAutostart() {
    TRegistry registry;
    registry.RootKey = HKEY_CURRENT_USER;
    if (!registry.OpenKeyReadOnly(kRunKey)) return false;
    return registry.ValueExists(kRunValue);
}

void Converter::PrepareSound(const std::wstring& name) {
    // The default sound is looked for in the program folder first.
    std::wstring fileName = name;
    if (name == kDefaultSound && NameExists(AppPath + "mv.wav")) fileName = AnsiToWide(AppPath) + kDefaultSound;
    if (ModelHost().OpenCalendarSound(fileName)) return;
    Calendar_Settings.Calendar_Play_Sound = 0;
    ModelHost().ShowMessage(MsgErrorReadingFileHead + L"\"" + name + L"\"", TextError, 0);
}

void Converter::PlaySound() {
    ModelHost().PlayCalendarSound();
}
