// Colours, bitmaps, canvases and fonts.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "classlib/Graphics.h"

namespace {

std::string TempFile(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

}  // namespace

TEST(Colors, SystemColoursAreLookedUpAndPlainOnesPassThrough) {
    EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ColorToRGB(cl3DDkShadow), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(ColorToRGB(static_cast<TColor>(0x00123456)), 0x123456u);
    EXPECT_EQ(ColorToRGB(clNone), RGB(255, 255, 255));
}

TEST(Bitmap, ResizingKeepsTheTopLeftAndFillsNewAreaWhite) {
    TBitmap bitmap(4, 3);
    EXPECT_EQ(bitmap.GetPixel(3, 2), RGB(255, 255, 255));
    bitmap.SetPixel(1, 1, RGB(10, 20, 30));
    ::SetPixel(bitmap.Canvas()->Handle(), 3, 2, RGB(1, 2, 3));
    bitmap.SetSize(6, 5);
    EXPECT_EQ(bitmap.GetPixel(1, 1), RGB(10, 20, 30));
    EXPECT_EQ(bitmap.GetPixel(3, 2), RGB(1, 2, 3));
    EXPECT_EQ(bitmap.GetPixel(5, 4), RGB(255, 255, 255));
    bitmap.SetSize(2, 2);
    EXPECT_EQ(bitmap.GetPixel(1, 1), RGB(10, 20, 30));
    EXPECT_EQ(bitmap.GetPixel(3, 2), CLR_INVALID);
    // A canvas asked for after resizing draws on the new bitmap.
    ::SetPixel(bitmap.Canvas()->Handle(), 0, 0, RGB(9, 9, 9));
    EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(9, 9, 9));
}

TEST(Bitmap, SavedFileLoadsBackWithItsOwnSize) {
    const std::string name = TempFile("qr_bitmap_roundtrip.bmp");
    {
        TBitmap bitmap(7, 5);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) bitmap.SetPixel(x, y, RGB(x * 30, y * 40, 200));
        bitmap.SaveToFile(name);
    }
    TBitmap loaded(600, 210);  // the size given before loading does not count
    loaded.LoadFromFile(name);
    EXPECT_EQ(loaded.Width(), 7);
    EXPECT_EQ(loaded.Height(), 5);
    EXPECT_EQ(loaded.GetPixel(0, 0), RGB(0, 0, 200));
    EXPECT_EQ(loaded.GetPixel(6, 4), RGB(180, 160, 200));
    TBitmap copy;
    copy.Assign(loaded);
    EXPECT_EQ(copy.GetPixel(6, 4), RGB(180, 160, 200));
    std::remove(name.c_str());
}

TEST(Bitmap, MissingAndBrokenFilesRaiseWithTheFileName) {
    TBitmap bitmap;
    const std::string missing = TempFile("qr_no_such_picture.bmp");
    try {
        bitmap.LoadFromFile(missing);
        FAIL() << "no exception";
    } catch (const EFOpenError& error) {
        EXPECT_NE(error.Message().find(missing), std::string::npos) << error.Message();
    }
    const std::string broken = TempFile("qr_broken_picture.bmp");
    FILE* file = std::fopen(broken.c_str(), "wb");
    std::fputs("not a bitmap", file);
    std::fclose(file);
    EXPECT_THROW(bitmap.LoadFromFile(broken), EInvalidGraphic);
    std::remove(broken.c_str());
}

namespace {

// A .bmp file with the first Windows header: width, height (negative: top-down
// rows), depth, compression, the colour table and the pixel data.
std::string BmpFile(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression, const std::string& table,
                    const std::string& bits) {
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = bitCount;
    info.biCompression = compression;
    info.biClrUsed = static_cast<DWORD>(table.size() / 4);
    file.bfType = 0x4D42;
    file.bfOffBits = static_cast<DWORD>(sizeof file + sizeof info + table.size());
    file.bfSize = static_cast<DWORD>(file.bfOffBits + bits.size());
    return std::string(reinterpret_cast<const char*>(&file), sizeof file) +
           std::string(reinterpret_cast<const char*>(&info), sizeof info) + table + bits;
}

}  // namespace

TEST(Bitmap, EncodedAndTopDownFilesLoadRowByRow) {
    // Red, green, blue as colour table entries (blue, green, red, 0).
    const std::string table("\0\0\xFF\0\0\xFF\0\0\xFF\0\0\0", 12);
    const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255);
    const struct {
        const char* kind;
        std::string file;
        std::vector<std::vector<COLORREF>> rows;  // top row first
    } cases[] = {
        // Bottom row: a run of two greens and a blue; top row: a skip over the
        // first pixel, one blue, and the end before the last (both keep entry 0).
        {"8 bits encoded",
         BmpFile(3, 2, 8, BI_RLE8, table, std::string("\x02\x01\x01\x02\0\0\0\x02\x01\0\x01\x02\0\x01", 14)),
         {{red, blue, red}, {green, green, blue}}},
        // An absolute run of three, padded to a word, cut at the right edge by a run.
        {"4 bits encoded", BmpFile(4, 1, 4, BI_RLE4, table, std::string("\0\x03\x21\x00\x03\x12\0\x01", 8)),
         {{blue, green, red, green}}},
        {"24 bits top-down", BmpFile(1, -2, 24, BI_RGB, "", std::string("\xFF\0\0\0\0\0\xFF\0", 8)),
         {{blue}, {red}}},
    };
    for (const auto& c : cases) {
        const std::string name = TempFile("qr_bitmap_kind.bmp");
        FILE* file = std::fopen(name.c_str(), "wb");
        std::fwrite(c.file.data(), 1, c.file.size(), file);
        std::fclose(file);
        TBitmap bitmap;
        bitmap.LoadFromFile(name);
        std::remove(name.c_str());
        ASSERT_EQ(bitmap.Height(), static_cast<int>(c.rows.size())) << c.kind;
        ASSERT_EQ(bitmap.Width(), static_cast<int>(c.rows[0].size())) << c.kind;
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x)
                EXPECT_EQ(bitmap.GetPixel(x, y), c.rows[y][x]) << c.kind << " at " << x << "," << y;
    }
}

TEST(Canvas, HandleCarriesTheFontColourAndBrushStyle) {
    TBitmap bitmap(10, 10);
    TCanvas* canvas = bitmap.Canvas();
    canvas->Font()->SetColor(static_cast<TColor>(0x0000FF));
    canvas->Brush()->SetStyle(bsClear);
    HDC dc = canvas->Handle();
    EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    canvas->Brush()->SetColor(clWhite);
    dc = canvas->Handle();
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    // The font that is selected is the canvas's, also after a change.
    canvas->Font()->SetName("Arial");
    canvas->Font()->SetStyle(fsBold);
    dc = canvas->Handle();
    LOGFONTA font{};
    GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof(font), &font);
    EXPECT_STREQ(font.lfFaceName, "Arial");
    EXPECT_EQ(font.lfWeight, FW_BOLD);
}

TEST(Canvas, FontSizeAndHeightAgreeAndAssignCopies) {
    TFont font;
    font.SetSize(8);
    EXPECT_EQ(font.Size(), 8);
    EXPECT_LT(font.Height(), 0);
    TFont copy;
    font.SetStyle(fsBold | fsUnderline);
    font.SetName("Arial");
    copy.Assign(font);
    EXPECT_EQ(copy.Style(), fsBold | fsUnderline);
    EXPECT_EQ(copy.Name(), "Arial");
    EXPECT_EQ(copy.Height(), font.Height());
}
