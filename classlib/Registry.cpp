// Registry keys and values.
#include "classlib/Registry.h"

#include <vector>

namespace {

// A key's path below the root: a leading separator names the root itself, and a
// trailing one adds nothing.
std::string KeyPath(const std::string& key) {
    std::string path = !key.empty() && key[0] == '\\' ? key.substr(1) : key;
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

// Deletes the subkeys of an open key, deepest first, then the key itself.
bool DeleteKeyTree(HKEY parent, const std::string& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(parent, key.c_str(), 0, KEY_READ | KEY_WRITE, &handle) != ERROR_SUCCESS) return false;
    std::vector<std::string> subkeys;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(handle, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(name, length);
    }
    for (const std::string& subkey : subkeys) DeleteKeyTree(handle, subkey);
    RegCloseKey(handle);
    return RegDeleteKeyA(parent, key.c_str()) == ERROR_SUCCESS;
}

}  // namespace

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    CloseKey();
    const std::string path = KeyPath(key);
    HKEY opened = nullptr;
    LONG result;
    if (canCreate)
        result = RegCreateKeyExA(RootKey, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                 &opened, nullptr);
    else
        result = RegOpenKeyExA(RootKey, path.c_str(), 0, KEY_ALL_ACCESS, &opened);
    if (result != ERROR_SUCCESS) return false;
    m_key = opened;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
    CloseKey();
    HKEY opened = nullptr;
    if (RegOpenKeyExA(RootKey, KeyPath(key).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    m_key = opened;
    return true;
}

void TRegistry::CloseKey() {
    if (m_key) {
        RegCloseKey(m_key);
        m_key = nullptr;
    }
}

bool TRegistry::KeyExists(const std::string& key) const {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(RootKey, KeyPath(key).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

bool TRegistry::DeleteKey(const std::string& key) {
    const std::string path = KeyPath(key);
    // An empty name would delete the root's own contents.
    if (path.empty()) return false;
    return DeleteKeyTree(RootKey, path);
}

bool TRegistry::ValueExists(const std::string& name) const {
    return m_key && RegQueryValueExA(m_key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void TRegistry::WriteData(const std::string& name, DWORD type, const void* data, DWORD size) {
    if (!m_key || RegSetValueExA(m_key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
        throw ERegistryException("Failed to set data for '" + name + "'");
}

void TRegistry::ReadData(const std::string& name, DWORD type, void* data, DWORD size) const {
    DWORD actualType = 0;
    DWORD actualSize = 0;
    if (!m_key || RegQueryValueExA(m_key, name.c_str(), nullptr, &actualType, nullptr, &actualSize) != ERROR_SUCCESS)
        throw ERegistryException("Failed to get data for '" + name + "'");
    if (actualType != type || actualSize != size) throw ERegistryException("Invalid data type for '" + name + "'");
    if (RegQueryValueExA(m_key, name.c_str(), nullptr, nullptr, static_cast<BYTE*>(data), &actualSize) != ERROR_SUCCESS)
        throw ERegistryException("Failed to get data for '" + name + "'");
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    WriteData(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
    WriteData(name, REG_EXPAND_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

std::string TRegistry::ReadString(const std::string& name) const {
    if (!m_key) return std::string();
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(m_key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::string();
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw ERegistryException("Invalid data type for '" + name + "'");
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(m_key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return std::string();
    return std::string(data.data());
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
    const DWORD data = static_cast<DWORD>(value);
    WriteData(name, REG_DWORD, &data, sizeof data);
}

int32_t TRegistry::ReadInteger(const std::string& name) const {
    DWORD data = 0;
    ReadData(name, REG_DWORD, &data, sizeof data);
    return static_cast<int32_t>(data);
}

void TRegistry::WriteBool(const std::string& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

bool TRegistry::ReadBool(const std::string& name) const {
    return ReadInteger(name) != 0;
}

void TRegistry::WriteFloat(const std::string& name, double value) {
    WriteData(name, REG_BINARY, &value, sizeof value);
}

double TRegistry::ReadFloat(const std::string& name) const {
    double value = 0;
    ReadData(name, REG_BINARY, &value, sizeof value);
    return value;
}

bool TRegistry::DeleteValue(const std::string& name) {
    return m_key && RegDeleteValueA(m_key, name.c_str()) == ERROR_SUCCESS;
}
