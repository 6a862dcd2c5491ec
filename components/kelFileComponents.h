// The file components of the library: the file storage, which keeps the bytes of a
// whole file inside the form's stream (the "FileData" property) so that the file
// travels inside the program and can be written out at run time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "classlib/Streams.h"
#include "components/kelComponents.h"

// Registers the file components for streaming (run by the library's start).
void kelRegisterFileComponents();

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

    // The stored bytes (their count is DataSize).
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
    uint32_t m_dataSize = 0;
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
