// The file components: file operation, file association, file storage.
#include "components/kelFileComponents.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <utility>
#include <vector>

#include "classlib/FileUtils.h"
#include "classlib/Registry.h"
#include "components/kelClassLibLink.h"
#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"
#include "components/kelVclConsts.h"
#include "components/kelVclUtils.h"

namespace {

const std::vector<std::string> kOperationNames = {"fotCopy", "fotDelete", "fotMove", "fotRename"};
const std::vector<std::string> kOptionNames = {"fofAllowUndo",      "fofFilesOnly",     "fofNoConfirmation",
                                               "fofNoConfirmMkDir", "fofNoErrorUI",     "fofRenameCollision",
                                               "fofSilent",         "fofSimpleProgress"};
// The FOF_* flag of each option, in the options' bit order.
const FILEOP_FLAGS kOptionFlags[] = {FOF_ALLOWUNDO, FOF_FILESONLY,         FOF_NOCONFIRMATION, FOF_NOCONFIRMMKDIR,
                                     FOF_NOERRORUI, FOF_RENAMEONCOLLISION, FOF_SILENT,         FOF_SIMPLEPROGRESS};

// The list the shell expects: each non-empty item followed by its zero, and one
// more zero at the end.
std::vector<char> ZeroSeparatedList(const std::vector<std::string>& items) {
    std::vector<char> list;
    for (const std::string& item : items) {
        if (item.empty()) continue;
        list.insert(list.end(), item.begin(), item.end());
        list.push_back('\0');
    }
    list.push_back('\0');
    list.push_back('\0');
    return list;
}

// The verbs of a file type, in the order of the association's commands.
const char* const kVerbs[5] = {"open", "opennew", "edit", "print", "printto"};

// The default value of a key under HKEY_CLASSES_ROOT; empty when it is missing
// or is no text (another program's odd entry must not break a read, which reports
// only whether the file type was found).
std::string ReadClassesDefault(const std::string& key, bool* isOpened = nullptr) {
    TRegistry registry;
    registry.RootKey = HKEY_CLASSES_ROOT;
    const bool opened = registry.OpenKeyReadOnly(key);
    if (isOpened) *isOpened = opened;
    if (!opened) return std::string();
    try {
        return registry.ReadString("");
    } catch (const ERegistryException&) {
        return std::string();
    }
}

// Writes the open key's default value. A value that is expandable stays so: the
// keys of a file type are shared by every extension mapped to it and by the
// programs that registered it, and "%SystemRoot%\..." written as plain text
// would no longer be expanded.
void WriteDefaultKeepingType(TRegistry& registry, const std::string& value) {
    DWORD type = REG_NONE;
    if (RegQueryValueExA(registry.CurrentKey(), "", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
        type == REG_EXPAND_SZ)
        registry.WriteExpandString("", value);
    else
        registry.WriteString("", value);
}

void AnnounceAssociationChange() {
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

}  // namespace

//=== TkelFileOperation

const TClassInfo& TkelFileOperation::StaticClassInfo() {
    static const TClassInfo info(
        "TkelFileOperation", &TkelComponent::StaticClassInfo(), &CreateComponentOf<TkelFileOperation>,
        [](TPropList& list) {
            TPublished<TkelFileOperation> published(list);
            PublishAbout(published)
                .Object("FileList", &TkelFileOperation::FileList)
                .String("DestFolder", &TkelFileOperation::DestFolder, &TkelFileOperation::SetDestFolder)
                .String("ProgressTitle", &TkelFileOperation::ProgressTitle, &TkelFileOperation::SetProgressTitle)
                .Enumeration("Operation", &TkelFileOperation::Operation, &TkelFileOperation::SetOperation,
                             kOperationNames, fotCopy)
                .Set("Options", &TkelFileOperation::Options, &TkelFileOperation::SetOptions, kOptionNames,
                     CkelFileOperationDefaultOptions);
        });
    return info;
}

TkelFileOperation::TkelFileOperation(TComponent* owner)
    : TkelComponent(owner), m_fileList(std::make_unique<TStringList>()) {}

void TkelFileOperation::SetFileList(const TStrings* list) {
    if (list == m_fileList.get()) return;
    if (list)
        m_fileList->Assign(*list);
    else
        m_fileList->Clear();
}

bool TkelFileOperation::ExecuteOperation(TkelFileOperationType type) {
    if (m_fileList->Count() == 0) return true;
    SHFILEOPSTRUCTA operation{};
    operation.hwnd = kelWindowOf(Owner());
    switch (type) {
        case fotCopy: operation.wFunc = FO_COPY; break;
        case fotDelete: operation.wFunc = FO_DELETE; break;
        case fotMove: operation.wFunc = FO_MOVE; break;
        case fotRename: operation.wFunc = FO_RENAME; break;
    }
    const bool isPairMode = m_fileList->Text().find('=') != std::string::npos;
    for (int flag = fofAllowUndo; flag <= fofSimpleProgress; ++flag)
        if (m_options & (1u << flag)) operation.fFlags |= kOptionFlags[flag];
    if (isPairMode) operation.fFlags |= FOF_MULTIDESTFILES;
    operation.lpszProgressTitle = m_progressTitle.c_str();

    std::vector<std::string> sources;
    std::vector<std::string> destinations;
    if (!isPairMode) {
        for (int i = 0; i < m_fileList->Count(); ++i) sources.push_back(m_fileList->Get(i));
        destinations.push_back(m_destFolder);
    } else {
        // No destination folder means the current one. Joined as it is, an empty
        // folder would put every destination in the root of the current drive.
        const std::string destFolder = m_destFolder.empty() ? GetCurrentDir() : m_destFolder;
        if (destFolder.empty()) {
            Error(GetSystemError(GetLastError()));
            return false;
        }
        for (int i = 0; i < m_fileList->Count(); ++i) {
            const std::string line = m_fileList->Get(i);
            const size_t equals = line.find('=');
            const std::string source = line.substr(0, equals);
            const std::string dest = equals == std::string::npos ? std::string() : line.substr(equals + 1);
            // A source without a destination keeps its own name in DestFolder;
            // an empty source has nothing to pair with and is left out.
            if (source.empty()) continue;
            sources.push_back(source);
            destinations.push_back(kelGetFileNameMatchedMask(source, kelConcatRelativePath(destFolder, dest)));
        }
    }
    const std::vector<char> from = ZeroSeparatedList(sources);
    const std::vector<char> to = ZeroSeparatedList(destinations);
    operation.pFrom = from.data();
    operation.pTo = to.data();

    const int result = kelSHFileOperation(operation);
    if (result != 0 && result != ERROR_NO_MORE_FILES) Error(GetSystemError(static_cast<uint32_t>(result)));
    return result == 0;
}

std::string TkelFileOperation::GetSystemError(uint32_t code) {
    return code == 0 ? std::string() : SysErrorMessage(code);
}

bool TkelFileOperation::Error(const std::string& message) {
    bool isHandled = false;
    if (m_onError) m_onError(this, message, isHandled);
    return isHandled;
}

bool TkelFileOperation::Execute() {
    return ExecuteOperation(m_operation);
}

//=== TkelFileAssociation

const TClassInfo& TkelFileAssociation::StaticClassInfo() {
    using A = TkelFileAssociation;
    static const TClassInfo info(
        "TkelFileAssociation", &TkelComponent::StaticClassInfo(), &CreateComponentOf<A>, [](TPropList& list) {
            TPublished<A> published(list);
            // ReadOnly first: while being designed, it guards the properties after it.
            PublishAbout(published)
                .Boolean("ReadOnly", &A::ReadOnly, &A::SetReadOnly, true)
                .String("Extension", &A::Extension, &A::SetExtension)
                .String("ExtDescription", &A::ExtDescription, &A::SetExtDescription)
                .String("FileDescription", &A::FileDescription, &A::SetFileDescription)
                .String("IconFile", &A::IconFile, &A::SetIconFile)
                .Integer("IconIndex", &A::IconIndex, &A::SetIconIndex, 0)
                .String("OpenCommand", &A::OpenCommand, &A::SetOpenCommand)
                .String("OpenCommandDescription", &A::OpenCommandDescription, &A::SetOpenCommandDescription)
                .String("OpenNewCommand", &A::OpenNewCommand, &A::SetOpenNewCommand)
                .String("OpenNewCommandDescription", &A::OpenNewCommandDescription, &A::SetOpenNewCommandDescription)
                .String("EditCommand", &A::EditCommand, &A::SetEditCommand)
                .String("EditCommandDescription", &A::EditCommandDescription, &A::SetEditCommandDescription)
                .String("PrintCommand", &A::PrintCommand, &A::SetPrintCommand)
                .String("PrintCommandDescription", &A::PrintCommandDescription, &A::SetPrintCommandDescription)
                .String("PrintToCommand", &A::PrintToCommand, &A::SetPrintToCommand)
                .String("PrintToCommandDescription", &A::PrintToCommandDescription, &A::SetPrintToCommandDescription);
        });
    return info;
}

TkelFileAssociation::TkelFileAssociation(TComponent* owner)
    : TkelComponent(owner), m_largeIcon(std::make_unique<TIcon>()), m_smallIcon(std::make_unique<TIcon>()) {}

TkelFileAssociation::~TkelFileAssociation() {
    SetState(csDestroying, true);
}

std::string TkelFileAssociation::FixExtension(const std::string& extension) {
    return kelAddCharBefore(extension, '.');
}

bool TkelFileAssociation::ChangingAllowed() const {
    return !m_isReadOnly && !HasState(csDesigning);
}

void TkelFileAssociation::SetExtension(const std::string& value) {
    const std::string fixed = FixExtension(value);
    if (fixed == m_extension) return;
    m_extension = fixed;
    ReadAssociation();
}

void TkelFileAssociation::SetIconIndex(int32_t value) {
    Change(m_iconIndex, value);
}

void TkelFileAssociation::ClearProperties() {
    m_extDescription.clear();
    m_fileDescription.clear();
    m_iconFile.clear();
    m_iconIndex = 0;
    m_largeIcon->SetHandle(nullptr);
    m_smallIcon->SetHandle(nullptr);
    for (int verb = 0; verb < 5; ++verb) {
        m_commands[verb].clear();
        m_descriptions[verb].clear();
    }
}

bool TkelFileAssociation::ReadAssociation() {
    ClearProperties();
    if (m_extension.empty() || m_extension == ".") return false;
    bool isRead = false;
    m_extDescription = ReadClassesDefault("\\" + m_extension);
    if (!m_extDescription.empty()) {
        const std::string typeKey = "\\" + m_extDescription;
        m_fileDescription = ReadClassesDefault(typeKey, &isRead);
        if (isRead) {
            std::string icon = ReadClassesDefault(typeKey + "\\DefaultIcon");
            // "file,index"; of two commas the index stands after the first one
            // and the rest is dropped.
            const size_t last = icon.rfind(',');
            if (last != std::string::npos) {
                const size_t before = last > 0 ? icon.rfind(',', last - 1) : std::string::npos;
                const size_t comma = before != std::string::npos ? before : last;
                const std::string indexText =
                    before != std::string::npos ? icon.substr(before + 1, last - before - 1) : icon.substr(last + 1);
                int32_t index = 0;
                if (TryStrToInt(Trim(indexText), index)) {
                    m_iconIndex = index;
                    icon = icon.substr(0, comma);
                }
            }
            m_iconFile = icon;
            if (!m_iconFile.empty()) {
                HICON large = nullptr;
                HICON small = nullptr;
                ExtractIconExA(m_iconFile.c_str(), m_iconIndex, &large, &small, 1);
                m_largeIcon->SetHandle(large);
                m_smallIcon->SetHandle(small);
            }
            for (int verb = 0; verb < 5; ++verb) {
                const std::string shellKey = typeKey + "\\shell\\" + kVerbs[verb];
                m_descriptions[verb] = ReadClassesDefault(shellKey);
                m_commands[verb] = ReadClassesDefault(shellKey + "\\command");
            }
        }
    }
    if (!m_largeIcon->Handle() && !m_smallIcon->Handle())
        kelGetShell32Icon(SameText(m_extension, ".exe") ? 2 : 0, m_largeIcon.get(), m_smallIcon.get());
    return isRead;
}

bool TkelFileAssociation::WriteAssociation() {
    if (IsBusy() || m_extension.empty()) return false;
    m_extension = FixExtension(m_extension);
    if (m_extension == ".") return false;
    if (m_extDescription.empty()) m_extDescription = m_extension.substr(1) + "file";
    try {
        TRegistry registry;
        registry.RootKey = HKEY_CLASSES_ROOT;
        const auto writeDefault = [&registry](const std::string& key, const std::string& value) {
            if (!registry.OpenKey(key, true)) return false;
            WriteDefaultKeepingType(registry, value);
            registry.CloseKey();
            return true;
        };
        const std::string typeKey = "\\" + m_extDescription;
        if (!writeDefault("\\" + m_extension, m_extDescription)) return false;
        if (!writeDefault(typeKey, m_fileDescription)) return false;
        if (!m_iconFile.empty() &&
            !writeDefault(typeKey + "\\DefaultIcon", m_iconFile + "," + std::to_string(m_iconIndex)))
            return false;
        for (int verb = 0; verb < 5; ++verb) {
            if (m_commands[verb].empty()) continue;
            const std::string shellKey = typeKey + "\\shell\\" + kVerbs[verb];
            if (!writeDefault(shellKey, m_descriptions[verb])) return false;
            if (!writeDefault(shellKey + "\\command", m_commands[verb])) return false;
        }
    } catch (const ERegistryException&) {
        // A key that opened but took no value: as a key that did not open.
        return false;
    }
    AnnounceAssociationChange();
    return true;
}

bool TkelFileAssociation::DeleteAssociation() {
    if (IsBusy()) return false;
    m_extension = FixExtension(m_extension);
    if (m_extension.empty() || m_extension == ".") return true;
    TRegistry registry;
    registry.RootKey = HKEY_CLASSES_ROOT;
    if (!registry.KeyExists("\\" + m_extension)) return true;
    const bool isDeleted = registry.DeleteKey("\\" + m_extension);
    AnnounceAssociationChange();
    ReadAssociation();
    return isDeleted;
}

bool TkelFileAssociation::WriteChangedValue(const void* field) {
    // Without a file type yet, the whole association is made, its type named
    // after the extension. A file type renamed gets the whole association too:
    // pointing the extension at a type that lacks the component's commands would
    // leave its files opening with nothing.
    if (!field || field == &m_extDescription || m_extDescription.empty()) return WriteAssociation();
    if (IsBusy() || m_extension.empty()) return false;
    m_extension = FixExtension(m_extension);
    if (m_extension == ".") return false;
    const std::string typeKey = "\\" + m_extDescription;
    // Each key with the default value it gets.
    std::vector<std::pair<std::string, std::string>> writes;
    if (field == &m_fileDescription) {
        writes.push_back({typeKey, m_fileDescription});
    } else if (field == &m_iconFile || field == &m_iconIndex) {
        // As the whole write: no icon file, no icon value.
        if (m_iconFile.empty()) return true;
        writes.push_back({typeKey + "\\DefaultIcon", m_iconFile + "," + std::to_string(m_iconIndex)});
    } else {
        for (int verb = 0; verb < 5 && writes.empty(); ++verb) {
            // A verb is written only with its command, as by the whole write; so
            // the command brings along a description set while there was none.
            if (m_commands[verb].empty()) continue;
            const std::string shellKey = typeKey + "\\shell\\" + kVerbs[verb];
            if (field == &m_commands[verb]) {
                writes.push_back({shellKey, m_descriptions[verb]});
                writes.push_back({shellKey + "\\command", m_commands[verb]});
            } else if (field == &m_descriptions[verb]) {
                writes.push_back({shellKey, m_descriptions[verb]});
            }
        }
        if (writes.empty()) return true;
    }
    try {
        TRegistry registry;
        registry.RootKey = HKEY_CLASSES_ROOT;
        for (const auto& write : writes) {
            if (!registry.OpenKey(write.first, true)) return false;
            WriteDefaultKeepingType(registry, write.second);
            registry.CloseKey();
        }
    } catch (const ERegistryException&) {
        return false;
    }
    AnnounceAssociationChange();
    return true;
}

void TkelFileAssociation::UpdateAssociation() {
    // Set only while a setter calls: the property whose value alone is written.
    const void* changed = std::exchange(m_changedField, nullptr);
    if (IsBusy()) return;
    if (!HasState(csDesigning)) {
        WriteChangedValue(changed);
        return;
    }
    if (m_isReadOnly) {
        kelMessageBoxEx(kelAppHandle(), LoadResString(SkelProperty_ReadOnlyMode), LoadResString(SkelWarning),
                        MB_OK | MB_ICONWARNING);
        return;
    }
    if (!WriteChangedValue(changed))
        kelMessageBoxEx(kelAppHandle(), LoadResString(SkelRegistry_CannotWrite), LoadResString(SkelError),
                        MB_OK | MB_ICONERROR);
}

//=== TkelCustomFileStorage

const TClassInfo& TkelCustomFileStorage::StaticClassInfo() {
    static const TClassInfo info("TkelCustomFileStorage", &TkelComponent::StaticClassInfo(),
                                 &CreateComponentOf<TkelCustomFileStorage>, nullptr);
    return info;
}

TkelCustomFileStorage::TkelCustomFileStorage(TComponent* owner) : TkelComponent(owner) {}

bool TkelCustomFileStorage::LoadFrom(const std::string& fileName) {
    Clear();
    bool isLoaded = false;
    if (FileExists(fileName)) {
        try {
            TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
            const int64_t size = file.Size();
            // The stream's count is 32 bits and the data is held in memory.
            if (size > INT32_MAX) throw EReadError("Stream read error");
            m_data.SetSize(size);
            if (size > 0) file.ReadBuffer(m_data.Memory(), static_cast<int32_t>(size));
            m_data.SetPosition(0);
            isLoaded = true;
        } catch (const std::exception&) {
            // No half-read file stays behind as the data.
            Clear();
            throw EkelFileStorage(Format(LoadResString(SkelFileStorage_CannotLoad), fileName));
        }
    }
    if (m_onLoad) m_onLoad(this, isLoaded);
    return isLoaded;
}

bool TkelCustomFileStorage::SaveTo(const std::string& fileName) {
    bool isOverride = true;
    if (FileExists(fileName) && m_onConfirmOverride) m_onConfirmOverride(this, isOverride);
    if (isOverride) {
        // Written beside the file and moved over it, so a failure keeps the old one.
        const bool isWritten = !fileName.empty() && WriteFileReplacing(fileName, [this](std::FILE* file) {
            return WriteAll(file, m_data.Memory(), m_data.Bytes().size());
        });
        if (!isWritten) throw EkelFileStorage(Format(LoadResString(SkelFileStorage_CannotSave), fileName));
    }
    if (m_onSave) m_onSave(this, isOverride);
    return isOverride;
}

bool TkelCustomFileStorage::Load() {
    return LoadFrom(m_fileName);
}

bool TkelCustomFileStorage::Save() {
    return SaveTo(m_saveName);
}

void TkelCustomFileStorage::ReadFileData(TStream& stream) {
    uint32_t count = 0;
    stream.ReadBuffer(&count, 4);
    // A count beyond what the stream holds is damage: nothing is allocated for it.
    if (count > static_cast<uint64_t>(stream.Remaining())) throw EReadError("Stream read error");
    // Also for count 0: no earlier data may stay behind a size of 0.
    m_data.Clear();
    if (count != 0) {
        m_data.SetSize(count);
        stream.ReadBuffer(m_data.Memory(), static_cast<int32_t>(count));
        m_data.SetPosition(0);
    }
}

void TkelCustomFileStorage::WriteFileData(TStream& stream) {
    // The count is 32 bits and the bytes go in one piece: more cannot be written.
    if (m_data.Bytes().size() > static_cast<size_t>(INT32_MAX)) throw EWriteError("Stream write error");
    const uint32_t count = GetDataSize();
    stream.WriteBuffer(&count, 4);
    if (count != 0) stream.WriteBuffer(m_data.Memory(), static_cast<int32_t>(count));
}

void TkelCustomFileStorage::Clear() {
    m_data.Clear();
}

void TkelCustomFileStorage::DefineProperties(TFiler& filer) {
    TkelComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "FileData", [this](TStream& stream) { ReadFileData(stream); },
        [this](TStream& stream) { WriteFileData(stream); }, true);
}

void TkelCustomFileStorage::Loaded() {
    TkelComponent::Loaded();
    if (!HasState(csDesigning) && m_isAutoSave) Save();
}

void TkelCustomFileStorage::SetAutoSave(bool value) {
    if (value && HasState(csDesigning) && !kelIsValidFileName(m_saveName)) {
        kelMessageBoxEx(kelAppHandle(), LoadResString(SkelFileStorage_AutoSaveWhenNoSaveName),
                        LoadResString(SkelWarning), MB_OK | MB_ICONWARNING);
        m_isAutoSave = false;
        return;
    }
    m_isAutoSave = value;
}

void TkelCustomFileStorage::SetFileName(const std::string& value) {
    if (value == m_fileName) return;
    m_fileName = value;
    if (HasState(csDesigning)) Load();
}

// The size is always the stream's: Data() is writable, so no separate count
// could follow it.
uint32_t TkelCustomFileStorage::GetDataSize() const {
    const size_t size = m_data.Bytes().size();
    return size > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(size);
}

void TkelCustomFileStorage::SetDataSize(uint32_t value) {
    (void)value;
}

void TkelCustomFileStorage::SetSaveName(const std::string& value) {
    if (value == m_saveName) return;
    m_saveName = value;
    if (HasState(csDesigning) && !kelIsValidFileName(m_saveName)) m_isAutoSave = false;
}

const TClassInfo& TkelFileStorage::StaticClassInfo() {
    static const TClassInfo info(
        "TkelFileStorage", &TkelCustomFileStorage::StaticClassInfo(), &CreateComponentOf<TkelFileStorage>,
        [](TPropList& list) {
            TPublished<TkelFileStorage> published(list);
            PublishAbout(published)
                .String("SaveName", &TkelFileStorage::SaveName, &TkelFileStorage::SetSaveName)
                .String("FileName", &TkelFileStorage::FileName, &TkelFileStorage::SetFileName)
                .Cardinal("DataSize", &TkelFileStorage::DataSize, &TkelFileStorage::SetDataSize, 0)
                .Boolean("AutoSave", &TkelFileStorage::AutoSave, &TkelFileStorage::SetAutoSave, false);
        });
    return info;
}
