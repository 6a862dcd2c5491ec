// The file components: file storage.
#include "components/kelFileComponents.h"

#include <windows.h>

#include "classlib/FileUtils.h"
#include "components/kelClassLibLink.h"
#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"
#include "components/kelVclConsts.h"

void kelRegisterFileComponents() {
    kelRegisterClasses({
        &TkelCustomFileStorage::StaticClassInfo(),
        &TkelFileStorage::StaticClassInfo(),
    });
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
            m_dataSize = static_cast<uint32_t>(size);
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
            return WriteAll(file, m_data.Memory(), m_dataSize);
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
    m_dataSize = 0;
    if (count != 0) {
        m_data.SetSize(count);
        stream.ReadBuffer(m_data.Memory(), static_cast<int32_t>(count));
        m_data.SetPosition(0);
    }
    m_dataSize = count;
}

void TkelCustomFileStorage::WriteFileData(TStream& stream) {
    const uint32_t count = m_dataSize;
    stream.WriteBuffer(&count, 4);
    if (count != 0) stream.WriteBuffer(m_data.Memory(), static_cast<int32_t>(count));
}

void TkelCustomFileStorage::Clear() {
    m_data.Clear();
    m_dataSize = 0;
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

uint32_t TkelCustomFileStorage::GetDataSize() const {
    return m_dataSize;
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
