// INI files over the private-profile calls.
#include "classlib/IniFiles.h"

#include <windows.h>

#include <vector>

std::string TIniFile::ReadString(const std::string& section,
                                 const std::string& ident,
                                 const std::string& defaultValue) const {
    // The call cuts a value to the buffer and says so by filling it: grow until it fits.
    for (DWORD size = 2048;; size *= 2) {
        std::vector<char> buffer(size);
        const DWORD length = GetPrivateProfileStringA(section.c_str(), ident.c_str(), defaultValue.c_str(),
                                                      buffer.data(), size, m_fileName.c_str());
        if (length < size - 1 || size >= (1u << 24)) return std::string(buffer.data(), length);
    }
}

void TIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
    if (!WritePrivateProfileStringA(section.c_str(), ident.c_str(), value.c_str(), m_fileName.c_str()))
        throw EIniFileException("Unable to write to " + m_fileName);
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& ident, int32_t defaultValue) const {
    const std::string text = Trim(ReadString(section, ident, std::string()));
    std::string hex;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        hex = text.substr(2);
    else if (text.size() > 1 && text[0] == '$')
        hex = text.substr(1);
    else
        return StrToIntDef(text, defaultValue);
    if (hex.size() > 8) return defaultValue;
    uint32_t value = 0;
    for (char c : hex) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return defaultValue;
        value = value * 16 + uint32_t(digit);
    }
    return static_cast<int32_t>(value);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& ident, int32_t value) {
    WriteString(section, ident, IntToStr(value));
}

bool TIniFile::ReadBool(const std::string& section, const std::string& ident, bool defaultValue) const {
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::UpdateFile() {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, m_fileName.c_str());
}
