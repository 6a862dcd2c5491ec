// Registry keys and values.
#include "classlib/Registry.h"

#include <vector>

#include "classlib/SysUtils.h"

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    CloseKey();
    HKEY opened = nullptr;
    LONG result;
    if (canCreate)
        result = RegCreateKeyExA(RootKey, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                 &opened, nullptr);
    else
        result = RegOpenKeyExA(RootKey, key.c_str(), 0, KEY_ALL_ACCESS, &opened);
    if (result != ERROR_SUCCESS) return false;
    m_key = opened;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
    CloseKey();
    HKEY opened = nullptr;
    if (RegOpenKeyExA(RootKey, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    m_key = opened;
    return true;
}

void TRegistry::CloseKey() {
    if (m_key) {
        RegCloseKey(m_key);
        m_key = nullptr;
    }
}

bool TRegistry::ValueExists(const std::string& name) const {
    return m_key && RegQueryValueExA(m_key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    if (!m_key || RegSetValueExA(m_key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
        throw Exception("Failed to set data for '" + name + "'");
}

std::string TRegistry::ReadString(const std::string& name) const {
    if (!m_key) return std::string();
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(m_key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::string();
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::string();
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(m_key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return std::string();
    return std::string(data.data());
}

bool TRegistry::DeleteValue(const std::string& name) {
    return m_key && RegDeleteValueA(m_key, name.c_str()) == ERROR_SUCCESS;
}
