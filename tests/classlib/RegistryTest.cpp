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
