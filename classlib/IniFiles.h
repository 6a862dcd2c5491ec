// INI files of the class library, read and written through the system's
// private-profile calls. A file name without a folder names a file in the
// Windows folder, as those calls take it.
#pragma once

#include <cstdint>
#include <string>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

// A value could not be written.
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

class TIniFile : public TObject {
public:
    explicit TIniFile(std::string fileName) : m_fileName(std::move(fileName)) {}
    const char* ClassName() const override { return "TIniFile"; }
    const std::string& FileName() const { return m_fileName; }

    // The value's text; the default when the section or the key is missing.
    std::string ReadString(const std::string& section, const std::string& ident, const std::string& defaultValue) const;
    // Raises EIniFileException when the file cannot be written.
    void WriteString(const std::string& section, const std::string& ident, const std::string& value);
    // Decimal, or hexadecimal after "0x" or "$"; the default for a missing key or any other text.
    int32_t ReadInteger(const std::string& section, const std::string& ident, int32_t defaultValue) const;
    void WriteInteger(const std::string& section, const std::string& ident, int32_t value);
    // A number: 0 is false, any other true; written as "1" or "0".
    bool ReadBool(const std::string& section, const std::string& ident, bool defaultValue) const;
    void WriteBool(const std::string& section, const std::string& ident, bool value);

    // Writes what the system may still hold of the file in memory.
    void UpdateFile();

private:
    std::string m_fileName;
};
