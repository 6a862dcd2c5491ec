// The checks of bitmap and icon data before GDI or the common controls see a
// byte of it: every size and offset a file claims is held against the bytes it
// lies in. The system's own readers trust those sizes and read past the end of
// damaged data, or make room for whatever a header asks for.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// No picture of ours comes near this many pixels; a damaged size field is
// refused before anything is computed or allocated from it.
constexpr uint64_t kMaxBitmapPixels = 1u << 24;

//--- Bitmaps

// What a bitmap info header says of its picture.
struct BitmapInfo {
    uint32_t headerSize = 0;  // 12 for the old core header
    int width = 0;
    int height = 0;  // rows; the sign is in topDown
    bool topDown = false;
    int bitCount = 0;
    uint32_t compression = BI_RGB;
    uint32_t imageSize = 0;  // 0 in a core header
    uint32_t colors = 0;     // the colours the header says it uses; 0 in a core header

    // Colour table entries that follow the header: all of them up to 8 bits
    // when the header names none, above that the ones it names.
    uint64_t TableEntries() const;
    // Bytes of one uncompressed row, padded to 32 bits, and of every row.
    uint64_t RowBytes() const;
    uint64_t PixelBytes() const { return RowBytes() * static_cast<uint64_t>(height); }
};

// Reads the info header at `header`, of which `available` bytes are there
// (the size field first). False unless it is a header kind GDI knows (the core
// one up to version 5) and whole, of one plane, at least 1 x 1 and at most
// kMaxBitmapPixels pixels, with a depth its compression allows and no more
// colours than the depth has. Everything the callers compute from it fits in
// 64 bits.
bool CheckBitmapInfo(const uint8_t* header, uint64_t available, BitmapInfo& info);

// A DIB whose every size and offset was checked against the bytes it lies in.
struct CheckedDib : BitmapInfo {
    uint32_t masks[3] = {};
    RGBQUAD palette[256] = {};  // up to 8 bits per pixel; entries the file lacks stay black
    const uint8_t* bits = nullptr;
    size_t bitsSize = 0;  // uncompressed: the rows; run-length encoded: the encoded data
};

// The picture of a .bmp file; false when the file does not hold a whole one.
// Takes the usual depths uncompressed, 4 and 8 bits run-length encoded, 16 and
// 32 bits with colour masks. The DIB points into `file`.
bool CheckBmp(const std::vector<uint8_t>& file, CheckedDib& dib);

// Decodes the run-length encoded rows of such a DIB into top-down 32-bit pixels
// (width x height of them).
void DecodeRle(const CheckedDib& dib, uint32_t* pixels);

// The rows of a DIB of that width and depth, each padded to 32 bits.
uint32_t DibRowBytes(int width, int bitCount);

//--- Icons

#pragma pack(push, 1)
struct IconDir {
    uint16_t reserved;
    uint16_t type;  // 1: icons
    uint16_t count;
};
struct IconDirEntry {
    uint8_t width;  // 0 stands for 256
    uint8_t height;
    uint8_t colorCount;
    uint8_t reserved;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t bytesInRes;
    uint32_t imageOffset;
};
#pragma pack(pop)

// An icon image as CreateIconFromResourceEx takes it, checked within its
// bytes: a DIB (colour rows, then the mask rows) or a PNG stream.
bool CheckIconImage(const uint8_t* image, uint32_t size);

// The image of an .ico file a loader asked for no particular size would take:
// the size of the first entry, at the most colours. False when the directory or
// that image is damaged.
bool ChooseIconImage(const std::vector<uint8_t>& file, const uint8_t*& image, uint32_t& imageSize);
