// Reading the picture collection from "icons.bin": a good file replaces the
// pictures; a missing, damaged, empty or odd-sized one is reported in the
// application's standard box and the pictures stay.
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
