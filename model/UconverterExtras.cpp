// The picture collection's file, the autostart entry in the registry and the
// calendar sound: the services of the converter that reach the system.
#include <windows.h>

#include <memory>

#include "classlib/Graphics.h"
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

namespace {

// The kind of a picture file: the three characters after the last "." of the
// name (the name's first three when it has none).
std::string PictureKind(const std::string& fileName) {
    const size_t dot = fileName.find_last_of('.');
    const size_t start = dot == std::string::npos ? 0 : dot + 1;
    // The dialog's own filter lists "picture.BMP" under "*.bmp": the case of
    // the extension does not matter.
    return LowerCase(fileName.substr(start, 3));
}

}  // namespace

void Converter::AddUserPicture() {
    TImageList* pictures = ModelHost().WorkingPictureList();
    if (!pictures) return;
    const std::string fileName = ModelHost().RunPictureDialog();
    if (fileName.empty()) return;
    const std::wstring unreadable = MsgErrorReadingFileHead + L"\"" + AnsiToWide(fileName) + L"\"";
    const std::string kind = PictureKind(fileName);
    TBitmap picture;
    if (kind == "bmp") {
        try {
            picture.LoadFromFile(fileName);
        } catch (const Exception&) {
            ModelHost().ShowMessage(unreadable, TextError, 0);
            return;
        }
    } else if (kind == "ico") {
        TIcon icon;
        try {
            icon.LoadFromFile(fileName);
        } catch (const Exception&) {
            ModelHost().ShowMessage(unreadable, TextError, 0);
            return;
        }
        // An icon of another size leaves the picture empty, which the size check refuses.
        if (icon.Width() == 32 && icon.Height() == 32) {
            // A new bitmap is white, and white is the pictures' transparent colour.
            picture.SetSize(icon.Width(), icon.Height());
            picture.Canvas()->Draw(0, 0, &icon);
        }
    } else {
        ModelHost().ShowMessage(unreadable, TextError, 0);
        return;
    }
    if (picture.Width() != 32 || picture.Height() != 32) {
        ModelHost().ShowMessage(MsgImageSize, TextError, 0);
        return;
    }
    pictures->AddMasked(&picture, clWhite);
    ModelHost().WorkingPicturesChanged();
}

void Converter::SetAutostart(bool on) {
    // Failures leave the registry as it was and are not reported.
    try {
        TRegistry registry;
        registry.RootKey = HKEY_CURRENT_USER;
        if (!registry.OpenKey(kRunKey, on)) return;
        // Quoted: from a folder with blanks ("D:\My Tools\...") Windows would
        // otherwise try "D:\My.exe" first at every logon.
        if (on)
            registry.WriteString(kRunValue, "\"" + ProgramFileName() + "\"");
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
