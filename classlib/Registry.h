// The registry class of the class library: one open key under a root key.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/Classes.h"

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

    bool ValueExists(const std::string& name) const;
    // Raises Exception when the value cannot be written.
    void WriteString(const std::string& name, const std::string& value);
    // The text of a string value; empty when there is none.
    std::string ReadString(const std::string& name) const;
    bool DeleteValue(const std::string& name);

private:
    HKEY m_key = nullptr;
};
