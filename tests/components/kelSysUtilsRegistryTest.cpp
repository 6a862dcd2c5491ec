// Registry routines of kelSysUtils: values, keys, the autostart entries, change
// notifications; and URL coding.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "classlib/Registry.h"
#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"
#include "kelTestSupport.h"

namespace {

// A key of the test's own under HKEY_CURRENT_USER\Software, removed at both ends.
class TestKey {
public:
    explicit TestKey(const std::string& name)
        : m_path("Software\\kelTest_" + std::to_string(GetCurrentProcessId()) + "_" + name) {
        kelRegDeleteKey(HKEY_CURRENT_USER, m_path);
    }
    ~TestKey() { kelRegDeleteKey(HKEY_CURRENT_USER, m_path); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

DWORD TypeOf(HKEY root, const std::string& key, const std::string& name) {
    HKEY handle = nullptr;
    DWORD type = REG_NONE;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return REG_NONE;
    if (RegQueryValueExA(handle, name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) type = REG_NONE;
    RegCloseKey(handle);
    return type;
}

template <class F>
std::string RegistryErrorOf(F call) {
    try {
        call();
    } catch (const ERegistryException& e) {
        return e.Message();
    }
    return "(none)";
}

// An HKEY that names no open key.
const HKEY kBadRoot = reinterpret_cast<HKEY>(uintptr_t(0x1234));

}  // namespace

//--- Values and keys

TEST(kelRegistry, ValuesRoundTripWithTheirTypes) {
    TestKey key("values");
    const std::string k = key.Path() + "\\sub";
    kelRegWriteBool(HKEY_CURRENT_USER, k, "bool", true);
    kelRegWriteFloat(HKEY_CURRENT_USER, k, "float", -1.25);
    kelRegWriteInteger(HKEY_CURRENT_USER, k, "int", 123456);
    kelRegWriteString(HKEY_CURRENT_USER, k, "plain", "C:\\x");
    kelRegWriteString(HKEY_CURRENT_USER, k, "expand", "%SystemRoot%\\x");
    kelRegWriteExpandString(HKEY_CURRENT_USER, k, "always", "C:\\y");
    EXPECT_TRUE(kelRegReadBool(HKEY_CURRENT_USER, k, "bool"));
    EXPECT_EQ(-1.25, kelRegReadFloat(HKEY_CURRENT_USER, k, "float"));
    EXPECT_EQ(123456, kelRegReadInteger(HKEY_CURRENT_USER, k, "int"));
    EXPECT_EQ("C:\\x", kelRegReadString(HKEY_CURRENT_USER, k, "plain"));
    EXPECT_EQ("%SystemRoot%\\x", kelRegReadString(HKEY_CURRENT_USER, k, "expand"));
    EXPECT_EQ(DWORD(REG_SZ), TypeOf(HKEY_CURRENT_USER, k, "plain"));
    EXPECT_EQ(DWORD(REG_EXPAND_SZ), TypeOf(HKEY_CURRENT_USER, k, "expand"));
    EXPECT_EQ(DWORD(REG_EXPAND_SZ), TypeOf(HKEY_CURRENT_USER, k, "always"));
    EXPECT_EQ(DWORD(REG_DWORD), TypeOf(HKEY_CURRENT_USER, k, "bool"));
    EXPECT_EQ(DWORD(REG_BINARY), TypeOf(HKEY_CURRENT_USER, k, "float"));
    kelRegWriteString(HKEY_CURRENT_USER, k, "expand", "now plain");
    EXPECT_EQ(DWORD(REG_SZ), TypeOf(HKEY_CURRENT_USER, k, "expand"));
}

TEST(kelRegistry, ReadersWithoutADefaultRaiseForAMissingKey) {
    TestKey key("missing");
    const std::string missing = key.Path() + "\\nothing";
    const std::string message = "Unable to open the " + missing + " key";
    EXPECT_EQ(message, RegistryErrorOf([&] { kelRegReadString(HKEY_CURRENT_USER, missing, "v"); }));
    EXPECT_EQ(message, RegistryErrorOf([&] { kelRegReadInteger(HKEY_CURRENT_USER, missing, "v"); }));
    EXPECT_EQ(message, RegistryErrorOf([&] { kelRegReadBool(HKEY_CURRENT_USER, missing, "v"); }));
    EXPECT_EQ(message, RegistryErrorOf([&] { kelRegReadFloat(HKEY_CURRENT_USER, missing, "v"); }));
    EXPECT_FALSE(kelRegKeyExists(HKEY_CURRENT_USER, missing));  // reading made no key

    // A missing value in an existing key: an empty string, an error for the numbers.
    kelRegWriteInteger(HKEY_CURRENT_USER, key.Path(), "present", 1);
    EXPECT_EQ("", kelRegReadString(HKEY_CURRENT_USER, key.Path(), "absent"));
    EXPECT_THROW(kelRegReadInteger(HKEY_CURRENT_USER, key.Path(), "absent"), ERegistryException);
    EXPECT_THROW(kelRegReadBool(HKEY_CURRENT_USER, key.Path(), "absent"), ERegistryException);
    EXPECT_THROW(kelRegReadFloat(HKEY_CURRENT_USER, key.Path(), "absent"), ERegistryException);

    const std::string bad = "Unable to open the k key";
    EXPECT_EQ(bad, RegistryErrorOf([] { kelRegWriteString(kBadRoot, "k", "v", "x"); }));
    EXPECT_EQ(bad, RegistryErrorOf([] { kelRegWriteInteger(kBadRoot, "k", "v", 1); }));
    EXPECT_EQ(bad, RegistryErrorOf([] { kelRegWriteBool(kBadRoot, "k", "v", true); }));
    EXPECT_EQ(bad, RegistryErrorOf([] { kelRegWriteFloat(kBadRoot, "k", "v", 1.0); }));
    EXPECT_EQ(bad, RegistryErrorOf([] { kelRegWriteExpandString(kBadRoot, "k", "v", "x"); }));
}

TEST(kelRegistry, DefaultReadersNeverRaise) {
    TestKey key("defaults");
    const std::string k = key.Path();
    kelRegWriteString(HKEY_CURRENT_USER, k, "text", "value");
    kelRegWriteInteger(HKEY_CURRENT_USER, k, "number", 0);
    for (const std::string& where : {k + "\\missing", k}) {
        EXPECT_EQ("def", kelRegReadStringDef(HKEY_CURRENT_USER, where, "absent", "def"));
        EXPECT_EQ(7, kelRegReadIntegerDef(HKEY_CURRENT_USER, where, "absent", 7));
        EXPECT_TRUE(kelRegReadBoolDef(HKEY_CURRENT_USER, where, "absent", true));
        EXPECT_EQ(0.5, kelRegReadFloatDef(HKEY_CURRENT_USER, where, "absent", 0.5));
    }
    EXPECT_EQ("value", kelRegReadStringDef(HKEY_CURRENT_USER, k, "text", "def"));
    EXPECT_FALSE(kelRegReadBoolDef(HKEY_CURRENT_USER, k, "number", true));
    EXPECT_EQ(0, kelRegReadIntegerDef(HKEY_CURRENT_USER, k, "number", 7));
    // A value of another kind than the reader's gives the default too.
    EXPECT_EQ(7, kelRegReadIntegerDef(HKEY_CURRENT_USER, k, "text", 7));
    EXPECT_EQ("def", kelRegReadStringDef(HKEY_CURRENT_USER, k, "number", "def"));
    EXPECT_EQ("def", kelRegReadStringDef(kBadRoot, "k", "v", "def"));
}

TEST(kelRegistry, EntriesAndKeysAreDeleted) {
    TestKey key("delete");
    kelRegWriteString(HKEY_CURRENT_USER, key.Path() + "\\a\\b", "v", "x");
    EXPECT_TRUE(kelRegKeyExists(HKEY_CURRENT_USER, key.Path() + "\\a\\b"));
    EXPECT_TRUE(kelRegDeleteEntry(HKEY_CURRENT_USER, key.Path() + "\\a\\b", "v"));
    EXPECT_FALSE(kelRegDeleteEntry(HKEY_CURRENT_USER, key.Path() + "\\a\\b", "v"));
    EXPECT_FALSE(kelRegDeleteEntry(HKEY_CURRENT_USER, key.Path() + "\\none", "v"));
    EXPECT_FALSE(kelRegKeyExists(HKEY_CURRENT_USER, key.Path() + "\\none"));
    // A key goes with its subkeys.
    EXPECT_TRUE(kelRegDeleteKey(HKEY_CURRENT_USER, key.Path() + "\\a"));
    EXPECT_FALSE(kelRegKeyExists(HKEY_CURRENT_USER, key.Path() + "\\a"));
    EXPECT_FALSE(kelRegDeleteKey(HKEY_CURRENT_USER, key.Path() + "\\a"));
    EXPECT_TRUE(kelRegKeyExists(HKEY_CURRENT_USER, key.Path()));
}

TEST(kelRegistry, ClassesRootKeysWithTheirDefaultValue) {
    const std::string name = "kelTest_" + std::to_string(GetCurrentProcessId()) + ".kelzzz";
    EXPECT_EQ(ERROR_SUCCESS, kelRegCreateKey(name + "\\shell", "open it"));
    char value[64] = {};
    LONG size = sizeof value;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueA(HKEY_CLASSES_ROOT, (name + "\\shell").c_str(), value, &size));
    EXPECT_STREQ("open it", value);
    EXPECT_TRUE(kelRegDeleteKey(HKEY_CLASSES_ROOT, name));
    EXPECT_FALSE(kelRegKeyExists(HKEY_CLASSES_ROOT, name));
}

//--- Autostart

TEST(kelAutoExec, KindsNameTheirRunKeys) {
    const struct {
        TkelAutoExecKind kind;
        HKEY root;
        const char* last;
    } cases[] = {
        {aekMachineRun, HKEY_LOCAL_MACHINE, "Run"},
        {aekMachineRunOnce, HKEY_LOCAL_MACHINE, "RunOnce"},
        {aekUserRun, HKEY_CURRENT_USER, "Run"},
        {aekUserRunOnce, HKEY_CURRENT_USER, "RunOnce"},
        {aekServiceRun, HKEY_LOCAL_MACHINE, "RunServices"},
        {aekServiceRunOnce, HKEY_LOCAL_MACHINE, "RunServicesOnce"},
    };
    // The seam sees each key as Windows names it, and sends it nowhere.
    std::vector<std::pair<HKEY, std::string>> asked;
    kelPlatformHooks().RedirectRegistryKey = [&](HKEY& root, std::string& key) {
        asked.push_back({root, key});
        root = kBadRoot;
    };
    const bool isNT = IsWinNT;
    IsWinNT = false;  // the service kinds are asked for only outside the NT family
    for (const auto& c : cases) {
        asked.clear();
        EXPECT_FALSE(kelRegisterAutoExec(c.kind, "C:\\app.exe")) << c.kind;
        ASSERT_EQ(1u, asked.size()) << c.kind;
        EXPECT_EQ(c.root, asked[0].first) << c.kind;
        EXPECT_EQ(std::string("Software\\Microsoft\\Windows\\CurrentVersion\\") + c.last, asked[0].second) << c.kind;
    }
    IsWinNT = isNT;
    kelPlatformHooks().RedirectRegistryKey = nullptr;
}

TEST(kelAutoExec, RegisterAndUnregisterUnderTheFileName) {
    RegistryRedirect redirect;
    const std::string run = redirect.Moved(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    const std::string machine =
        redirect.Moved(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce");

    // A Run key that is not there cannot be opened; a name that is not in it is gone already.
    EXPECT_FALSE(kelUnregisterAutoExec(aekUserRun, "C:\\Apps\\tool.exe"));
    EXPECT_TRUE(kelRegisterAutoExec(aekUserRun, "C:\\Program Files\\App\\app.exe"));
    // Quoted, or Windows would try "C:\Program.exe" first.
    EXPECT_EQ("\"C:\\Program Files\\App\\app.exe\"", kelRegReadString(HKEY_CURRENT_USER, run, "app.exe"));
    EXPECT_EQ(DWORD(REG_SZ), TypeOf(HKEY_CURRENT_USER, run, "app.exe"));
    EXPECT_TRUE(kelUnregisterAutoExec(aekUserRun, "C:\\Apps\\tool.exe"));

    EXPECT_TRUE(kelRegisterAutoExec(aekUserRun, "%ProgramFiles%\\Other\\other.exe"));
    EXPECT_EQ(DWORD(REG_EXPAND_SZ), TypeOf(HKEY_CURRENT_USER, run, "other.exe"));
    EXPECT_TRUE(kelUnregisterAutoExec(aekUserRun, "D:\\elsewhere\\app.exe"));  // the name is what counts
    EXPECT_EQ(DWORD(REG_NONE), TypeOf(HKEY_CURRENT_USER, run, "app.exe"));
    EXPECT_EQ(DWORD(REG_EXPAND_SZ), TypeOf(HKEY_CURRENT_USER, run, "other.exe"));

    EXPECT_TRUE(kelRegisterAutoExec(aekMachineRunOnce, "C:\\setup.exe"));
    EXPECT_EQ("\"C:\\setup.exe\"", kelRegReadString(HKEY_CURRENT_USER, machine, "setup.exe"));
    EXPECT_TRUE(kelUnregisterAutoExec(aekMachineRunOnce, "C:\\setup.exe"));
}

TEST(kelAutoExec, ServiceKindsAreRefusedOnTheNTFamily) {
    ASSERT_TRUE(IsWinNT);
    RegistryRedirect redirect;
    EXPECT_FALSE(kelRegisterAutoExec(aekServiceRun, "C:\\svc.exe"));
    EXPECT_FALSE(kelRegisterAutoExec(aekServiceRunOnce, "C:\\svc.exe"));
    EXPECT_FALSE(kelUnregisterAutoExec(aekServiceRun, "C:\\svc.exe"));
    EXPECT_FALSE(kelRegKeyExists(HKEY_CURRENT_USER, redirect.Base()));  // nothing was written
}

TEST(kelAutoExec, AFailureToWriteIsFalse) {
    kelPlatformHooks().RedirectRegistryKey = [](HKEY& root, std::string& key) {
        root = kBadRoot;
        key = "x";
    };
    EXPECT_FALSE(kelRegisterAutoExec(aekUserRun, "C:\\app.exe"));
    EXPECT_FALSE(kelUnregisterAutoExec(aekUserRun, "C:\\app.exe"));
    kelPlatformHooks().RedirectRegistryKey = nullptr;
}

//--- Change notifications

TEST(kelRegistryNotification, SignalsChangesAndArmsAgain) {
    TestKey key("notify");
    kelRegWriteString(HKEY_CURRENT_USER, key.Path(), "v", "0");
    HKEY handle = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, key.Path().c_str(), 0, KEY_NOTIFY | KEY_READ, &handle));
    _REG_CHANGE_DATA data = {};
    const HANDLE event =
        kelRegFindFirstChangeNotification(handle, true, REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME, data);
    ASSERT_NE(INVALID_HANDLE_VALUE, event);
    EXPECT_EQ(handle, data.Key);
    EXPECT_EQ(0xFFFFFFFFu, data.WatchSubTree);
    EXPECT_EQ(uint32_t(REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME), data.NotifyFilter);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 0));

    kelRegWriteString(HKEY_CURRENT_USER, key.Path(), "v", "1");
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, 3000));
    EXPECT_TRUE(kelRegFindNextChangeNotification(event, data));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 0));
    kelRegWriteString(HKEY_CURRENT_USER, key.Path() + "\\child", "w", "2");  // the subtree is watched
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, 3000));

    kelRegFindCloseChangeNotification(event);
    kelRegFindCloseChangeNotification(INVALID_HANDLE_VALUE);
    RegCloseKey(handle);
    EXPECT_FALSE(kelRegFindNextChangeNotification(INVALID_HANDLE_VALUE, data));

    _REG_CHANGE_DATA none = {};
    SetLastError(0);
    EXPECT_EQ(INVALID_HANDLE_VALUE, kelRegFindFirstChangeNotification(kBadRoot, false, REG_NOTIFY_CHANGE_NAME, none));
    EXPECT_NE(0u, GetLastError());
    EXPECT_EQ(0u, none.WatchSubTree);
}

//--- URL coding

TEST(kelUrl, EncodeAndDecode) {
    const struct {
        const char* text;
        const char* encoded;
    } cases[] = {
        {"a b#", "a%20b%23"},     {"+", "+"}, {"100%", "100%25"},         {"<*>", "%3C%2A%3E"},
        {"\xE9t\xE9", "%E9t%E9"}, {"", ""},   {"a/b?c=d&e", "a/b?c=d&e"}, {"\x7F", "\x7F"},
        {"\x80", "%80"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.encoded, kelUrlEncode(c.text)) << c.text;

    const struct {
        const char* text;
        const char* decoded;
    } decodes[] = {
        {"a+b%41%zz", "a bA"}, {"%e9t%E9", "\xE9t\xE9"}, {"%00x", "x"}, {"%", ""}, {"%4", "\x04"}, {"%4g1", "1"},
        {"a%2", "a\x02"},      {"100%25", "100%"},       {"%2B", "+"},  {"", ""},  {"%%41", "1"},
    };
    for (const auto& d : decodes) EXPECT_EQ(d.decoded, kelUrlDecode(d.text)) << d.text;
    // Every text without "+" (which decodes to a blank) comes back.
    for (const auto& c : cases) {
        if (!std::strchr(c.text, '+')) {
            EXPECT_EQ(c.text, kelUrlDecode(kelUrlEncode(c.text))) << c.text;
        }
    }
}
