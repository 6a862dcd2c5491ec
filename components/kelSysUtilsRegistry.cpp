// kelSysUtils: registry values, the autostart entries, registry change
// notifications and URL coding.
#include <windows.h>

#include "classlib/Registry.h"
#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"
#include "components/kelVclConsts.h"

namespace {

const char kAutoExecBase[] = "Software\\Microsoft\\Windows\\CurrentVersion\\";

[[noreturn]] void RaiseUnableToOpen(const std::string& key) {
    throw ERegistryException(Format(LoadResString(SkelRegistry_UnableToOpenKey), key));
}

// Reading needs no write access: keys of the machine open for reading where an
// ordinary user may not write.
template <class Read>
auto ReadFromKey(HKEY root, const std::string& key, Read read) {
    TRegistry registry;
    registry.RootKey = root;
    if (!registry.OpenKeyReadOnly(key)) RaiseUnableToOpen(key);
    return read(registry);
}

// The value when the key opens and the value exists and is of the reader's kind, else the default.
template <class T, class Read>
T ReadFromKeyDef(HKEY root, const std::string& key, const std::string& name, T defaultValue, Read read) {
    TRegistry registry;
    registry.RootKey = root;
    if (!registry.OpenKeyReadOnly(key) || !registry.ValueExists(name)) return defaultValue;
    try {
        return read(registry);
    } catch (const ERegistryException&) {
        return defaultValue;
    }
}

template <class Write>
void WriteToKey(HKEY root, const std::string& key, Write write) {
    TRegistry registry;
    registry.RootKey = root;
    if (!registry.OpenKey(key, true)) RaiseUnableToOpen(key);
    write(registry);
}

// The root and the Run key of each kind, as Windows names them (the platform
// hooks may then move them).
void GetAutoExecKey(TkelAutoExecKind kind, HKEY& root, std::string& key) {
    root = kind == aekUserRun || kind == aekUserRunOnce ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    switch (kind) {
        case aekMachineRun:
        case aekUserRun: key = std::string(kAutoExecBase) + "Run"; break;
        case aekMachineRunOnce:
        case aekUserRunOnce: key = std::string(kAutoExecBase) + "RunOnce"; break;
        case aekServiceRun: key = std::string(kAutoExecBase) + "RunServices"; break;
        case aekServiceRunOnce: key = std::string(kAutoExecBase) + "RunServicesOnce"; break;
    }
    kelRedirectRegistryKey(root, key);
}

bool IsServiceKind(TkelAutoExecKind kind) {
    return kind == aekServiceRun || kind == aekServiceRunOnce;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

//=== Registry

LONG kelRegCreateKey(const std::string& key, const std::string& value) {
    return RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(), static_cast<DWORD>(value.size()));
}

bool kelRegDeleteEntry(HKEY root, const std::string& key, const std::string& name) {
    TRegistry registry;
    registry.RootKey = root;
    return registry.OpenKey(key, false) && registry.DeleteValue(name);
}

bool kelRegDeleteKey(HKEY root, const std::string& key) {
    TRegistry registry;
    registry.RootKey = root;
    return registry.KeyExists(key) && registry.DeleteKey(key);
}

bool kelRegKeyExists(HKEY root, const std::string& key) {
    TRegistry registry;
    registry.RootKey = root;
    return registry.KeyExists(key);
}

bool kelRegReadBool(HKEY root, const std::string& key, const std::string& name) {
    return ReadFromKey(root, key, [&](TRegistry& registry) { return registry.ReadBool(name); });
}

double kelRegReadFloat(HKEY root, const std::string& key, const std::string& name) {
    return ReadFromKey(root, key, [&](TRegistry& registry) { return registry.ReadFloat(name); });
}

int32_t kelRegReadInteger(HKEY root, const std::string& key, const std::string& name) {
    return ReadFromKey(root, key, [&](TRegistry& registry) { return registry.ReadInteger(name); });
}

std::string kelRegReadString(HKEY root, const std::string& key, const std::string& name) {
    return ReadFromKey(root, key, [&](TRegistry& registry) { return registry.ReadString(name); });
}

bool kelRegReadBoolDef(HKEY root, const std::string& key, const std::string& name, bool defaultValue) {
    return ReadFromKeyDef(root, key, name, defaultValue, [&](TRegistry& registry) { return registry.ReadBool(name); });
}

double kelRegReadFloatDef(HKEY root, const std::string& key, const std::string& name, double defaultValue) {
    return ReadFromKeyDef(root, key, name, defaultValue, [&](TRegistry& registry) { return registry.ReadFloat(name); });
}

int32_t kelRegReadIntegerDef(HKEY root, const std::string& key, const std::string& name, int32_t defaultValue) {
    return ReadFromKeyDef(root, key, name, defaultValue,
                          [&](TRegistry& registry) { return registry.ReadInteger(name); });
}

std::string kelRegReadStringDef(HKEY root,
                                const std::string& key,
                                const std::string& name,
                                const std::string& defaultValue) {
    return ReadFromKeyDef(root, key, name, defaultValue,
                          [&](TRegistry& registry) { return registry.ReadString(name); });
}

void kelRegWriteBool(HKEY root, const std::string& key, const std::string& name, bool value) {
    WriteToKey(root, key, [&](TRegistry& registry) { registry.WriteBool(name, value); });
}

void kelRegWriteFloat(HKEY root, const std::string& key, const std::string& name, double value) {
    WriteToKey(root, key, [&](TRegistry& registry) { registry.WriteFloat(name, value); });
}

void kelRegWriteInteger(HKEY root, const std::string& key, const std::string& name, int32_t value) {
    WriteToKey(root, key, [&](TRegistry& registry) { registry.WriteInteger(name, value); });
}

void kelRegWriteString(HKEY root, const std::string& key, const std::string& name, const std::string& value) {
    WriteToKey(root, key, [&](TRegistry& registry) {
        if (value.find('%') != std::string::npos)
            registry.WriteExpandString(name, value);
        else
            registry.WriteString(name, value);
    });
}

void kelRegWriteExpandString(HKEY root, const std::string& key, const std::string& name, const std::string& value) {
    WriteToKey(root, key, [&](TRegistry& registry) { registry.WriteExpandString(name, value); });
}

//=== Autostart

bool kelRegisterAutoExec(TkelAutoExecKind kind, const std::string& fileName) {
    // The NT family starts services its own way; these keys would do nothing there.
    if (IsWinNT && IsServiceKind(kind)) return false;
    HKEY root = nullptr;
    std::string key;
    GetAutoExecKey(kind, root, key);
    try {
        // Quoted: unquoted, a path with blanks ("D:\My Tools\app.exe") is tried
        // as "D:\My.exe" first at every logon.
        kelRegWriteString(root, key, kelExtractFileName(fileName), kelEncloseString(fileName, '"'));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool kelUnregisterAutoExec(TkelAutoExecKind kind, const std::string& fileName) {
    if (IsWinNT && IsServiceKind(kind)) return false;
    HKEY root = nullptr;
    std::string key;
    GetAutoExecKey(kind, root, key);
    TRegistry registry;
    registry.RootKey = root;
    if (!registry.OpenKey(key, false)) return false;
    const std::string name = kelExtractFileName(fileName);
    if (registry.ValueExists(name)) return registry.DeleteValue(name);
    return true;
}

//=== Registry change notifications

HANDLE kelRegFindFirstChangeNotification(HKEY key, bool watchSubTree, uint32_t filter, _REG_CHANGE_DATA& data) {
    data.Key = key;
    data.WatchSubTree = watchSubTree ? 0xFFFFFFFFu : 0u;
    data.NotifyFilter = filter;
    const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!event) return INVALID_HANDLE_VALUE;
    LONG result = RegNotifyChangeKeyValue(key, watchSubTree, filter, event, TRUE);
    // A change that came while the notification was being armed has used it up.
    if (result == ERROR_SUCCESS && WaitForSingleObject(event, 0) == WAIT_OBJECT_0)
        result = RegNotifyChangeKeyValue(key, watchSubTree, filter, event, TRUE);
    if (result != ERROR_SUCCESS) {
        CloseHandle(event);
        SetLastError(static_cast<DWORD>(result));
        return INVALID_HANDLE_VALUE;
    }
    return event;
}

bool kelRegFindNextChangeNotification(HANDLE handle, const _REG_CHANGE_DATA& data) {
    if (handle == INVALID_HANDLE_VALUE || !handle || !ResetEvent(handle)) return false;
    const LONG result = RegNotifyChangeKeyValue(data.Key, data.WatchSubTree != 0, data.NotifyFilter, handle, TRUE);
    if (result != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(result));
        return false;
    }
    return true;
}

void kelRegFindCloseChangeNotification(HANDLE handle) {
    if (handle != INVALID_HANDLE_VALUE && handle) CloseHandle(handle);
}

//=== URL coding

std::string kelUrlDecode(const std::string& s) {
    std::string text = s;
    kelReplaceChars(text, '+', ' ');
    std::string result;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '%') {
            result += text[i++];
            continue;
        }
        // The (up to) two characters after "%" as a hexadecimal number.
        const std::string digits = text.substr(i + 1, 2);
        int value = digits.empty() ? -1 : 0;
        for (char c : digits) {
            const int digit = HexValue(c);
            if (digit < 0) {
                value = -1;
                break;
            }
            value = value * 16 + digit;
        }
        if (value >= 1 && value <= 255) result += static_cast<char>(value);
        i += 3;
    }
    return result;
}

std::string kelUrlEncode(const std::string& s) {
    std::string result;
    for (char c : s) {
        const unsigned char code = static_cast<unsigned char>(c);
        if (code >= 128 || c == ' ' || c == '*' || c == '#' || c == '%' || c == '<' || c == '>') {
            result += '%' + kelBinaryToString(&code, 1);
        } else {
            result += c;
        }
    }
    return result;
}
