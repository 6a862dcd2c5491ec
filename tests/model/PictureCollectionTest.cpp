// Reading the picture collection from "icons.bin": a good file replaces the
// pictures; a missing, damaged, empty or odd-sized one is reported in the
// application's standard box and the pictures stay. Adding a picture of the
// user's to the general settings' working list.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "../TestFolder.h"
#include "classlib/ImgList.h"
#include "classlib/Streaming.h"
#include "model/Uconverter.h"
#include "model/Uglobals.h"
#include "model/UmodelHost.h"

namespace {

class PictureListHost : public IModelHost {
public:
    PictureListHost() {
        Pictures.SetSize(32, 32);
        Pictures.SetMasked(false);
        Pictures.SetAllocBy(1);
        AddPicture(Pictures, RGB(1, 1, 1));  // the "built-in" one
        SetModelHost(this);
    }
    ~PictureListHost() override { SetModelHost(nullptr); }
    TImageList* PictureList() override { return &Pictures; }
    void ShowStandardError(const std::string& text, const std::string& caption) override {
        Errors.push_back(caption + ": " + text);
    }
    int ShowMessage(const std::wstring&, const std::wstring&, int) override {
        ++SkinnedMessages;
        return 0;
    }

    static void AddPicture(TImageList& list, COLORREF colour, int size = 32) {
        TBitmap picture(size, size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) picture.SetPixel(x, y, x < 4 ? RGB(255, 255, 255) : colour);
        list.AddMasked(&picture, clWhite);
    }
    COLORREF PixelOf(int index) {
        TBitmap out;
        Pictures.GetBitmap(index, &out);
        return out.GetPixel(20, 20);
    }

    TImageList Pictures{nullptr};
    std::vector<std::string> Errors;
    int SkinnedMessages = 0;
};

class PictureCollectionTest : public testing::Test {
protected:
    void SetUp() override {
        savedPath = AppPath;
        AppPath = folder.Path() + "\\";
    }
    void TearDown() override { AppPath = savedPath; }

    // Writes icons.bin holding a list of the given colours and picture size.
    void WriteIcons(const std::vector<COLORREF>& colours, int size = 32) {
        TImageList list(nullptr);
        list.SetName("ImageListForMessages");
        list.SetSize(size, size);
        list.SetMasked(false);
        list.SetAllocBy(1);
        for (COLORREF colour : colours) PictureListHost::AddPicture(list, colour, size);
        WriteComponentResFile(folder.File("icons.bin"), &list);
    }

    TestFolder folder;
    std::string savedPath;
    const std::string kError = "Error: Error reading the file \"icons.bin\"";
};

}  // namespace

TEST_F(PictureCollectionTest, AGoodFileBecomesTheCollection) {
    PictureListHost host;
    WriteIcons({RGB(10, 20, 30), RGB(40, 50, 60), RGB(70, 80, 90), RGB(100, 110, 120)});
    gConverter->LoadPictureCollection();
    EXPECT_TRUE(host.Errors.empty());
    ASSERT_EQ(host.Pictures.Count(), 4);
    EXPECT_EQ(host.PixelOf(0), RGB(10, 20, 30));
    EXPECT_EQ(host.PixelOf(3), RGB(100, 110, 120));
    // The model's picture indexes now follow the collection.
    EXPECT_EQ(host.Pictures.Width(), 32);
    EXPECT_FALSE(host.Pictures.Masked());
}

TEST_F(PictureCollectionTest, MissingDamagedEmptyOrOddSizedFilesKeepTheBuiltInPictures) {
    PictureListHost host;
    // Missing.
    gConverter->LoadPictureCollection();
    ASSERT_EQ(host.Errors.size(), 1u);
    EXPECT_EQ(host.Errors[0], kError);
    // Not such a file at all.
    FILE* file = std::fopen(folder.File("icons.bin").c_str(), "wb");
    std::fputs("these are not pictures", file);
    std::fclose(file);
    gConverter->LoadPictureCollection();
    // Cut short.
    WriteIcons({RGB(10, 20, 30), RGB(40, 50, 60)});
    {
        FILE* in = std::fopen(folder.File("icons.bin").c_str(), "rb");
        std::string bytes(1 << 16, '\0');
        bytes.resize(std::fread(&bytes[0], 1, bytes.size(), in));
        std::fclose(in);
        FILE* out = std::fopen(folder.File("icons.bin").c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size() - 40, out);
        std::fclose(out);
    }
    gConverter->LoadPictureCollection();
    // No pictures, or pictures of another size.
    WriteIcons({});
    gConverter->LoadPictureCollection();
    WriteIcons({RGB(10, 20, 30)}, 16);
    gConverter->LoadPictureCollection();
    EXPECT_EQ(host.Errors, std::vector<std::string>(5, kError));
    EXPECT_EQ(host.SkinnedMessages, 0);
    ASSERT_EQ(host.Pictures.Count(), 1);
    EXPECT_EQ(host.PixelOf(0), RGB(1, 1, 1));
}

namespace {

// The general settings dialog as the model sees it: its working list and its
// picture dialog, answered from a script.
class WorkingListHost : public IModelHost {
public:
    WorkingListHost() {
        Pictures.SetSize(32, 32);
        Pictures.SetMasked(false);
        SetModelHost(this);
    }
    ~WorkingListHost() override { SetModelHost(nullptr); }
    TImageList* WorkingPictureList() override { return HasList ? &Pictures : nullptr; }
    std::string RunPictureDialog() override {
        ++Dialogs;
        return Answer;
    }
    void WorkingPicturesChanged() override { ++Refreshes; }
    int ShowMessage(const std::wstring& text, const std::wstring& title, int) override {
        Messages.push_back(title + L": " + text);
        return 0;
    }

    TImageList Pictures{nullptr};
    bool HasList = true;
    std::string Answer;
    int Dialogs = 0;
    int Refreshes = 0;
    std::vector<std::wstring> Messages;
};

// A bitmap file of one colour with a white left edge.
void WriteBitmap(const std::string& fileName, int size, COLORREF colour) {
    TBitmap picture(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) picture.SetPixel(x, y, x < 4 ? RGB(255, 255, 255) : colour);
    picture.SaveToFile(fileName);
}

// An icon file of one 32-bit image of one colour whose left edge is transparent.
void WriteIcon(const std::string& fileName, int size, COLORREF colour) {
    const auto u16 = [](std::string& out, unsigned v) { out.append({char(v & 0xFF), char(v >> 8)}); };
    const auto u32 = [&u16](std::string& out, unsigned v) {
        u16(out, v & 0xFFFF);
        u16(out, v >> 16);
    };
    const unsigned maskStride = ((static_cast<unsigned>(size) + 31) / 32) * 4;
    std::string image;
    u32(image, 40);
    u32(image, static_cast<unsigned>(size));
    u32(image, static_cast<unsigned>(size) * 2);  // colour and mask
    u16(image, 1);
    u16(image, 32);
    for (int i = 0; i < 6; ++i) u32(image, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const bool isClear = x < 4;
            image.append(
                {char(GetBValue(colour)), char(GetGValue(colour)), char(GetRValue(colour)), char(isClear ? 0 : 0xFF)});
        }
    for (int y = 0; y < size; ++y) {
        std::string row(maskStride, '\0');
        row[0] = char(0xF0);  // the four clear columns
        image += row;
    }
    std::string file;
    u16(file, 0);
    u16(file, 1);  // an icon
    u16(file, 1);  // one image
    file.append({char(size == 256 ? 0 : size), char(size == 256 ? 0 : size), 0, 0});
    u16(file, 1);
    u16(file, 32);
    u32(file, static_cast<unsigned>(image.size()));
    u32(file, 22);
    TestFolder::WriteBytes(fileName, file + image);
}

COLORREF PixelOf(TImageList& list, int index, int x, int y) {
    TBitmap out;
    list.GetBitmap(index, &out);
    return out.GetPixel(x, y);
}

}  // namespace

TEST(AddingAUserPicture, ThirtyTwoPixelBitmapsAndIconsAreAddedOthersAreRefusedWithTheirMessage) {
    TestFolder folder;
    WorkingListHost host;
    const std::wstring unreadable = L"Error: Error reading the file \"";
    const std::wstring wrongSize = L"Error: The Image must have the size 32x32";
    const auto add = [&host](const std::string& fileName) {
        host.Answer = fileName;
        gConverter->AddUserPicture();
    };

    // Cancelled: nothing.
    add("");
    EXPECT_EQ(host.Dialogs, 1);
    EXPECT_EQ(host.Pictures.Count(), 0);

    WriteBitmap(folder.File("ok.bmp"), 32, RGB(10, 20, 30));
    add(folder.File("ok.bmp"));
    WriteIcon(folder.File("ok.ico"), 32, RGB(40, 50, 60));
    add(folder.File("ok.ico"));
    // The kind is the first three characters of the last extension, in any case.
    WriteBitmap(folder.File("photo.bmpx"), 32, RGB(70, 80, 90));
    add(folder.File("photo.bmpx"));
    WriteBitmap(folder.File("picture.BMP"), 32, RGB(100, 110, 120));
    add(folder.File("picture.BMP"));
    ASSERT_EQ(host.Pictures.Count(), 4);
    EXPECT_EQ(host.Refreshes, 4);
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(PixelOf(host.Pictures, 0, 20, 20), RGB(10, 20, 30));
    EXPECT_EQ(PixelOf(host.Pictures, 0, 1, 20), RGB(255, 255, 255));
    // The icon's transparent part becomes white, the pictures' transparent colour.
    EXPECT_EQ(PixelOf(host.Pictures, 1, 20, 20), RGB(40, 50, 60));
    EXPECT_EQ(PixelOf(host.Pictures, 1, 1, 20), RGB(255, 255, 255));
    EXPECT_EQ(PixelOf(host.Pictures, 3, 20, 20), RGB(100, 110, 120));

    // Refused: another kind, an unreadable file, another size.
    WriteBitmap(folder.File("archive.bmp.txt"), 32, RGB(1, 1, 1));
    add(folder.File("archive.bmp.txt"));
    TestFolder::WriteBytes(folder.File("broken.bmp"), "no bitmap");
    add(folder.File("broken.bmp"));
    add(folder.File("missing.ico"));
    WriteBitmap(folder.File("small.bmp"), 16, RGB(1, 1, 1));
    add(folder.File("small.bmp"));
    WriteIcon(folder.File("big.ico"), 48, RGB(1, 1, 1));
    add(folder.File("big.ico"));
    const std::vector<std::wstring> expected{unreadable + AnsiToWide(folder.File("archive.bmp.txt")) + L"\"",
                                             unreadable + AnsiToWide(folder.File("broken.bmp")) + L"\"",
                                             unreadable + AnsiToWide(folder.File("missing.ico")) + L"\"", wrongSize,
                                             wrongSize};
    EXPECT_EQ(host.Messages, expected);
    EXPECT_EQ(host.Pictures.Count(), 4);
    EXPECT_EQ(host.Refreshes, 4);

    // Without the settings dialog there is no list to add to, and no dialog opens.
    host.HasList = false;
    add(folder.File("ok.bmp"));
    EXPECT_EQ(host.Dialogs, 10);
}
