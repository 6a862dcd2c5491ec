// The registry class of the class library: one open key under a root key.
//
// Missing values: ReadString of a value that does not exist reads an empty text;
// ReadInteger, ReadBool and ReadFloat raise ERegistryException for it, since no
// number stands for "nothing". A value of another type than the reader's raises
// ERegistryException in every reader. Writers raise it when the value cannot be
// written (no key open, a key opened for reading only).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

class TRegistry : public TObject {
public:
    TRegistry() = default;
    ~TRegistry() override { CloseKey(); }
    const char* ClassName() const override { return "TRegistry"; }

    HKEY RootKey = HKEY_CURRENT_USER;
    // Opens a key below RootKey for reading and writing, creating it when asked.
    bool OpenKey(const std::string& key, bool canCreate);
    bool OpenKeyReadOnly(const std::string& key);
    void CloseKey();
    bool HasOpenKey() const { return m_key != nullptr; }
    HKEY CurrentKey() const { return m_key; }

    // Whether the key exists below RootKey.
    bool KeyExists(const std::string& key) const;
    // Deletes the key below RootKey with all its subkeys; false when that failed.
    bool DeleteKey(const std::string& key);

    bool ValueExists(const std::string& name) const;
    // A plain string value (REG_SZ).
    void WriteString(const std::string& name, const std::string& value);
    // A string value whose environment references the reader expands (REG_EXPAND_SZ).
    void WriteExpandString(const std::string& name, const std::string& value);
    // The text of a string value (plain or expandable, not expanded); empty when there is none.
    std::string ReadString(const std::string& name) const;
    // A 32-bit number (REG_DWORD).
    void WriteInteger(const std::string& name, int32_t value);
    int32_t ReadInteger(const std::string& name) const;
    // A number, 1 for true and 0 for false; any number but 0 reads true.
    void WriteBool(const std::string& name, bool value);
    bool ReadBool(const std::string& name) const;
    // A double as its 8 bytes (REG_BINARY).
    void WriteFloat(const std::string& name, double value);
    double ReadFloat(const std::string& name) const;
    bool DeleteValue(const std::string& name);

private:
    void WriteData(const std::string& name, DWORD type, const void* data, DWORD size);
    // Reads a value of exactly that type (and size, when size is not 0) or raises.
    void ReadData(const std::string& name, DWORD type, void* data, DWORD size) const;

    HKEY m_key = nullptr;
};
