// The file components: the file operation, the file association and the file storage.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../TestFolder.h"
#include "classlib/FileUtils.h"
#include "classlib/Streaming.h"
#include "components/kelFileComponents.h"
#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"
#include "components/kelVclConsts.h"
#include "components/kelVclUtils.h"
#include "kelTestSupport.h"

namespace {

// Records the message boxes components would show, for the life of the object.
class MessageBoxRecorder {
public:
    MessageBoxRecorder() {
        kelPlatformHooks().MessageBoxEx = [this](HWND, const std::string& text, const std::string& caption, UINT) {
            texts.push_back(text);
            captions.push_back(caption);
            return IDOK;
        };
    }
    ~MessageBoxRecorder() { kelPlatformHooks().MessageBoxEx = nullptr; }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
    std::vector<std::string> texts;
    std::vector<std::string> captions;
};

std::string StreamBytes(TMemoryStream& stream) {
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

}  // namespace

TEST(kelFileStorage, LoadsAndSavesWholeFilesWithTheirEvents) {
    TestFolder folder;
    const std::string bytes("binary\0\xff data\r\n", 16);
    TestFolder::WriteBytes(folder.File("in.bin"), bytes);

    TkelFileStorage storage(nullptr);
    std::vector<bool> loads, saves;
    storage.SetOnLoad([&](TObject*, bool ok) { loads.push_back(ok); });
    storage.SetOnSave([&](TObject*, bool ok) { saves.push_back(ok); });

    storage.SetFileName(folder.File("in.bin"));
    EXPECT_EQ(0u, storage.DataSize());  // run time: setting the name loads nothing
    EXPECT_TRUE(storage.Load());
    EXPECT_EQ(16u, storage.DataSize());

    storage.SetSaveName(folder.File("out.bin"));
    EXPECT_TRUE(storage.Save());
    EXPECT_EQ(bytes, TestFolder::ReadBytes(folder.File("out.bin")));

    // An existing file is kept when the confirmation says no.
    TestFolder::WriteBytes(folder.File("keep.bin"), "old");
    storage.SetOnConfirmOverride([](TObject*, bool& overrideFile) { overrideFile = false; });
    EXPECT_FALSE(storage.SaveTo(folder.File("keep.bin")));
    EXPECT_EQ("old", TestFolder::ReadBytes(folder.File("keep.bin")));

    // A missing file empties the data.
    EXPECT_FALSE(storage.LoadFrom(folder.File("missing.bin")));
    EXPECT_EQ(0u, storage.DataSize());
    EXPECT_EQ(0, storage.Data().Size());
    EXPECT_EQ((std::vector<bool>{true, false}), loads);
    EXPECT_EQ((std::vector<bool>{true, false}), saves);

    // A failure raises the storage's error; no event then.
    EXPECT_THROW(storage.SaveTo(folder.File("no\\such\\folder\\x.bin")), EkelFileStorage);
    EXPECT_EQ(2u, saves.size());
}

TEST(kelFileStorage, TheSizeIsTheStreamsAfterTheStreamIsWrittenOrCleared) {
    TestFolder folder;
    TestFolder::WriteBytes(folder.File("in.bin"), "abc");
    const struct {
        std::function<void(TMemoryStream&)> change;
        std::string bytes;
    } cases[] = {
        {[](TMemoryStream& data) {
             data.Seek(0, TSeekOrigin::soEnd);
             data.WriteBuffer("defg", 4);
         },
         "abcdefg"},
        {[](TMemoryStream& data) { data.Clear(); }, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        TkelFileStorage storage(nullptr);
        ASSERT_TRUE(storage.LoadFrom(folder.File("in.bin")));
        c.change(storage.Data());
        EXPECT_EQ(c.bytes.size(), storage.DataSize());
        EXPECT_TRUE(storage.SaveTo(folder.File("out.bin")));
        EXPECT_EQ(c.bytes, TestFolder::ReadBytes(folder.File("out.bin")));
        TMemoryStream payload;
        storage.WriteFileData(payload);
        const uint32_t count = static_cast<uint32_t>(c.bytes.size());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&count), 4) + c.bytes, StreamBytes(payload));
    }
}

TEST(kelFileStorage, TheBytesTravelInTheComponentStream) {
    TestFolder folder;
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i);
    TestFolder::WriteBytes(folder.File("data.bin"), bytes);

    TMemoryStream stream;
    {
        TkelFileStorage written(nullptr);
        written.SetName("Storage1");
        ASSERT_TRUE(written.LoadFrom(folder.File("data.bin")));
        WriteComponent(stream, &written);
    }
    stream.SetPosition(0);
    std::unique_ptr<TComponent> read(ReadComponent(stream, nullptr));
    auto* storage = dynamic_cast<TkelFileStorage*>(read.get());
    ASSERT_NE(nullptr, storage);
    EXPECT_EQ(300u, storage->DataSize());
    EXPECT_EQ(bytes, std::string(storage->Data().Bytes().begin(), storage->Data().Bytes().end()));

    // An empty storage still writes "FileData" (vaBinary, length 4, count 0), and
    // reading it empties a storage that held data.
    TMemoryStream empty;
    {
        TkelFileStorage none(nullptr);
        none.SetName("Storage1");
        WriteComponent(empty, &none);
    }
    const std::string emptyBytes = StreamBytes(empty);
    const size_t emptyAt = emptyBytes.find("FileData");
    ASSERT_NE(std::string::npos, emptyAt);
    EXPECT_EQ(std::string("\x0a\x04\x00\x00\x00\x00\x00\x00\x00", 9), emptyBytes.substr(emptyAt + 8, 9));
    empty.SetPosition(0);
    ReadComponent(empty, storage);
    EXPECT_EQ(0u, storage->DataSize());
    EXPECT_EQ(0, storage->Data().Size());

    // A count beyond the payload is refused instead of read past.
    TMemoryStream bad;
    const char damaged[] =
        "\x10\x00\x00\x00"
        "abc";
    bad.WriteBuffer(damaged, 7);
    bad.SetPosition(0);
    EXPECT_THROW(storage->ReadFileData(bad), EReadError);
}

TEST(kelFileStorage, AutoSaveWantsAValidSaveNameWhileDesigningAndSavesAfterLoading) {
    TestFolder folder;
    MessageBoxRecorder boxes;
    TkelFileStorage designed(nullptr);
    designed.SetDesigning(true);
    designed.SetAutoSave(true);  // no save name yet
    EXPECT_FALSE(designed.AutoSave());
    ASSERT_EQ(1u, boxes.texts.size());
    EXPECT_EQ(LoadResString(SkelFileStorage_AutoSaveWhenNoSaveName), boxes.texts[0]);
    EXPECT_EQ(LoadResString(SkelWarning), boxes.captions[0]);
    designed.SetSaveName(folder.File("auto.bin"));
    designed.SetAutoSave(true);
    EXPECT_TRUE(designed.AutoSave());

    // While designing, naming the file loads it at once.
    TestFolder::WriteBytes(folder.File("src.bin"), "abc");
    designed.SetFileName(folder.File("src.bin"));
    EXPECT_EQ(3u, designed.DataSize());

    // The streamed component writes its file out once loaded at run time.
    TMemoryStream stream;
    WriteComponent(stream, &designed);
    stream.SetPosition(0);
    std::unique_ptr<TComponent> read(ReadComponent(stream, nullptr));
    EXPECT_EQ("abc", TestFolder::ReadBytes(folder.File("auto.bin")));
    EXPECT_EQ(1u, boxes.texts.size());
}

namespace {

// Never a window of the shell: no confirmation, no progress, no error box.
constexpr TkelFileOperationFlags kQuiet = kelFileOperationFlag(fofNoConfirmation) | kelFileOperationFlag(fofSilent) |
                                          kelFileOperationFlag(fofNoErrorUI) | kelFileOperationFlag(fofNoConfirmMkDir);

}  // namespace

TEST(kelFileOperation, CopiesPairsMovesAndDeletesRealFiles) {
    TestFolder folder;
    TestFolder::WriteBytes(folder.File("a.txt"), "A");
    TestFolder::WriteBytes(folder.File("c.txt"), "C");
    kelForceDirectories(folder.File("dest"));

    TkelFileOperation operation(nullptr);
    operation.SetOptions(kQuiet);
    std::vector<std::string> errors;
    operation.SetOnError([&](TObject*, const std::string& message, bool& handled) {
        errors.push_back(message);
        handled = true;
    });
    EXPECT_TRUE(operation.Execute());  // nothing to do
    TStringList list;
    list.Add(folder.File("a.txt") + "=b.txt");
    list.Add(folder.File("c.txt"));
    operation.SetFileList(&list);
    list.Clear();  // the component keeps its own copy
    operation.SetDestFolder(folder.File("dest"));
    EXPECT_TRUE(operation.Copy());
    EXPECT_EQ("A", TestFolder::ReadBytes(folder.File("dest\\b.txt")));
    EXPECT_EQ("C", TestFolder::ReadBytes(folder.File("dest\\c.txt")));

    // A destination with a mask takes the source's name.
    operation.FileList()->Clear();
    operation.FileList()->Add(folder.File("a.txt") + "=*.bak");
    EXPECT_TRUE(operation.Move());
    EXPECT_EQ("A", TestFolder::ReadBytes(folder.File("dest\\a.bak")));
    EXPECT_FALSE(FileExists(folder.File("a.txt")));

    operation.FileList()->Clear();
    operation.FileList()->Add(folder.File("dest\\b.txt"));
    operation.FileList()->Add(folder.File("dest\\c.txt"));
    operation.SetOperation(fotDelete);
    EXPECT_TRUE(operation.Execute());
    EXPECT_FALSE(FileExists(folder.File("dest\\b.txt")));
    EXPECT_FALSE(FileExists(folder.File("dest\\c.txt")));
    EXPECT_TRUE(errors.empty());

    // A missing source fails, and the failure goes to OnError.
    operation.FileList()->Clear();
    operation.FileList()->Add(folder.File("missing.txt"));
    EXPECT_FALSE(operation.Copy());
    EXPECT_EQ(1u, errors.size());
    EXPECT_EQ("", operation.GetSystemError(0));
    EXPECT_FALSE(operation.GetSystemError(ERROR_ACCESS_DENIED).empty());
}

TEST(kelFileOperation, PairModeFlagsAndTheStreamedFileList) {
    FILEOP_FLAGS flags = 0;
    kelPlatformHooks().FileOperation = [&](SHFILEOPSTRUCTA& operation) {
        flags = operation.fFlags;
        return 0;
    };
    TkelFileOperation operation(nullptr);
    operation.SetName("FileOperation1");
    operation.FileList()->Add("C:\\src\\a.txt=b.txt");
    operation.FileList()->Add("C:\\src\\c.txt");
    operation.SetDestFolder("C:\\dest");
    operation.SetOptions(kelFileOperationFlag(fofSimpleProgress));
    EXPECT_TRUE(operation.Copy());
    kelPlatformHooks().FileOperation = nullptr;
    EXPECT_EQ(FOF_SIMPLEPROGRESS | FOF_MULTIDESTFILES, flags);

    TMemoryStream stream;
    WriteComponent(stream, &operation);
    stream.SetPosition(0);
    std::unique_ptr<TComponent> read(ReadComponent(stream, nullptr));
    auto* copy = dynamic_cast<TkelFileOperation*>(read.get());
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(operation.FileList()->Text(), copy->FileList()->Text());
    EXPECT_EQ("C:\\dest", copy->DestFolder());
    EXPECT_EQ(kelFileOperationFlag(fofSimpleProgress), copy->Options());
}

TEST(kelFileOperation, PairsWithoutADestFolderLandInTheCurrentFolderNotTheDrivesRoot) {
    TestFolder folder;
    const std::string saved = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(folder.Path()));
    std::string to;
    kelPlatformHooks().FileOperation = [&](SHFILEOPSTRUCTA& operation) {
        for (const char* p = operation.pTo; *p; p += std::strlen(p) + 1) to += std::string(p) + "|";
        return 0;
    };
    TkelFileOperation operation(nullptr);
    operation.FileList()->Add("C:\\src\\a.txt=b.txt");
    operation.FileList()->Add("C:\\src\\c.txt");
    EXPECT_TRUE(operation.Copy());
    kelPlatformHooks().FileOperation = nullptr;
    SetCurrentDir(saved);
    EXPECT_EQ(folder.File("b.txt") + "|" + folder.File("c.txt") + "|", to);
}

namespace {

// A file extension of this test alone; its keys go again at both ends.
class TestExtension {
public:
    TestExtension() : name(".kelzzz" + std::to_string(GetCurrentProcessId())) { Remove(); }
    ~TestExtension() { Remove(); }
    TestExtension(const TestExtension&) = delete;
    TestExtension& operator=(const TestExtension&) = delete;
    void Remove() const {
        kelRegDeleteKey(HKEY_CLASSES_ROOT, name);
        kelRegDeleteKey(HKEY_CLASSES_ROOT, name.substr(1) + "file");
        kelRegDeleteKey(HKEY_CLASSES_ROOT, TypeName());
    }
    std::string TypeName() const { return "kelTestType" + name; }
    const std::string name;
};

}  // namespace

TEST(kelFileAssociation, WritesReadsAndDeletesAnExtensionsRegistration) {
    TestExtension extension;
    TkelFileAssociation association(nullptr);
    association.SetExtension(extension.name.substr(1));  // the dot is added
    EXPECT_EQ(extension.name, association.Extension());
    EXPECT_EQ("", association.ExtDescription());
    EXPECT_NE(nullptr, association.LargeIcon()->Handle());  // the shell's document icon
    EXPECT_NE(nullptr, association.SmallIcon()->Handle());

    // Without a type name the type is named after the extension.
    EXPECT_TRUE(association.WriteAssociation());
    EXPECT_EQ(extension.name.substr(1) + "file", kelRegReadStringDef(HKEY_CLASSES_ROOT, extension.name, "", ""));

    // ReadOnly (the default) keeps the registry as it is at run time.
    association.SetExtDescription(extension.TypeName());
    association.SetFileDescription("Test document");
    EXPECT_EQ(extension.name.substr(1) + "file", kelRegReadStringDef(HKEY_CLASSES_ROOT, extension.name, "", ""));

    const std::string shell32 = kelGetSystemDir() + "shell32.dll";
    association.SetIconFile(shell32);
    association.SetIconIndex(3);
    association.SetOpenCommand("notepad.exe \"%1\"");
    association.SetOpenCommandDescription("&Open");
    association.SetPrintCommand("notepad.exe /p \"%1\"");
    EXPECT_TRUE(association.WriteAssociation());

    TkelFileAssociation reader(nullptr);
    reader.SetExtension(extension.name);
    EXPECT_EQ(extension.TypeName(), reader.ExtDescription());
    EXPECT_EQ("Test document", reader.FileDescription());
    EXPECT_EQ(shell32, reader.IconFile());
    EXPECT_EQ(3, reader.IconIndex());
    EXPECT_EQ("notepad.exe \"%1\"", reader.OpenCommand());
    EXPECT_EQ("&Open", reader.OpenCommandDescription());
    EXPECT_EQ("notepad.exe /p \"%1\"", reader.PrintCommand());
    EXPECT_EQ("", reader.EditCommand());
    EXPECT_FALSE(kelRegKeyExists(HKEY_CLASSES_ROOT, extension.TypeName() + "\\shell\\edit"));

    // Without ReadOnly a change is written at once.
    reader.SetReadOnly(false);
    reader.SetEditCommand("wordpad.exe \"%1\"");
    EXPECT_EQ("wordpad.exe \"%1\"",
              kelRegReadStringDef(HKEY_CLASSES_ROOT, extension.TypeName() + "\\shell\\edit\\command", "", ""));

    // An icon text "file,index,rest" takes the index after the first of two commas.
    kelRegWriteString(HKEY_CLASSES_ROOT, extension.TypeName() + "\\DefaultIcon", "", shell32 + ",4,x");
    reader.ReadAssociation();
    EXPECT_EQ(shell32, reader.IconFile());
    EXPECT_EQ(4, reader.IconIndex());
    kelRegWriteString(HKEY_CLASSES_ROOT, extension.TypeName() + "\\DefaultIcon", "", "odd,name");
    reader.ReadAssociation();
    EXPECT_EQ("odd,name", reader.IconFile());
    EXPECT_EQ(0, reader.IconIndex());
    // A default value that is no text reads as none; the read still tells the type was found.
    kelRegWriteInteger(HKEY_CLASSES_ROOT, extension.TypeName() + "\\DefaultIcon", "", 7);
    kelRegWriteInteger(HKEY_CLASSES_ROOT, extension.TypeName() + "\\shell\\open", "", 7);
    EXPECT_TRUE(reader.ReadAssociation());
    EXPECT_EQ("", reader.IconFile());
    EXPECT_EQ("", reader.OpenCommandDescription());
    EXPECT_EQ("notepad.exe \"%1\"", reader.OpenCommand());

    EXPECT_TRUE(reader.DeleteAssociation());
    EXPECT_FALSE(kelRegKeyExists(HKEY_CLASSES_ROOT, extension.name));
    EXPECT_TRUE(kelRegKeyExists(HKEY_CLASSES_ROOT, extension.TypeName()));  // the type stays
    EXPECT_EQ("", reader.ExtDescription());
    EXPECT_TRUE(reader.DeleteAssociation());  // nothing left to delete
}

namespace {

// A key's default value as its type and text (a number in decimal); "" for none.
std::pair<DWORD, std::string> ClassesDefault(const std::string& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return {REG_NONE, ""};
    char data[512] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof data - 1;
    if (RegQueryValueExA(handle, "", nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
        type = REG_NONE;
    RegCloseKey(handle);
    if (type == REG_DWORD) return {type, std::to_string(*reinterpret_cast<const DWORD*>(data))};
    return {type, data};
}

}  // namespace

TEST(kelFileAssociation, ASetterWritesItsOwnValueOnlyAndKeepsItsType) {
    using A = TkelFileAssociation;
    using Setter = void (A::*)(const std::string&);
    // Each verb's setters, and the types its description and command keep on the file type below.
    const struct {
        std::string name;
        Setter setDescription;
        Setter setCommand;
        DWORD descriptionType;
        DWORD commandType;
    } verbs[] = {{"open", &A::SetOpenCommandDescription, &A::SetOpenCommand, REG_SZ, REG_EXPAND_SZ},
                 {"opennew", &A::SetOpenNewCommandDescription, &A::SetOpenNewCommand, REG_SZ, REG_SZ},
                 {"edit", &A::SetEditCommandDescription, &A::SetEditCommand, REG_SZ, REG_SZ},
                 {"print", &A::SetPrintCommandDescription, &A::SetPrintCommand, REG_SZ, REG_EXPAND_SZ},
                 {"printto", &A::SetPrintToCommandDescription, &A::SetPrintToCommand, REG_EXPAND_SZ, REG_SZ}};
    TestExtension extension;
    const std::string type = extension.TypeName();
    const std::string renamed = extension.name.substr(1) + "file";
    // A file type as other programs leave it: expandable icon and command, an
    // icon text the component would write otherwise, a description that is no text.
    kelRegWriteString(HKEY_CLASSES_ROOT, extension.name, "", type);
    kelRegWriteString(HKEY_CLASSES_ROOT, type, "", "Document");
    kelRegWriteExpandString(HKEY_CLASSES_ROOT, type + "\\DefaultIcon", "", "%SystemRoot%\\system32\\shell32.dll,3,x");
    kelRegWriteExpandString(HKEY_CLASSES_ROOT, type + "\\shell\\open\\command", "", "%SystemRoot%\\notepad.exe \"%1\"");
    kelRegWriteInteger(HKEY_CLASSES_ROOT, type + "\\shell\\print", "", 7);
    kelRegWriteString(HKEY_CLASSES_ROOT, type + "\\shell\\print\\command", "", "print.exe \"%1\"");
    kelRegWriteExpandString(HKEY_CLASSES_ROOT, type + "\\shell\\printto", "", "%Send%");  // no command yet
    // The type the extension moves to has values of its own, and a verb the component does not know.
    kelRegWriteString(HKEY_CLASSES_ROOT, renamed, "", "Old document");
    kelRegWriteExpandString(HKEY_CLASSES_ROOT, renamed + "\\DefaultIcon", "", "%SystemRoot%\\old.dll,1");
    kelRegWriteExpandString(HKEY_CLASSES_ROOT, renamed + "\\shell\\open\\command", "", "%SystemRoot%\\old.exe \"%1\"");
    kelRegWriteString(HKEY_CLASSES_ROOT, renamed + "\\shell\\view\\command", "", "view.exe \"%1\"");
    std::vector<std::string> keys = {extension.name, renamed + "\\shell\\view\\command"};
    for (const std::string& t : {type, renamed}) {
        keys.insert(keys.end(), {t, t + "\\DefaultIcon"});
        for (const auto& v : verbs)
            keys.insert(keys.end(), {t + "\\shell\\" + v.name, t + "\\shell\\" + v.name + "\\command"});
    }
    std::map<std::string, std::pair<DWORD, std::string>> expected;
    for (const std::string& key : keys) expected[key] = ClassesDefault(key);

    TkelFileAssociation association(nullptr);
    association.SetExtension(extension.name);
    association.SetReadOnly(false);
    struct Case {
        std::function<void()> set;
        std::vector<std::pair<std::string, std::pair<DWORD, std::string>>> writes;
    };
    std::vector<Case> cases = {
        {[&] { association.SetFileDescription("Letter"); }, {{type, {REG_SZ, "Letter"}}}},
        // A command comes with its verb's description, which the shell shows.
        {[&] { association.SetOpenCommand("%SystemRoot%\\write.exe \"%1\""); },
         {{type + "\\shell\\open\\command", {REG_EXPAND_SZ, "%SystemRoot%\\write.exe \"%1\""}},
          {type + "\\shell\\open", {REG_SZ, ""}}}},
        {[&] { association.SetIconIndex(5); },
         {{type + "\\DefaultIcon", {REG_EXPAND_SZ, "%SystemRoot%\\system32\\shell32.dll,5"}}}},
        {[&] { association.SetOpenCommandDescription("&Open"); }, {{type + "\\shell\\open", {REG_SZ, "&Open"}}}},
    };
    // A description set while its verb has no command yet reaches the registry with the command.
    for (const auto& v : verbs) {
        const std::string shell = type + "\\shell\\" + v.name;
        cases.push_back({[&association, &v] {
                             (association.*v.setDescription)("&" + v.name);
                             (association.*v.setCommand)("my" + v.name + ".exe \"%1\"");
                         },
                         {{shell, {v.descriptionType, "&" + v.name}},
                          {shell + "\\command", {v.commandType, "my" + v.name + ".exe \"%1\""}}}});
    }
    // A new file type gets the component's values, in the types it has; what the
    // component does not hold stays. The old type stays as it is.
    Case rename = {[&] { association.SetExtDescription(renamed); },
                   {{extension.name, {REG_SZ, renamed}},
                    {renamed, {REG_SZ, "Letter"}},
                    {renamed + "\\DefaultIcon", {REG_EXPAND_SZ, "%SystemRoot%\\system32\\shell32.dll,5"}}}};
    for (const auto& v : verbs) {
        const std::string shell = renamed + "\\shell\\" + v.name;
        rename.writes.push_back({shell, {REG_SZ, "&" + v.name}});
        const DWORD commandType = v.name == "open" ? REG_EXPAND_SZ : REG_SZ;
        rename.writes.push_back({shell + "\\command", {commandType, "my" + v.name + ".exe \"%1\""}});
    }
    cases.push_back(rename);
    for (const auto& c : cases) {
        c.set();
        for (const auto& write : c.writes) expected[write.first] = write.second;
        for (const std::string& key : keys)
            EXPECT_EQ(expected[key], ClassesDefault(key)) << c.writes[0].first << ": " << key;
    }
    TkelFileAssociation reader(nullptr);
    reader.SetExtension(extension.name);
    EXPECT_EQ("myopen.exe \"%1\"", reader.OpenCommand());

    // Written whole on request, expandable values stay expandable.
    EXPECT_TRUE(association.WriteAssociation());
    for (const std::string& key : keys) EXPECT_EQ(expected[key], ClassesDefault(key)) << key;
}

TEST(kelFileAssociation, WhileDesigningReadOnlyRefusesChangesWithAWarning) {
    TestExtension extension;
    MessageBoxRecorder boxes;
    TkelFileAssociation association(nullptr);
    association.SetDesigning(true);
    association.SetExtension(extension.name);
    association.SetFileDescription("refused");
    EXPECT_EQ("", association.FileDescription());
    ASSERT_EQ(1u, boxes.texts.size());
    EXPECT_EQ(LoadResString(SkelProperty_ReadOnlyMode), boxes.texts[0]);
    EXPECT_EQ(LoadResString(SkelWarning), boxes.captions[0]);
    EXPECT_FALSE(kelRegKeyExists(HKEY_CLASSES_ROOT, extension.name));

    association.SetReadOnly(false);
    association.SetFileDescription("accepted");
    EXPECT_EQ("accepted", association.FileDescription());
    EXPECT_EQ("accepted", kelRegReadStringDef(HKEY_CLASSES_ROOT, extension.name.substr(1) + "file", "", ""));
    EXPECT_EQ(1u, boxes.texts.size());
}
