// The file components: storage of a file's bytes in the component stream.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../TestFolder.h"
#include "classlib/Streaming.h"
#include "components/kelFileComponents.h"
#include "components/kelPlatformHooks.h"
#include "components/kelVclConsts.h"
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
    storage.SetDataSize(3);
    EXPECT_EQ(16u, storage.DataSize());

    storage.SetSaveName(folder.File("out.bin"));
    EXPECT_TRUE(storage.Save());
    EXPECT_EQ(bytes, TestFolder::ReadBytes(folder.File("out.bin")));

    // An existing file is kept when the confirmation says no.
    TestFolder::WriteBytes(folder.File("keep.bin"), "old");
    storage.SetOnConfirmOverride([](TObject*, bool& overrideFile) { overrideFile = false; });
    EXPECT_FALSE(storage.SaveTo(folder.File("keep.bin")));
    EXPECT_EQ("old", TestFolder::ReadBytes(folder.File("keep.bin")));
    storage.SetOnConfirmOverride([](TObject*, bool&) {});
    EXPECT_TRUE(storage.SaveTo(folder.File("keep.bin")));
    EXPECT_EQ(bytes, TestFolder::ReadBytes(folder.File("keep.bin")));

    // A missing file empties the data.
    EXPECT_FALSE(storage.LoadFrom(folder.File("missing.bin")));
    EXPECT_EQ(0u, storage.DataSize());
    EXPECT_EQ(0, storage.Data().Size());
    EXPECT_EQ((std::vector<bool>{true, false}), loads);
    EXPECT_EQ((std::vector<bool>{true, false, true}), saves);

    // Failures raise the storage's error with the file's name; no event then.
    try {
        storage.SaveTo(folder.File("no\\such\\folder\\x.bin"));
        FAIL() << "no error";
    } catch (const EkelFileStorage& error) {
        EXPECT_EQ(Format(LoadResString(SkelFileStorage_CannotSave), folder.File("no\\such\\folder\\x.bin")),
                  error.Message());
    }
    TestFolder::WriteBytes(folder.File("locked.bin"), "x");
    {
        FileLock lock(folder.File("locked.bin"));
        EXPECT_THROW(storage.LoadFrom(folder.File("locked.bin")), EkelFileStorage);
    }
    EXPECT_EQ(2u, loads.size());
    EXPECT_EQ(3u, saves.size());
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

    // "FileData": vaBinary, the payload's length, then the 32-bit count and the bytes.
    const std::string written = StreamBytes(stream);
    const size_t at = written.find("FileData");
    ASSERT_NE(std::string::npos, at);
    const std::string payload = written.substr(at + 8, 9);
    EXPECT_EQ(std::string("\x0a\x30\x01\x00\x00\x2c\x01\x00\x00", 9), payload);

    // An empty storage still writes the property, with the count 0, and reading
    // it empties a storage that held data.
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
    std::string damaged = written;
    damaged[at + 8 + 5] = '\x7f';
    TMemoryStream bad;
    bad.WriteBuffer(damaged.data(), static_cast<int32_t>(damaged.size()));
    bad.SetPosition(0);
    EXPECT_THROW(ReadComponent(bad, nullptr), EReadError);
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
    designed.SetSaveName(folder.File("bad\x01<>|name"));
    EXPECT_FALSE(designed.AutoSave());

    // While designing, naming the file loads it at once.
    TestFolder::WriteBytes(folder.File("src.bin"), "abc");
    designed.SetFileName(folder.File("src.bin"));
    EXPECT_EQ(3u, designed.DataSize());
    designed.SetSaveName(folder.File("auto.bin"));
    designed.SetAutoSave(true);

    // The streamed component writes its file out once loaded at run time.
    TMemoryStream stream;
    WriteComponent(stream, &designed);
    stream.SetPosition(0);
    std::unique_ptr<TComponent> read(ReadComponent(stream, nullptr));
    EXPECT_EQ("abc", TestFolder::ReadBytes(folder.File("auto.bin")));
    EXPECT_EQ(1u, boxes.texts.size());
}
