// kelClasses: the item string list, the linked component, the channel and the
// file version info (the program carries two version resources, kelClassesTest.rc).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "components/kelClasses.h"

namespace {

struct Parts {
    std::string name, value, parameter;
};

Parts Parse(const std::string& item) {
    Parts p;
    TkelStringList::ParseItem(item, p.name, p.value, p.parameter);
    return p;
}

std::string TempFile(const std::string& name) {
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name + "_" + std::to_string(GetCurrentProcessId());
}

}  // namespace

TEST(kelStringList, ItemsSplitIntoTrimmedNameValueAndParameter) {
    Parts p = Parse("  Key \t=  some value ,\tparam  ");
    EXPECT_EQ("Key", p.name);
    EXPECT_EQ("some value", p.value);
    EXPECT_EQ("param", p.parameter);
    p = Parse("Key=Value");
    EXPECT_EQ("Value", p.value);
    EXPECT_EQ("", p.parameter);
    p = Parse(" all name, no equals ");
    EXPECT_EQ("all name, no equals", p.name);
    EXPECT_EQ("", p.value);
    p = Parse("K=v,p1,p2");
    EXPECT_EQ("v", p.value);
    EXPECT_EQ("p1,p2", p.parameter);

    std::string item;
    TkelStringList::CreateItem("a", "b", item, "");
    EXPECT_EQ("a=b", item);
    TkelStringList::CreateItem("a", "b", item, "c");
    EXPECT_EQ("a=b,c", item);
}

TEST(kelStringList, SettersAppendMissingNamesAndKeepTheOtherPart) {
    TkelStringList list;
    list.SetValue("Color", "red");
    EXPECT_EQ("Color=red", list.Strings(0));
    list.SetParameter("Color", "bold");
    list.SetValue("Color", "blue");
    EXPECT_EQ("Color=blue,bold", list.Strings(0));
    EXPECT_EQ("blue", list.GetValue("color"));  // found without regard to case
    EXPECT_EQ("bold", list.GetParameter("Color"));
    EXPECT_EQ("", list.GetValue("Size"));

    list.SetParameter("Size", "large");
    EXPECT_EQ("Size=,large", list.Strings(1));
    list.SetName(0, "Colour");
    EXPECT_EQ("Colour=blue,bold", list.Strings(0));
    EXPECT_EQ("Colour", list.GetName(0));
    // The name search does not trim: " x=1" is not named "x", so "x" is appended.
    list.Add(" x=1");
    list.SetValue("x", "2");
    EXPECT_EQ(4, list.Count());
    EXPECT_EQ("x=2", list.Strings(3));
}

TEST(kelLinkedComponent, ReportsEveryWatchedComponentThatGoes) {
    std::vector<TComponent*> removed;
    TComponent owner(nullptr);
    auto* watched = new TComponent(nullptr);
    auto* link = new TkelLinkedComponent(&owner, [&](TComponent* c) { removed.push_back(c); });
    link->FreeNotification(watched);
    auto* child = new TComponent(link);
    delete watched;
    ASSERT_EQ(1u, removed.size());
    EXPECT_EQ(watched, removed[0]);
    delete child;  // owned: removal is reported too
    ASSERT_EQ(2u, removed.size());
    EXPECT_EQ(child, removed[1]);
}

TEST(kelChannel, ChannelsOfOneNameShareTheirBytesAndTheSecondKeepsThem) {
    const std::string name = "kelTestChannel_" + std::to_string(GetCurrentProcessId());
    void* first = nullptr;
    void* second = nullptr;
    {
        TkelChannel a(name, first, 64);
        ASSERT_NE(nullptr, first);
        EXPECT_EQ(0, static_cast<char*>(first)[10]);
        std::strcpy(static_cast<char*>(first), "shared text");
        TkelChannel b(name, second, 64);
        ASSERT_NE(nullptr, second);
        EXPECT_NE(first, second);  // another view of the same block
        EXPECT_STREQ("shared text", static_cast<char*>(second));
        b.Clean();
        EXPECT_EQ(0, static_cast<char*>(first)[0]);
        b.Close();
        EXPECT_EQ("", b.Name());
        EXPECT_EQ(name, a.Name());

        // A second channel asking more than the block holds is refused, not
        // handed a view it would write past.
        void* larger = reinterpret_cast<void*>(1);
        try {
            TkelChannel c(name, larger, 16 * 4096);
            FAIL() << "no error";
        } catch (const EkelChannel& error) {
            EXPECT_EQ("Channel mapping is failed", error.Message());
        }
        EXPECT_EQ(nullptr, larger);
    }
    // A block of no bytes cannot be made.
    try {
        void* data = reinterpret_cast<void*>(1);
        TkelChannel bad(name + "_empty", data, 0);
        FAIL() << "no error";
    } catch (const EkelChannel& error) {
        EXPECT_EQ("Channel creation is failed", error.Message());
    }
}

TEST(kelFileVersionInfo, ReadsTheProgramsOwnVersionResource) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    TkelFileVersionInfo info(path);
    EXPECT_EQ(path, info.FileName());
    EXPECT_EQ("1.2.3.4", info.GetBinFileVersion());
    EXPECT_EQ("5.6.7.8", info.GetBinProductVersion());
    EXPECT_EQ(0x40004u, info.GetFileOS());
    EXPECT_EQ(1u, info.GetFileType());
    EXPECT_EQ(0u, info.GetFileSubType());
    EXPECT_EQ(static_cast<uint32_t>(fvfPreRelease | fvfPrivateBuild), info.Flags());
    // Language and code page in lower-case hexadecimal, and no default language.
    ASSERT_EQ(1, info.GetLanguageCount());
    EXPECT_EQ("040904b0", info.Languages().Strings(0));
    EXPECT_EQ(0x04B00409u, info.GetLanguageIds(0));
    EXPECT_FALSE(info.GetLanguageNames(0).empty());
    EXPECT_EQ("kel test company", info.GetVersionKeyValue(2));
    EXPECT_EQ("1.2.3.4", info.GetVersionKeyValue(4));
    EXPECT_EQ("nightly", info.GetVersionKeyValue(12));
    EXPECT_EQ("", info.GetVersionKeyValue(1));  // missing key
    EXPECT_EQ("", info.GetVersionKeyValue(13));
    EXPECT_EQ("vanilla", info.GetUserKey("Flavour"));
    try {
        info.SetLanguageIndex(1);
        FAIL() << "no error";
    } catch (const EkelFileVersionInfo& error) {
        EXPECT_EQ("Illegal language index", error.Message());
    }
}

TEST(kelFileVersionInfo, ANeutralLanguageOnlyBlockGetsTheDefaultLanguage) {
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(2), MAKEINTRESOURCEA(16));  // RT_VERSION
    ASSERT_NE(nullptr, resource);
    const void* block = LockResource(LoadResource(nullptr, resource));
    TkelFileVersionInfo info(block, SizeofResource(nullptr, resource));
    EXPECT_EQ("", info.FileName());
    EXPECT_EQ("9.0.0.1", info.GetBinFileVersion());
    ASSERT_EQ(1, info.GetLanguageCount());
    EXPECT_EQ("040904E4", info.Languages().Strings(0));
    EXPECT_EQ("neutral company", info.GetVersionKeyValue(2));
    EXPECT_EQ(0u, info.Flags());
}

TEST(kelFileVersionInfo, ADamagedBlockIsRefusedBeforeTheSystemReadsIt) {
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));  // RT_VERSION
    ASSERT_NE(nullptr, resource);
    const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, resource)));
    const std::vector<uint8_t> good(bytes, bytes + SizeofResource(nullptr, resource));
    const uint16_t length = static_cast<uint16_t>(good[0] | good[1] << 8);
    // The system's queries walk nodes by their lengths and convert texts into the
    // space behind the block: each of these would take them past it.
    const std::vector<std::pair<const char*, std::function<void(std::vector<uint8_t>&)>>> damages = {
        {"cut short", [](std::vector<uint8_t>& b) { b.resize(b.size() / 2); }},
        {"longer than given", [length](std::vector<uint8_t>& b) { b.resize(length - 1); }},
        // After the root's header, key and fixed information: the first child's length.
        {"a child past its parent", [](std::vector<uint8_t>& b) { b[0x5D] = 0x7F; }},
        {"no length", [](std::vector<uint8_t>& b) { b[0] = b[1] = 0; }},
        {"a text root", [](std::vector<uint8_t>& b) { b[4] = 1; }},
        {"empty", [](std::vector<uint8_t>& b) { b.clear(); }},
    };
    for (const auto& [name, damage] : damages) {
        std::vector<uint8_t> block = good;
        damage(block);
        EXPECT_THROW(TkelFileVersionInfo(block.empty() ? nullptr : block.data(), static_cast<uint32_t>(block.size())),
                     EkelFileVersionInfo)
            << name;
    }
    EXPECT_NO_THROW(TkelFileVersionInfo(good.data(), static_cast<uint32_t>(good.size())));
}

TEST(kelFileVersionInfo, AFileWithoutVersionResourceIsRefused) {
    const std::string file = TempFile("kelNoVersion.txt");
    std::ofstream(file) << "plain text";
    try {
        TkelFileVersionInfo info(file);
        FAIL() << "no error";
    } catch (const EkelFileVersionInfo& error) {
        EXPECT_EQ("File contains no version information", error.Message());
    }
    DeleteFileA(file.c_str());
}
