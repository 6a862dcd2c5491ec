// The file components of the library: the file operation (the shell's copy, move,
// rename and delete of file lists, with its progress window, undo and
// confirmations), the file association (the registration of a file extension
// under HKEY_CLASSES_ROOT), and the file storage, which keeps the bytes of a whole
// file inside the form's stream (the "FileData" property) so that the file travels
// inside the program and can be written out at run time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "classlib/Classes.h"
#include "classlib/Graphics.h"
#include "classlib/Streams.h"
#include "components/kelComponents.h"

//=== File operation

enum TkelFileOperationType { fotCopy, fotDelete, fotMove, fotRename };

// Bit n of TkelFileOperationFlags stands for flag n.
enum TkelFileOperationFlag {
    fofAllowUndo,        // FOF_ALLOWUNDO
    fofFilesOnly,        // FOF_FILESONLY
    fofNoConfirmation,   // FOF_NOCONFIRMATION
    fofNoConfirmMkDir,   // FOF_NOCONFIRMMKDIR
    fofNoErrorUI,        // FOF_NOERRORUI
    fofRenameCollision,  // FOF_RENAMEONCOLLISION
    fofSilent,           // FOF_SILENT
    fofSimpleProgress,   // FOF_SIMPLEPROGRESS
};
using TkelFileOperationFlags = uint32_t;
constexpr TkelFileOperationFlags kelFileOperationFlag(TkelFileOperationFlag flag) {
    return 1u << flag;
}
// Undo, files only, a new name on a collision.
constexpr TkelFileOperationFlags CkelFileOperationDefaultOptions = 35;

// A failure of the shell: its text; setting handled tells the caller it was dealt with.
using TkelFileOperationEvent = std::function<void(TObject* sender, const std::string& message, bool& handled)>;

class TkelFileOperation : public TkelComponent {
public:
    explicit TkelFileOperation(TComponent* owner);
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelFileOperation"; }

    // Runs the shell's operation on FileList: each line a file (or mask), with
    // DestFolder as the destination; when any line holds "=", each line is a
    // source and its own destination ("a.txt=b.txt", "c.txt=*.bak"), relative
    // destinations taken below DestFolder. An empty list does nothing. True only
    // when the shell reports success; its failures go to OnError.
    virtual bool ExecuteOperation(TkelFileOperationType type);
    // The system's text for an error code; empty for 0.
    virtual std::string GetSystemError(uint32_t code);
    // Hands the message to OnError; whether it was handled.
    virtual bool Error(const std::string& message);
    // ExecuteOperation(Operation).
    virtual bool Execute();

    bool Copy() { return ExecuteOperation(fotCopy); }
    bool Delete() { return ExecuteOperation(fotDelete); }
    bool Move() { return ExecuteOperation(fotMove); }
    bool Rename() { return ExecuteOperation(fotRename); }

    TStrings* FileList() const { return m_fileList.get(); }
    // Copies the lines.
    void SetFileList(const TStrings* list);
    const std::string& DestFolder() const { return m_destFolder; }
    void SetDestFolder(const std::string& value) { m_destFolder = value; }
    const std::string& ProgressTitle() const { return m_progressTitle; }
    void SetProgressTitle(const std::string& value) { m_progressTitle = value; }
    TkelFileOperationType Operation() const { return m_operation; }
    void SetOperation(TkelFileOperationType value) { m_operation = value; }
    TkelFileOperationFlags Options() const { return m_options; }
    void SetOptions(TkelFileOperationFlags value) { m_options = value; }
    const TkelFileOperationEvent& OnError() const { return m_onError; }
    void SetOnError(TkelFileOperationEvent handler) { m_onError = std::move(handler); }

private:
    std::unique_ptr<TStringList> m_fileList;
    std::string m_destFolder;
    std::string m_progressTitle;
    TkelFileOperationType m_operation = fotCopy;
    TkelFileOperationFlags m_options = CkelFileOperationDefaultOptions;
    TkelFileOperationEvent m_onError;
};

//=== File association

// The registration of one file extension under HKEY_CLASSES_ROOT: the extension's
// key names a file type, whose key holds its description, its icon and the
// commands of its verbs.
//
// Setting Extension reads its registration. Setting any other property stores
// it; at run time it is written to the registry at once unless ReadOnly is set
// (WriteAssociation writes all of them on request). While designing, ReadOnly
// refuses a change with a warning; otherwise the change is written, and a
// failure to write is shown. A change writes its own value only (a command
// brings its verb's description along, and a new file type name gets all the
// values the component holds), and every write keeps an expandable value
// expandable: the file type's key is shared with other extensions and programs.
class TkelFileAssociation : public TkelComponent {
public:
    explicit TkelFileAssociation(TComponent* owner);
    ~TkelFileAssociation() override;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelFileAssociation"; }

    // Fills every property from the registry (the shell's own icons when the type
    // has none); true when the file type's key was found.
    virtual bool ReadAssociation();
    // Writes the extension, its type and the verbs with a command; false when a
    // key cannot be written, while loading or destroying, or without Extension.
    virtual bool WriteAssociation();
    // Removes the extension's key (the file type's key stays); true when it is gone.
    virtual bool DeleteAssociation();
    // A property changed: see the class comment.
    virtual void UpdateAssociation();

    // The extension with a leading "." (an empty one stays empty).
    static std::string FixExtension(const std::string& extension);
    // Not designing and not ReadOnly.
    bool ChangingAllowed() const;

    const std::string& Extension() const { return m_extension; }
    void SetExtension(const std::string& value);
    const std::string& ExtDescription() const { return m_extDescription; }
    void SetExtDescription(const std::string& value) { Change(m_extDescription, value); }
    const std::string& FileDescription() const { return m_fileDescription; }
    void SetFileDescription(const std::string& value) { Change(m_fileDescription, value); }
    const std::string& IconFile() const { return m_iconFile; }
    void SetIconFile(const std::string& value) { Change(m_iconFile, value); }
    int32_t IconIndex() const { return m_iconIndex; }
    void SetIconIndex(int32_t value);
    // Filled by reading.
    TIcon* LargeIcon() const { return m_largeIcon.get(); }
    TIcon* SmallIcon() const { return m_smallIcon.get(); }
    bool ReadOnly() const { return m_isReadOnly; }
    void SetReadOnly(bool value) { m_isReadOnly = value; }

    const std::string& OpenCommand() const { return m_commands[0]; }
    void SetOpenCommand(const std::string& value) { Change(m_commands[0], value); }
    const std::string& OpenNewCommand() const { return m_commands[1]; }
    void SetOpenNewCommand(const std::string& value) { Change(m_commands[1], value); }
    const std::string& EditCommand() const { return m_commands[2]; }
    void SetEditCommand(const std::string& value) { Change(m_commands[2], value); }
    const std::string& PrintCommand() const { return m_commands[3]; }
    void SetPrintCommand(const std::string& value) { Change(m_commands[3], value); }
    const std::string& PrintToCommand() const { return m_commands[4]; }
    void SetPrintToCommand(const std::string& value) { Change(m_commands[4], value); }
    const std::string& OpenCommandDescription() const { return m_descriptions[0]; }
    void SetOpenCommandDescription(const std::string& value) { Change(m_descriptions[0], value); }
    const std::string& OpenNewCommandDescription() const { return m_descriptions[1]; }
    void SetOpenNewCommandDescription(const std::string& value) { Change(m_descriptions[1], value); }
    const std::string& EditCommandDescription() const { return m_descriptions[2]; }
    void SetEditCommandDescription(const std::string& value) { Change(m_descriptions[2], value); }
    const std::string& PrintCommandDescription() const { return m_descriptions[3]; }
    void SetPrintCommandDescription(const std::string& value) { Change(m_descriptions[3], value); }
    const std::string& PrintToCommandDescription() const { return m_descriptions[4]; }
    void SetPrintToCommandDescription(const std::string& value) { Change(m_descriptions[4], value); }

private:
    // Stores a new value of a property and applies it by the rule above.
    template <class T>
    void Change(T& field, const T& value);
    void ClearProperties();
    bool IsBusy() const { return HasState(csLoading) || HasState(csReading) || HasState(csDestroying); }
    // Writes the one registry value of the property whose field is given (all of
    // them without one, or without a file type yet).
    bool WriteChangedValue(const void* field);

    std::string m_extension;
    std::string m_extDescription;
    std::string m_fileDescription;
    std::string m_iconFile;
    int32_t m_iconIndex = 0;
    std::unique_ptr<TIcon> m_largeIcon;
    std::unique_ptr<TIcon> m_smallIcon;
    bool m_isReadOnly = true;
    // Of the verbs open, opennew, edit, print and printto.
    std::string m_commands[5];
    std::string m_descriptions[5];
    // The field of the property a setter is applying, for UpdateAssociation.
    const void* m_changedField = nullptr;
};

template <class T>
void TkelFileAssociation::Change(T& field, const T& value) {
    if (field == value) return;
    if (IsBusy()) {
        field = value;
        return;
    }
    // While designing, ReadOnly refuses the change (UpdateAssociation warns).
    if (!(HasState(csDesigning) && m_isReadOnly)) field = value;
    if (HasState(csDesigning) || ChangingAllowed()) {
        m_changedField = &field;
        UpdateAssociation();
    }
}

//=== File storage

// After a load or save: whether it succeeded.
using TkelFileStorageOnFileOperation = std::function<void(TObject* sender, bool successful)>;
// Before an existing file is overwritten; clearing overrideFile keeps it.
using TkelFileStorageOnConfirmOverride = std::function<void(TObject* sender, bool& overrideFile)>;

class TkelCustomFileStorage : public TkelComponent {
public:
    explicit TkelCustomFileStorage(TComponent* owner);
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelCustomFileStorage"; }

    // Replaces the data by the whole file; false when the file does not exist.
    // A read failure raises EkelFileStorage (and OnLoad does not fire).
    virtual bool LoadFrom(const std::string& fileName);
    // Writes the data as the whole file, replacing an existing one when
    // OnConfirmOverride lets it; false when refused. A write failure raises
    // EkelFileStorage (and OnSave does not fire); the old file then stays.
    virtual bool SaveTo(const std::string& fileName);
    // LoadFrom(FileName) and SaveTo(SaveName).
    virtual bool Load();
    virtual bool Save();
    // The "FileData" payload: a 32-bit little-endian count, then that many bytes.
    virtual void ReadFileData(TStream& stream);
    virtual void WriteFileData(TStream& stream);
    virtual void Clear();

    // The stored bytes; DataSize is always their count.
    TMemoryStream& Data() { return m_data; }
    const TMemoryStream& Data() const { return m_data; }

protected:
    // The data streams as the binary property "FileData", always (count 0 when empty).
    void DefineProperties(TFiler& filer) override;
    // At run time, saves when AutoSave is set.
    void Loaded() override;

    virtual void SetAutoSave(bool value);
    // While designing, loads the file at once.
    virtual void SetFileName(const std::string& value);
    virtual uint32_t GetDataSize() const;
    // The size follows the data: setting it does nothing.
    virtual void SetDataSize(uint32_t value);

    const std::string& FileName() const { return m_fileName; }
    const std::string& SaveName() const { return m_saveName; }
    // While designing, a name no file can have switches AutoSave off.
    void SetSaveName(const std::string& value);
    bool AutoSave() const { return m_isAutoSave; }
    uint32_t DataSize() const { return GetDataSize(); }
    const TkelFileStorageOnFileOperation& OnLoad() const { return m_onLoad; }
    void SetOnLoad(TkelFileStorageOnFileOperation handler) { m_onLoad = std::move(handler); }
    const TkelFileStorageOnFileOperation& OnSave() const { return m_onSave; }
    void SetOnSave(TkelFileStorageOnFileOperation handler) { m_onSave = std::move(handler); }
    const TkelFileStorageOnConfirmOverride& OnConfirmOverride() const { return m_onConfirmOverride; }
    void SetOnConfirmOverride(TkelFileStorageOnConfirmOverride handler) { m_onConfirmOverride = std::move(handler); }

private:
    TMemoryStream m_data;
    std::string m_fileName;
    std::string m_saveName;
    bool m_isAutoSave = false;
    TkelFileStorageOnFileOperation m_onLoad;
    TkelFileStorageOnFileOperation m_onSave;
    TkelFileStorageOnConfirmOverride m_onConfirmOverride;
};

class TkelFileStorage : public TkelCustomFileStorage {
public:
    using TkelCustomFileStorage::TkelCustomFileStorage;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelFileStorage"; }

    using TkelCustomFileStorage::AutoSave;
    using TkelCustomFileStorage::DataSize;
    using TkelCustomFileStorage::FileName;
    using TkelCustomFileStorage::OnConfirmOverride;
    using TkelCustomFileStorage::OnLoad;
    using TkelCustomFileStorage::OnSave;
    using TkelCustomFileStorage::SaveName;
    using TkelCustomFileStorage::SetAutoSave;
    using TkelCustomFileStorage::SetDataSize;
    using TkelCustomFileStorage::SetFileName;
    using TkelCustomFileStorage::SetOnConfirmOverride;
    using TkelCustomFileStorage::SetOnLoad;
    using TkelCustomFileStorage::SetOnSave;
    using TkelCustomFileStorage::SetSaveName;
};
