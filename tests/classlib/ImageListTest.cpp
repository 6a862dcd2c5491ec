// Image lists: pictures kept pixel for pixel, drawing by index, removing and copying.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "classlib/ImgList.h"
#include "classlib/Streaming.h"
#include "classlib/Streams.h"

namespace {

// A 32 x 32 picture: white left half (the transparent colour of the program's
// pictures), the right half a colour that tells the picture apart.
void Paint(TBitmap& bitmap, COLORREF colour) {
    bitmap.SetSize(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) bitmap.SetPixel(x, y, x < 16 ? RGB(255, 255, 255) : colour);
}

TImageList* PictureList(TComponent* owner = nullptr) {
    auto* list = new TImageList(owner);
    list->SetSize(32, 32);
    list->SetMasked(false);
    list->SetAllocBy(1);
    return list;
}

}  // namespace

TEST(ImageList, DefaultsAndSettingsOfThePictureLists) {
    TImageList list(nullptr);
    EXPECT_EQ(list.Width(), 16);
    EXPECT_EQ(list.Height(), 16);
    EXPECT_TRUE(list.Masked());
    EXPECT_EQ(list.AllocBy(), 4);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.HandleAllocated());
    std::unique_ptr<TImageList> pictures(PictureList());
    EXPECT_EQ(pictures->Width(), 32);
    EXPECT_FALSE(pictures->Masked());
    EXPECT_EQ(pictures->AllocBy(), 1);
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(pictures->Handle(), &width, &height);
    EXPECT_EQ(width, 32);
    EXPECT_EQ(height, 32);
}

TEST(ImageList, UnmaskedListKeepsEveryPixelAndDrawsByIndex) {
    std::unique_ptr<TImageList> list(PictureList());
    TBitmap picture;
    const COLORREF colours[] = {RGB(200, 10, 20), RGB(1, 2, 3), RGB(254, 255, 255)};
    for (int i = 0; i < 3; ++i) {
        Paint(picture, colours[i]);
        // On a list that is not masked, the mask colour changes nothing.
        EXPECT_EQ(list->AddMasked(&picture, clWhite), i);
    }
    // The source stays as it was.
    EXPECT_EQ(picture.GetPixel(0, 0), RGB(255, 255, 255));
    ASSERT_EQ(list->Count(), 3);

    TBitmap out;
    for (int i = 0; i < 3; ++i) {
        list->GetBitmap(i, &out);
        ASSERT_EQ(out.Width(), 32);
        ASSERT_EQ(out.Height(), 32);
        EXPECT_EQ(out.GetPixel(0, 0), RGB(255, 255, 255)) << i;
        EXPECT_EQ(out.GetPixel(15, 31), RGB(255, 255, 255)) << i;
        EXPECT_EQ(out.GetPixel(16, 0), colours[i]) << i;
        EXPECT_EQ(out.GetPixel(31, 31), colours[i]) << i;
    }

    // An index outside the list draws nothing: what the bitmap held stays.
    TBitmap black(32, 32);
    PatBlt(black.Canvas()->Handle(), 0, 0, 32, 32, BLACKNESS);
    for (int index : {-1, 3, 1000}) {
        list->GetBitmap(index, &black);
        EXPECT_EQ(black.GetPixel(20, 20), RGB(0, 0, 0)) << index;
    }
    // A bitmap of another size is brought to the list's size.
    TBitmap small(5, 7);
    list->GetBitmap(0, &small);
    EXPECT_EQ(small.Width(), 32);
    EXPECT_EQ(small.GetPixel(20, 20), colours[0]);
}

TEST(ImageList, PicturesOfTheWrongSizeAreRefusedAndStripsAddSeveral) {
    std::unique_ptr<TImageList> list(PictureList());
    TBitmap wrong(16, 16);
    EXPECT_THROW(list->Add(&wrong), EInvalidImageList);
    TBitmap tall(32, 48);
    EXPECT_THROW(list->AddMasked(&tall, clWhite), EInvalidImageList);
    EXPECT_EQ(list->Count(), 0);
    TBitmap strip(64, 32);
    for (int x = 32; x < 64; ++x) strip.SetPixel(x, 3, RGB(9, 8, 7));
    EXPECT_EQ(list->Add(&strip), 0);
    ASSERT_EQ(list->Count(), 2);
    TBitmap out;
    list->GetBitmap(1, &out);
    EXPECT_EQ(out.GetPixel(0, 3), RGB(9, 8, 7));
}

TEST(ImageList, DeleteMovesLaterPicturesUpAndAssignCopiesEverything) {
    std::unique_ptr<TImageList> list(PictureList());
    int changes = 0;
    TChangeLink link;
    link.OnChange = [&changes](TObject*) { ++changes; };
    list->RegisterChanges(&link);
    TBitmap picture;
    for (int i = 0; i < 4; ++i) {
        Paint(picture, RGB(10 * i, 0, 0));
        list->Add(&picture);
    }
    EXPECT_EQ(changes, 4);
    list->Delete(1);
    list->Delete(7);  // outside: nothing
    ASSERT_EQ(list->Count(), 3);
    TBitmap out;
    list->GetBitmap(1, &out);
    EXPECT_EQ(out.GetPixel(20, 0), RGB(20, 0, 0));

    TImageList copy(nullptr);
    copy.Assign(*list);
    EXPECT_EQ(copy.Width(), 32);
    EXPECT_FALSE(copy.Masked());
    EXPECT_EQ(copy.AllocBy(), 1);
    ASSERT_EQ(copy.Count(), 3);
    copy.GetBitmap(2, &out);
    EXPECT_EQ(out.GetPixel(20, 0), RGB(30, 0, 0));
    // The copy is a list of its own.
    list->Clear();
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(copy.Count(), 3);

    // Changing the picture size empties a list.
    copy.SetSize(16, 16);
    EXPECT_EQ(copy.Count(), 0);
    EXPECT_THROW(copy.Add(&out), EInvalidImageList);  // a 32 x 32 picture no longer fits
    EXPECT_EQ(changes, 4 + 2);                          // the delete and the clear; nothing else
}

TEST(ImageList, IconsGoInAndComeOutOfTheBitmapList) {
    std::unique_ptr<TImageList> list(PictureList());
    HICON icon = LoadIcon(nullptr, IDI_APPLICATION);
    EXPECT_EQ(list->AddIcon(icon), 0);
    ASSERT_EQ(list->Count(), 1);
    TIcon out;
    EXPECT_TRUE(list->GetIcon(0, out));
    EXPECT_NE(out.Handle(), nullptr);
    EXPECT_EQ(out.Width(), 32);
    TIcon untouched;
    EXPECT_FALSE(list->GetIcon(1, untouched));
    EXPECT_EQ(untouched.Handle(), nullptr);
}

TEST(ImageList, MaskedListDrawsTheMaskColourTransparently) {
    TImageList list(nullptr);
    list.SetSize(32, 32);
    TBitmap picture;
    Paint(picture, RGB(0, 0, 200));
    EXPECT_EQ(list.AddMasked(&picture, clWhite), 0);
    EXPECT_EQ(picture.GetPixel(0, 0), RGB(255, 255, 255));  // the caller's picture is untouched
    TBitmap out(32, 32);
    PatBlt(out.Canvas()->Handle(), 0, 0, 32, 32, BLACKNESS);
    list.Draw(out.Canvas(), 0, 0, 0);
    GdiFlush();
    EXPECT_EQ(out.GetPixel(2, 2), RGB(0, 0, 0));
    EXPECT_EQ(out.GetPixel(20, 2), RGB(0, 0, 200));
}

namespace {

std::string ReadAll(const std::string& name) {
    std::string bytes;
    FILE* file = std::fopen(name.c_str(), "rb");
    if (!file) return bytes;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

std::string TempName(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

}  // namespace

TEST(ImageListStreaming, PictureFileRoundTripsWithTheLayoutOfIconsBin) {
    RegisterPersistentClass(TImageList::StaticClassInfo());
    std::unique_ptr<TImageList> list(PictureList());
    list->SetName("ImageListForMessages");
    list->DesignLeft = 8;
    list->DesignTop = 300;
    TBitmap picture;
    const COLORREF colours[] = {RGB(1, 2, 3), RGB(200, 100, 50), RGB(0, 0, 255)};
    for (COLORREF colour : colours) {
        Paint(picture, colour);
        list->AddMasked(&picture, clWhite);
    }
    const std::string name = TempName("qr-icons-test.bin");
    WriteComponentResFile(name, list.get());
    const std::string bytes = ReadAll(name);

    // The resource header, then the component stream.
    const std::string header = std::string("\xFF\x0A\x00", 3) + "TIMAGELIST" + std::string("\0\x30\x10", 3);
    ASSERT_GT(bytes.size(), header.size() + 4);
    EXPECT_EQ(bytes.substr(0, header.size()), header);
    const uint32_t size = static_cast<uint8_t>(bytes[header.size()]) |
                          static_cast<uint8_t>(bytes[header.size() + 1]) << 8 |
                          static_cast<uint8_t>(bytes[header.size() + 2]) << 16 |
                          static_cast<uint32_t>(static_cast<uint8_t>(bytes[header.size() + 3])) << 24;
    const std::string stream = bytes.substr(header.size() + 4);
    EXPECT_EQ(stream.size(), size);
    const std::string start = "TPF0\x0ATImageList\x14ImageListForMessages" + std::string("\x07" "AllocBy\x02\x01") +
                              "\x06Height\x02\x20" + "\x06Masked\x08" + "\x05Width\x02\x20" + "\x04Left\x02\x08" +
                              std::string("\x03Top\x03\x2C\x01", 7) + "\x06" "Bitmap\x0A";
    EXPECT_EQ(stream.substr(0, start.size()), start);
    // The pictures in the platform's format: "IL", then the count.
    const size_t il = start.size() + 4;
    ASSERT_GT(stream.size(), il + 6);
    EXPECT_EQ(stream.substr(il, 2), "IL");
    EXPECT_EQ(static_cast<uint8_t>(stream[il + 4]), 3);
    EXPECT_EQ(stream.substr(stream.size() - 2), std::string("\0\0", 2));

    // Read back with no instance: the registered class is made from the file.
    std::unique_ptr<TComponent> read(ReadComponentResFile(name, nullptr));
    auto* pictures = dynamic_cast<TImageList*>(read.get());
    ASSERT_NE(pictures, nullptr);
    EXPECT_EQ(pictures->Name(), "ImageListForMessages");
    EXPECT_EQ(pictures->Width(), 32);
    EXPECT_EQ(pictures->Height(), 32);
    EXPECT_FALSE(pictures->Masked());
    EXPECT_EQ(pictures->AllocBy(), 1);
    EXPECT_EQ(pictures->DesignTop, 300);
    ASSERT_EQ(pictures->Count(), 3);
    TBitmap out;
    for (int i = 0; i < 3; ++i) {
        pictures->GetBitmap(i, &out);
        EXPECT_EQ(out.GetPixel(0, 0), RGB(255, 255, 255)) << i;
        EXPECT_EQ(out.GetPixel(31, 31), colours[i]) << i;
    }
    DeleteFileA(name.c_str());
}

TEST(ImageListStreaming, DamagedPictureDataIsRefused) {
    RegisterPersistentClass(TImageList::StaticClassInfo());
    TImageList list(nullptr);
    TMemoryStream garbage;
    garbage.WriteBuffer("IL\x01\x01 not an image list at all", 30);
    garbage.SetPosition(0);
    EXPECT_THROW(list.ReadData(garbage), EReadError);
    TMemoryStream empty;
    EXPECT_THROW(list.ReadData(empty), EReadError);
    EXPECT_EQ(list.Count(), 0);

    // A file cut short anywhere is refused as a whole.
    std::unique_ptr<TImageList> source(PictureList());
    TBitmap picture;
    Paint(picture, RGB(9, 9, 9));
    source->Add(&picture);
    TMemoryStream whole;
    WriteComponentRes(whole, "TIMAGELIST", source.get());
    for (int64_t cut : {int64_t(10), whole.Size() / 2, whole.Size() - 3}) {
        TMemoryStream part;
        whole.SetPosition(0);
        part.CopyFrom(whole, cut);
        part.SetPosition(0);
        EXPECT_ANY_THROW(delete ReadComponentRes(part, nullptr)) << cut;
    }
}

TEST(ImageListStreaming, DataWhoseSizesDisagreeIsRefusedBeforeThePlatformReadsIt) {
    // Masked and unmasked lists come back whole.
    for (bool masked : {false, true}) {
        TImageList source(nullptr);
        source.SetSize(32, 32);
        source.SetMasked(masked);
        TBitmap picture;
        for (COLORREF colour : {RGB(9, 9, 9), RGB(10, 20, 30), RGB(40, 50, 60), RGB(70, 80, 90), RGB(1, 1, 1)}) {
            Paint(picture, colour);
            source.AddMasked(&picture, clWhite);
        }
        TMemoryStream data;
        source.WriteData(data);
        data.SetPosition(0);
        TImageList read(nullptr);
        read.ReadData(data);
        EXPECT_EQ(read.Count(), 5) << masked;
        EXPECT_EQ(read.Masked(), masked);
    }

    // The platform's reader believes the header's room and sizes, and keeps a
    // half-made list when the pixels fall short.
    std::unique_ptr<TImageList> source(PictureList());
    TBitmap picture;
    Paint(picture, RGB(9, 9, 9));
    source->Add(&picture);
    TMemoryStream whole;
    source->WriteData(whole);
    const auto damaged = [&whole](size_t at, uint16_t value) {
        std::vector<uint8_t> bytes = whole.Bytes();
        bytes[at] = static_cast<uint8_t>(value);
        bytes[at + 1] = static_cast<uint8_t>(value >> 8);
        return bytes;
    };
    // The bitmap's width and height at 2^31 - 1, in a list with or without masks.
    const auto hugeBitmap = [&whole](bool masked) {
        std::vector<uint8_t> bytes = whole.Bytes();
        if (masked) bytes[18] |= ILC_MASK;
        for (size_t at : {46, 50})
            for (size_t i = 0; i < 4; ++i) bytes[at + i] = i < 3 ? 0xFF : 0x7F;
        return bytes;
    };
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
        {"room for 65535 pictures", damaged(6, 0xFFFF)},
        {"more pictures than room", damaged(4, 200)},
        {"pictures wider than the bitmap", damaged(10, 200)},
        {"pixels cut short", std::vector<uint8_t>(whole.Bytes().begin(), whole.Bytes().end() - 1)},
        {"a bitmap of 2^31 x 2^31 pixels", hugeBitmap(false)},
        {"a bitmap of 2^31 x 2^31 pixels and masks", hugeBitmap(true)},
    };
    for (const auto& [name, bytes] : cases) {
        TMemoryStream data;
        data.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
        data.SetPosition(0);
        TImageList list(nullptr);
        EXPECT_THROW(list.ReadData(data), EReadError) << name;
        EXPECT_EQ(list.Count(), 0) << name;
    }
}
