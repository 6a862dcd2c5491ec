// kelClasses: string list, linked component, channel and file version info (the
// threads are in kelClassesThreads.cpp).
#include "components/kelClasses.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "components/kelVclConsts.h"

//=== TkelStringList

void TkelStringList::CreateItem(const std::string& name, const std::string& value, std::string& item,
                                const std::string& parameter) {
    item = name + "=" + value;
    if (!parameter.empty()) item += "," + parameter;
}

void TkelStringList::ParseItem(const std::string& item, std::string& name, std::string& value,
                               std::string& parameter) {
    value.clear();
    parameter.clear();
    name = Trim(item);
    const size_t equals = name.find('=');
    if (equals != std::string::npos) {
        value = Trim(name.substr(equals + 1));
        name = Trim(name.substr(0, equals));
    }
    const size_t comma = value.find(',');
    if (comma != std::string::npos) {
        parameter = Trim(value.substr(comma + 1));
        value = Trim(value.substr(0, comma));
    }
}

std::string TkelStringList::ExtractName(const std::string& item) {
    std::string name, value, parameter;
    ParseItem(item, name, value, parameter);
    return name;
}

std::string TkelStringList::ExtractValue(const std::string& item) {
    std::string name, value, parameter;
    ParseItem(item, name, value, parameter);
    return value;
}

std::string TkelStringList::ExtractParameter(const std::string& item) {
    std::string name, value, parameter;
    ParseItem(item, name, value, parameter);
    return parameter;
}

std::string TkelStringList::GetName(int index) {
    return ExtractName(Get(index));
}

void TkelStringList::SetName(int index, const std::string& name) {
    std::string oldName, value, parameter, item;
    ParseItem(Get(index), oldName, value, parameter);
    CreateItem(name, value, item, parameter);
    Put(index, item);
}

std::string TkelStringList::GetValue(const std::string& name) {
    const int index = IndexOfName(name);
    return index < 0 ? std::string() : ExtractValue(Get(index));
}

std::string TkelStringList::GetParameter(const std::string& name) {
    const int index = IndexOfName(name);
    return index < 0 ? std::string() : ExtractParameter(Get(index));
}

void TkelStringList::SetValue(const std::string& name, const std::string& value) {
    int index = IndexOfName(name);
    if (index < 0) index = Add(name);
    std::string item;
    CreateItem(name, value, item, GetParameter(name));
    Put(index, item);
}

void TkelStringList::SetParameter(const std::string& name, const std::string& parameter) {
    int index = IndexOfName(name);
    if (index < 0) index = Add(name);
    std::string item;
    CreateItem(name, GetValue(name), item, parameter);
    Put(index, item);
}

//=== TkelLinkedComponent

TkelLinkedComponent::TkelLinkedComponent(TComponent* owner, TRemoveCallback callback)
    : TComponent(owner), m_callback(std::move(callback)) {}

void TkelLinkedComponent::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && m_callback) m_callback(component);
}

//=== TkelChannel

TkelChannel::TkelChannel(const std::string& name, void*& data, uint32_t size) : m_name(name), m_size(size) {
    data = nullptr;
    m_mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name.c_str());
    if (!m_mapping) throw EkelChannel(LoadResString(SkelChannel_CreationFailed));
    // Read at once: the mapping call is the one that says whether the block was there.
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    m_view = MapViewOfFile(m_mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    if (!m_view) {
        CloseHandle(m_mapping);
        m_mapping = nullptr;
        throw EkelChannel(LoadResString(SkelChannel_MappingFailed));
    }
    // A block made earlier keeps the size it was made with, whatever this
    // channel asked for: one smaller than asked is refused, not handed out.
    MEMORY_BASIC_INFORMATION region{};
    if (existed && (VirtualQuery(m_view, &region, sizeof(region)) != sizeof(region) || region.RegionSize < size)) {
        Close();
        throw EkelChannel(LoadResString(SkelChannel_MappingFailed));
    }
    if (!existed) Clean();
    data = m_view;
}

TkelChannel::~TkelChannel() {
    Close();
}

void TkelChannel::Close() {
    if (m_view) UnmapViewOfFile(m_view);
    m_view = nullptr;
    if (m_mapping) CloseHandle(m_mapping);
    m_mapping = nullptr;
    m_name.clear();
}

void TkelChannel::Clean() {
    if (m_view) std::memset(m_view, 0, m_size);
}

//=== TkelFileVersionInfo

const char* const CkelVersionKeys[13] = {
    "",
    "Comments",
    "CompanyName",
    "FileDescription",
    "FileVersion",
    "InternalName",
    "LegalCopyright",
    "LegalTradeMarks",
    "OriginalFilename",
    "ProductName",
    "ProductVersion",
    "SpecialBuild",
    "PrivateBuild",
};

namespace {

constexpr char kDefaultLanguage[] = "040904E4";
constexpr uint32_t kDefaultTranslation = 0x04E40409;

// Version nodes nest four deep; more is damage, and must not run the stack out.
constexpr int kMaxVersionDepth = 16;

uint16_t Word(const uint8_t* bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

size_t Aligned(size_t offset) {
    return (offset + 3) & ~size_t(3);
}

// Whether the node at `at` and all it holds lie within `end`: its length, its
// zero-ended wide key and its value (characters of a text, else bytes), and
// children that follow each other to the end. The system's look-ups walk such
// nodes by their lengths alone and believe every one of them.
bool IsWholeVersionNode(const uint8_t* bytes, size_t at, size_t end, int depth) {
    constexpr size_t kHeader = 6;  // length, value length, type
    if (depth > kMaxVersionDepth || at + kHeader > end) return false;
    const size_t length = Word(bytes, at);
    const size_t type = Word(bytes, at + 4);
    if (length < kHeader + 2 || length > end - at || type > 1) return false;
    const size_t nodeEnd = at + length;
    size_t key = at + kHeader;
    while (key + 2 <= nodeEnd && Word(bytes, key) != 0) key += 2;
    if (key + 2 > nodeEnd) return false;
    const size_t value = at + Aligned(key + 2 - at);
    const size_t valueBytes = Word(bytes, at + 2) * (type == 1 ? 2u : 1u);
    if (value > nodeEnd || valueBytes > nodeEnd - value) return false;
    for (size_t child = at + Aligned(value + valueBytes - at); child < nodeEnd;
         child = at + Aligned(child + Word(bytes, child) - at)) {
        if (!IsWholeVersionNode(bytes, child, nodeEnd, depth + 1)) return false;
    }
    return true;
}

}  // namespace

TkelFileVersionInfo::TkelFileVersionInfo(const std::string& fileName) : m_fileName(fileName) {
    m_languages = new TStringList;
    try {
        ReadBlock();
        ReadInfo();
    } catch (...) {
        delete m_languages;
        throw;
    }
}

TkelFileVersionInfo::TkelFileVersionInfo(const void* block, uint32_t size) {
    // The block's own length (its first 16 bits). A block longer than the caller
    // gave is cut short, and one whose nodes reach past their parents is damaged:
    // the system's queries would read, and write their converted texts, beyond it.
    const auto* bytes = static_cast<const uint8_t*>(block);
    const uint32_t length = bytes && (size == 0 || size >= 2) ? Word(bytes, 0) : 0;
    if (length == 0 || (size != 0 && size < length) || !IsWholeVersionNode(bytes, 0, length, 0) ||
        Word(bytes, 4) != 0)
        throw EkelFileVersionInfo(LoadResString(SkelFileVersionInfo_NoInfo));
    m_languages = new TStringList;
    // Room behind the block as the system's reader gives it: the ANSI queries
    // convert texts of a wide block into the space after it.
    m_buffer.assign(static_cast<size_t>(length) * 2 + 16, '\0');
    std::memcpy(&m_buffer[0], block, length);
    try {
        ReadInfo();
    } catch (const EOSError&) {
        // A whole block without the fixed information holds no version either.
        delete m_languages;
        throw EkelFileVersionInfo(LoadResString(SkelFileVersionInfo_NoInfo));
    } catch (...) {
        delete m_languages;
        throw;
    }
}

TkelFileVersionInfo::~TkelFileVersionInfo() {
    delete m_languages;
}

void TkelFileVersionInfo::ReadBlock() {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(m_fileName.c_str(), &handle);
    if (size == 0) throw EkelFileVersionInfo(LoadResString(SkelFileVersionInfo_NoInfo));
    m_buffer.assign(size, '\0');
    if (!GetFileVersionInfoA(m_fileName.c_str(), 0, size, &m_buffer[0])) RaiseLastOSError();
}

void TkelFileVersionInfo::ReadInfo() {
    void* pointer = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(&m_buffer[0], "\\", &pointer, &length)) RaiseLastOSError();
    if (length < sizeof(VS_FIXEDFILEINFO)) RaiseLastOSError(ERROR_RESOURCE_DATA_NOT_FOUND);
    m_fixedInfo = static_cast<const VS_FIXEDFILEINFO*>(pointer);

    bool hasNeutral = false;
    if (VerQueryValueA(&m_buffer[0], "\\VarFileInfo\\Translation", &pointer, &length)) {
        const auto* entries = static_cast<const uint32_t*>(pointer);
        for (UINT i = 0; i < length / sizeof(uint32_t); ++i) {
            const uint32_t entry = entries[i];
            if (LOWORD(entry) == 0) {
                hasNeutral = true;
                continue;
            }
            m_languages->AddObject(Format("%.4x%.4x", LOWORD(entry), HIWORD(entry)),
                                   reinterpret_cast<TObject*>(static_cast<uintptr_t>(entry)));
        }
    }
    // The object matches the text, as for every other language of the list.
    if (m_languages->Count() == 0 || hasNeutral)
        m_languages->AddObject(kDefaultLanguage, reinterpret_cast<TObject*>(static_cast<uintptr_t>(kDefaultTranslation)));

    const DWORD flags = m_fixedInfo->dwFileFlags & m_fixedInfo->dwFileFlagsMask;
    if (flags & VS_FF_DEBUG) m_flags |= fvfDebug;
    if (flags & VS_FF_INFOINFERRED) m_flags |= fvfInfoInferred;
    if (flags & VS_FF_PATCHED) m_flags |= fvfPatched;
    if (flags & VS_FF_PRERELEASE) m_flags |= fvfPreRelease;
    if (flags & VS_FF_PRIVATEBUILD) m_flags |= fvfPrivateBuild;
    if (flags & VS_FF_SPECIALBUILD) m_flags |= fvfSpecialBuild;
}

std::string TkelFileVersionInfo::GetBinFileVersion() const {
    return Format("%u.%u.%u.%u", HIWORD(m_fixedInfo->dwFileVersionMS), LOWORD(m_fixedInfo->dwFileVersionMS),
                  HIWORD(m_fixedInfo->dwFileVersionLS), LOWORD(m_fixedInfo->dwFileVersionLS));
}

std::string TkelFileVersionInfo::GetBinProductVersion() const {
    return Format("%u.%u.%u.%u", HIWORD(m_fixedInfo->dwProductVersionMS), LOWORD(m_fixedInfo->dwProductVersionMS),
                  HIWORD(m_fixedInfo->dwProductVersionLS), LOWORD(m_fixedInfo->dwProductVersionLS));
}

uint32_t TkelFileVersionInfo::GetFileOS() const {
    return m_fixedInfo->dwFileOS;
}

uint32_t TkelFileVersionInfo::GetFileType() const {
    return m_fixedInfo->dwFileType;
}

uint32_t TkelFileVersionInfo::GetFileSubType() const {
    return m_fixedInfo->dwFileSubtype;
}

int TkelFileVersionInfo::GetLanguageCount() const {
    return m_languages->Count();
}

uint32_t TkelFileVersionInfo::GetLanguageIds(int index) const {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(m_languages->Objects(index)));
}

std::string TkelFileVersionInfo::GetLanguageNames(int index) const {
    char name[261] = {};
    const DWORD length = VerLanguageNameA(LOWORD(GetLanguageIds(index)), name, 260);
    return std::string(name, std::min<DWORD>(length, 260));
}

std::string TkelFileVersionInfo::GetVersionKeyValue(int keyIndex) const {
    if (keyIndex < 1 || keyIndex > 12) return std::string();
    return GetUserKey(CkelVersionKeys[keyIndex]);
}

std::string TkelFileVersionInfo::GetUserKey(const std::string& keyName) const {
    const std::string path = Format("%s%s\\%s", "\\StringFileInfo\\", m_languages->Strings(m_languageIndex), keyName);
    void* pointer = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(&m_buffer[0], path.c_str(), &pointer, &length) || !pointer) return std::string();
    const char* text = static_cast<const char*>(pointer);
    return std::string(text, strnlen(text, length));
}

void TkelFileVersionInfo::SetLanguageIndex(int index) {
    if (index < 0 || index >= m_languages->Count())
        throw EkelFileVersionInfo(LoadResString(SkelFileVersionInfo_WrongLngIndex));
    m_languageIndex = index;
}
