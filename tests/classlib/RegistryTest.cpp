// Registry keys and values.
#include <gtest/gtest.h>

#include "classlib/Registry.h"
#include "classlib/SysUtils.h"

TEST(Registry, StringValuesCanBeWrittenReadTestedAndDeleted) {
    const char* key = "Software\\QuibReminderTests\\Registry";
    TRegistry registry;
    registry.RootKey = HKEY_CURRENT_USER;
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
    EXPECT_FALSE(registry.OpenKey(key, false));
    ASSERT_TRUE(registry.OpenKey(key, true));
    EXPECT_FALSE(registry.ValueExists("Quib Reminder"));
    registry.WriteString("Quib Reminder", "C:\\Programs\\QuibReminder.exe");
    EXPECT_TRUE(registry.ValueExists("Quib Reminder"));
    EXPECT_EQ(registry.ReadString("Quib Reminder"), "C:\\Programs\\QuibReminder.exe");
    EXPECT_TRUE(registry.DeleteValue("Quib Reminder"));
    EXPECT_FALSE(registry.DeleteValue("Quib Reminder"));
    EXPECT_FALSE(registry.ValueExists("Quib Reminder"));
    registry.CloseKey();
    EXPECT_TRUE(registry.OpenKeyReadOnly(key));
    EXPECT_THROW(registry.WriteString("x", "y"), Exception);
    registry.CloseKey();
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
}

namespace {

// A key of the test's own under HKEY_CURRENT_USER\Software, removed with everything below it.
class TestKey {
public:
    TestKey() : m_path("Software\\QuibReminderTests\\Registry" + std::to_string(GetCurrentProcessId())) {
        TRegistry registry;
        registry.DeleteKey(m_path);
    }
    ~TestKey() {
        TRegistry registry;
        registry.DeleteKey(m_path);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

DWORD TypeOf(const std::string& key, const char* name) {
    HKEY handle = nullptr;
    DWORD type = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return 0;
    RegQueryValueExA(handle, name, nullptr, &type, nullptr, nullptr);
    RegCloseKey(handle);
    return type;
}

}  // namespace

TEST(Registry, NumbersBooleansAndFloatsKeepTheirTypes) {
    TestKey key;
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(key.Path(), true));
    registry.WriteInteger("int", -7);
    registry.WriteBool("yes", true);
    registry.WriteBool("no", false);
    registry.WriteFloat("float", 2.5e-3);
    registry.WriteExpandString("expand", "%TEMP%\\x");
    EXPECT_EQ(-7, registry.ReadInteger("int"));
    EXPECT_TRUE(registry.ReadBool("yes"));
    EXPECT_FALSE(registry.ReadBool("no"));
    EXPECT_TRUE(registry.ReadBool("int"));  // any number but 0
    EXPECT_DOUBLE_EQ(2.5e-3, registry.ReadFloat("float"));
    // Expandable strings read back unexpanded.
    EXPECT_EQ("%TEMP%\\x", registry.ReadString("expand"));
    EXPECT_EQ(DWORD(REG_DWORD), TypeOf(key.Path(), "int"));
    EXPECT_EQ(DWORD(REG_DWORD), TypeOf(key.Path(), "yes"));
    EXPECT_EQ(DWORD(REG_BINARY), TypeOf(key.Path(), "float"));
    EXPECT_EQ(DWORD(REG_EXPAND_SZ), TypeOf(key.Path(), "expand"));
}

TEST(Registry, MissingValuesReadEmptyAsTextAndRaiseAsNumbers) {
    TestKey key;
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(key.Path(), true));
    EXPECT_EQ("", registry.ReadString("missing"));
    EXPECT_THROW(registry.ReadInteger("missing"), ERegistryException);
    EXPECT_THROW(registry.ReadBool("missing"), ERegistryException);
    EXPECT_THROW(registry.ReadFloat("missing"), ERegistryException);
    // Another type than the reader's raises in every reader.
    registry.WriteString("text", "12");
    registry.WriteInteger("number", 12);
    EXPECT_THROW(registry.ReadInteger("text"), ERegistryException);
    EXPECT_THROW(registry.ReadFloat("number"), ERegistryException);
    EXPECT_THROW(registry.ReadString("number"), ERegistryException);
    registry.CloseKey();
    // Without an open key nothing is read or written.
    EXPECT_EQ("", registry.ReadString("text"));
    EXPECT_THROW(registry.ReadInteger("number"), ERegistryException);
    EXPECT_THROW(registry.WriteInteger("number", 1), ERegistryException);
}

TEST(Registry, KeysAreTestedAndDeletedWithTheirSubkeys) {
    TestKey key;
    TRegistry registry;
    EXPECT_FALSE(registry.KeyExists(key.Path()));
    ASSERT_TRUE(registry.OpenKey(key.Path() + "\\a\\b\\", true));  // a trailing separator adds nothing
    registry.WriteString("v", "x");
    ASSERT_TRUE(registry.OpenKey("\\" + key.Path() + "\\c", true));  // nor does a leading one
    registry.CloseKey();
    EXPECT_TRUE(registry.KeyExists(key.Path() + "\\a\\b"));
    EXPECT_TRUE(registry.KeyExists(key.Path() + "\\c\\"));
    EXPECT_TRUE(registry.DeleteKey(key.Path()));
    EXPECT_FALSE(registry.KeyExists(key.Path()));
    EXPECT_FALSE(registry.DeleteKey(key.Path()));
    EXPECT_FALSE(registry.DeleteKey(""));
}
