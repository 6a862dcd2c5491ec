// The skin bitmaps and the program's icon, read from files as the program reads them.
#include <windows.h>

#include "Fuzz.h"
#include "classlib/Graphics.h"

namespace {

using fuzz::Bytes;

void Put16(Bytes& out, uint32_t value) {
    out.push_back(value & 0xFF);
    out.push_back((value >> 8) & 0xFF);
}

void Put32(Bytes& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// The bitmap kinds a user's picture may come in beyond the skins' 24 bits:
// 5 x 3 pixels with a header of that size (12: the old core header), that
// depth and compression.
Bytes SmallBitmap(uint32_t headerSize, int bitCount, uint32_t compression, bool topDown = false) {
    const int width = 5, height = 3;
    const bool core = headerSize == 12;
    Bytes table;
    if (compression == BI_BITFIELDS) {
        for (uint32_t mask : bitCount == 16 ? std::vector<uint32_t>{0xF800, 0x07E0, 0x001F}
                                            : std::vector<uint32_t>{0xFF0000, 0xFF00, 0xFF})
            Put32(table, mask);
    }
    for (int i = 0; bitCount <= 8 && i < (1 << bitCount); ++i) {
        for (int c = 0; c < 3; ++c) table.push_back(static_cast<uint8_t>(i * 40 + c * 70));
        if (!core) table.push_back(0);
    }
    Bytes bits;
    if (compression == BI_RLE8 || compression == BI_RLE4) {
        // A run, an absolute run, the end of a row, a skip, the end of the picture.
        bits = {2, 0x12, 0, 3, 0x21, 0x43, 0x15, 0, 0, 0, 0, 2, 1, 1, 3, 0x31, 0, 1};
    } else {
        const int rowBytes = (width * bitCount + 31) / 32 * 4;
        for (int i = 0; i < rowBytes * height; ++i) bits.push_back(static_cast<uint8_t>(i * 37 + 11));
    }
    // The masks sit inside the later headers, after the first Windows one.
    const bool masksInHeader = compression == BI_BITFIELDS && headerSize > 40;
    Bytes header;
    Put32(header, headerSize);
    if (core) {
        Put16(header, width);
        Put16(header, height);
        Put16(header, 1);
        Put16(header, bitCount);
    } else {
        Put32(header, width);
        Put32(header, topDown ? -height : height);
        Put16(header, 1);
        Put16(header, bitCount);
        Put32(header, compression);
        Put32(header, static_cast<uint32_t>(bits.size()));
        Put32(header, 2835);
        Put32(header, 2835);
        Put32(header, 0);
        Put32(header, 0);
        if (masksInHeader) header.insert(header.end(), table.begin(), table.end());
        header.resize(headerSize, 0);
    }
    if (masksInHeader) table.clear();
    Bytes file{'B', 'M'};
    const uint32_t bitsAt = static_cast<uint32_t>(14 + header.size() + table.size());
    Put32(file, bitsAt + static_cast<uint32_t>(bits.size()));
    Put32(file, 0);
    Put32(file, bitsAt);
    for (const Bytes* part : {&header, &table, &bits}) file.insert(file.end(), part->begin(), part->end());
    return file;
}

fuzz::Verdict ReadBitmap(const Bytes& input) {
    const std::string file = fuzz::ScratchDir() + "\\skin.bmp";
    fuzz::WriteFile(file, input);
    TBitmap bitmap(3, 2);
    bitmap.SetPixel(1, 1, RGB(1, 2, 3));
    try {
        bitmap.LoadFromFile(file);
    } catch (const EInvalidGraphic&) {
        // A refused file leaves the picture as it was.
        if (bitmap.Width() != 3 || bitmap.Height() != 2 || bitmap.GetPixel(1, 1) != RGB(1, 2, 3))
            throw fuzz::Breach("a refused bitmap changed the picture");
        return fuzz::Verdict::Refused;
    }
    if (bitmap.Empty() || bitmap.GetPixel(bitmap.Width() - 1, bitmap.Height() - 1) == CLR_INVALID)
        throw fuzz::Breach("a taken bitmap has no pixels");
    return fuzz::Verdict::Taken;
}

fuzz::Registration skin{[] {
    fuzz::Target target;
    target.Name = "SkinBitmap";
    target.Seeds = [] {
        std::vector<Bytes> seeds;
        for (const char* name : {"Top.bmp", "BG.bmp", "btn.bmp"})
            seeds.push_back(fuzz::ReadFile(fuzz::DistDir() + "\\Skins\\Default\\" + name));
        seeds.push_back(SmallBitmap(40, 1, BI_RGB));
        seeds.push_back(SmallBitmap(40, 4, BI_RLE4));
        seeds.push_back(SmallBitmap(40, 8, BI_RLE8));
        seeds.push_back(SmallBitmap(12, 8, BI_RGB));
        seeds.push_back(SmallBitmap(40, 16, BI_BITFIELDS));
        seeds.push_back(SmallBitmap(124, 32, BI_BITFIELDS));
        seeds.push_back(SmallBitmap(108, 32, BI_RGB, true));
        return seeds;
    };
    target.Read = ReadBitmap;
    return target;
}};

// An icon of one 16 x 16 image of 4 bits per pixel, and one of a PNG stream.
Bytes SmallIcon(bool png) {
    Bytes image;
    if (png) {
        image = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
                 0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x72,
                 0xb6, 0x0d, 0x24, 0x00, 0x00, 0x00, 0x12, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8,
                 0xcf, 0xc0, 0xf0, 0x1f, 0x08, 0x1b, 0x18, 0x60, 0x0c, 0x00, 0x40, 0x57, 0x06, 0xfb, 0xac,
                 0x0e, 0x17, 0x5a, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
    } else {
        // The header, 16 colours, the colour rows and the mask rows.
        const Bytes bitmap = SmallBitmap(40, 4, BI_RGB);
        image.assign(bitmap.begin() + 14, bitmap.begin() + 14 + 40);
        image[4] = 16;
        image[8] = 32;
        image[20] = 0;
        for (int i = 0; i < 16; ++i) Put32(image, i * 0x0F0F0F);
        for (int i = 0; i < 16 * 8; ++i) image.push_back(static_cast<uint8_t>(i * 13));
        for (int i = 0; i < 16 * 4; ++i) image.push_back(i % 4 < 2 ? static_cast<uint8_t>(i * 7) : 0);
    }
    Bytes file;
    Put16(file, 0);
    Put16(file, 1);
    Put16(file, 1);
    file.push_back(png ? 2 : 16);
    file.push_back(png ? 2 : 16);
    file.push_back(png ? 0 : 16);
    file.push_back(0);
    Put16(file, 1);
    Put16(file, png ? 32 : 4);
    Put32(file, static_cast<uint32_t>(image.size()));
    Put32(file, 6 + 16);
    file.insert(file.end(), image.begin(), image.end());
    return file;
}

fuzz::Verdict ReadIcon(const Bytes& input) {
    const std::string file = fuzz::ScratchDir() + "\\main.ico";
    fuzz::WriteFile(file, input);
    TIcon icon;
    icon.SetHandle(CopyIcon(LoadIconA(nullptr, IDI_APPLICATION)));
    const HICON before = icon.Handle();
    const int width = icon.Width();
    try {
        icon.LoadFromFile(file);
    } catch (const EInvalidGraphic&) {
        // A refused file leaves the icon the program had.
        if (icon.Handle() != before || icon.Width() != width) throw fuzz::Breach("a refused icon changed the icon");
        return fuzz::Verdict::Refused;
    }
    if (icon.Width() <= 0 || icon.Height() <= 0) throw fuzz::Breach("a taken icon has no size");
    // The tray and the taskbar draw it.
    TBitmap canvas(48, 48);
    icon.Draw(*canvas.Canvas(), RECT{0, 0, 48, 48});
    return fuzz::Verdict::Taken;
}

fuzz::Registration programIcon{[] {
    fuzz::Target target;
    target.Name = "ProgramIcon";
    target.Seeds = [] {
        return std::vector<Bytes>{fuzz::ReadFile(fuzz::DistDir() + "\\main.ico"), SmallIcon(false), SmallIcon(true)};
    };
    target.Read = ReadIcon;
    return target;
}};

}  // namespace
