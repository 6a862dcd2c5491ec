// The checks of bitmap and icon data: headers, colour tables, pixel rows and
// icon directories, each held against the bytes that are there.
#include "classlib/PictureFiles.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

uint16_t Get16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

uint32_t Get32(const uint8_t* at) {
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}

// A colour mask GDI can use: one run of bits within the pixel.
bool ValidColorMask(uint32_t mask, int bitCount) {
    if (mask == 0 || (bitCount < 32 && mask >> bitCount != 0)) return false;
    const uint32_t pastRun = mask + (mask & (~mask + 1));  // 0 or a power of two for one run
    return (pastRun & (pastRun - 1)) == 0;
}

}  // namespace

//--- Bitmap headers

uint64_t BitmapInfo::TableEntries() const {
    if (bitCount <= 8 && colors == 0) return uint64_t{1} << bitCount;
    return colors;
}

uint64_t BitmapInfo::RowBytes() const {
    return (static_cast<uint64_t>(width) * static_cast<uint64_t>(bitCount) + 31) / 32 * 4;
}

// Every reader of bitmap headers comes here, so that none of them computes a
// size from a width or height no picture has.
bool CheckBitmapInfo(const uint8_t* header, uint64_t available, BitmapInfo& info) {
    if (available < 12) return false;
    info = BitmapInfo{};
    info.headerSize = Get32(header);
    const bool core = info.headerSize == 12;
    if (!core && info.headerSize != 40 && info.headerSize != 52 && info.headerSize != 56 && info.headerSize != 108 &&
        info.headerSize != 124)
        return false;
    if (available < info.headerSize) return false;
    int64_t width = 0;
    int64_t height = 0;
    int planes = 0;
    if (core) {
        width = Get16(header + 4);
        height = Get16(header + 6);
        planes = Get16(header + 8);
        info.bitCount = Get16(header + 10);
    } else {
        width = static_cast<int32_t>(Get32(header + 4));
        height = static_cast<int32_t>(Get32(header + 8));
        planes = Get16(header + 12);
        info.bitCount = Get16(header + 14);
        info.compression = Get32(header + 16);
        info.imageSize = Get32(header + 20);
        info.colors = Get32(header + 32);
    }
    info.topDown = height < 0;
    height = std::abs(height);
    // Both at most 2^31: the product cannot overflow.
    if (planes != 1 || width <= 0 || height <= 0 || static_cast<uint64_t>(width * height) > kMaxBitmapPixels)
        return false;
    info.width = static_cast<int>(width);
    info.height = static_cast<int>(height);

    const int bitCount = info.bitCount;
    switch (info.compression) {
    case BI_RGB:
        if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && (core || (bitCount != 16 && bitCount != 32)))
            return false;
        break;
    case BI_RLE8:
    case BI_RLE4:
        // Encoded rows run bottom-up only.
        if (bitCount != (info.compression == BI_RLE8 ? 8 : 4) || info.topDown) return false;
        break;
    case BI_BITFIELDS:
        if (bitCount != 16 && bitCount != 32) return false;
        break;
    default:
        return false;
    }
    // A table needed up to 8 bits, an unused hint above.
    return info.colors <= (bitCount <= 8 ? uint64_t{1} << bitCount : 256);
}

//--- Bitmap files

bool CheckBmp(const std::vector<uint8_t>& file, CheckedDib& dib) {
    const uint64_t size = file.size();
    const uint8_t* data = file.data();
    if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return false;
    const uint64_t bitsAt = Get32(data + 10);
    if (!CheckBitmapInfo(data + 14, size - 14, dib)) return false;
    const uint8_t* header = data + 14;
    const bool core = dib.headerSize == 12;
    const int bitCount = dib.bitCount;

    uint64_t tableAt = 14 + uint64_t{dib.headerSize};
    if (dib.compression == BI_BITFIELDS) {
        // Later headers hold the masks; after the first Windows one they follow it.
        const uint8_t* masks = header + 40;
        if (dib.headerSize == 40) {
            if (size < tableAt + 12) return false;
            masks = data + tableAt;
            tableAt += 12;
        }
        for (int i = 0; i < 3; ++i) {
            dib.masks[i] = Get32(masks + 4 * i);
            if (!ValidColorMask(dib.masks[i], bitCount)) return false;
        }
        if ((dib.masks[0] & dib.masks[1]) | (dib.masks[0] & dib.masks[2]) | (dib.masks[1] & dib.masks[2])) return false;
    }

    const uint64_t entryBytes = core ? 3 : 4;
    const uint64_t colors = dib.TableEntries();
    const uint64_t tableEnd = tableAt + colors * entryBytes;
    if (tableEnd > size || bitsAt < tableEnd || bitsAt > size) return false;
    if (bitCount <= 8) {
        for (uint64_t i = 0; i < colors; ++i) {
            const uint8_t* entry = data + tableAt + i * entryBytes;
            dib.palette[i] = RGBQUAD{entry[0], entry[1], entry[2], 0};
        }
    }

    const uint64_t available = size - bitsAt;
    dib.bits = data + bitsAt;
    if (dib.compression == BI_RLE8 || dib.compression == BI_RLE4) {
        dib.bitsSize = static_cast<size_t>(dib.imageSize != 0 && dib.imageSize < available ? dib.imageSize : available);
        return true;
    }
    if (dib.PixelBytes() > available) return false;
    dib.bitsSize = static_cast<size_t>(dib.PixelBytes());
    return true;
}

namespace {

uint32_t PixelOf(const RGBQUAD& color) {
    return static_cast<uint32_t>(color.rgbRed) << 16 | color.rgbGreen << 8 | color.rgbBlue;
}

}  // namespace

// Decodes run-length encoded rows into top-down pixels. Pixels the data skips
// or never reaches keep the first colour; runs past the right edge are cut, and
// data that ends early ends the picture there.
void DecodeRle(const CheckedDib& dib, uint32_t* pixels) {
    const int64_t width = dib.width;
    const int64_t height = dib.height;
    std::fill_n(pixels, static_cast<size_t>(width * height), PixelOf(dib.palette[0]));
    const bool four = dib.compression == BI_RLE4;
    const uint8_t* data = dib.bits;
    const size_t size = dib.bitsSize;
    int64_t x = 0;
    int64_t y = 0;  // from the bottom row up
    auto put = [&](unsigned index) {
        if (x < width && y < height) pixels[(height - 1 - y) * width + x] = PixelOf(dib.palette[index]);
        ++x;
    };
    size_t at = 0;
    while (y < height && size - at >= 2) {
        const unsigned count = data[at];
        const unsigned value = data[at + 1];
        at += 2;
        if (count != 0) {
            // An encoded run: one index, or two alternating ones.
            for (unsigned i = 0; i < count && x < width; ++i) put(four ? (i & 1 ? value & 15 : value >> 4) : value);
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (size - at < 2) break;
            x += data[at];
            y += data[at + 1];
            at += 2;
        } else {
            // An absolute run of `value` indices, padded to a 16-bit boundary.
            const size_t bytes = four ? (value + 1) / 2 : value;
            if (size - at < bytes) break;
            for (unsigned i = 0; i < value && x < width; ++i)
                put(four ? (i & 1 ? data[at + i / 2] & 15 : data[at + i / 2] >> 4) : data[at + i]);
            at = std::min(size, at + bytes + (bytes & 1));
        }
    }
}

uint32_t DibRowBytes(int width, int bitCount) {
    return static_cast<uint32_t>((width * bitCount + 31) / 32 * 4);
}

//--- Icons

// An icon image as CreateIconFromResourceEx takes it, checked within its
// bytes: a DIB (colour rows, then the mask rows) or a PNG stream.
bool CheckIconImage(const uint8_t* image, uint32_t size) {
    static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && std::memcmp(image, kPngSignature, 8) == 0) {
        // The chunks must tile the image, the header first and the end last.
        uint64_t at = 8;
        bool first = true;
        while (size - at >= 12) {
            const uint64_t length = uint64_t{image[at]} << 24 | image[at + 1] << 16 | image[at + 2] << 8 | image[at + 3];
            const uint8_t* type = image + at + 4;
            if (length > size - at - 12) return false;
            if (first) {
                if (std::memcmp(type, "IHDR", 4) != 0 || length != 13) return false;
                const uint8_t* field = type + 4;
                const uint32_t width = uint32_t{field[0]} << 24 | field[1] << 16 | field[2] << 8 | field[3];
                const uint32_t height = uint32_t{field[4]} << 24 | field[5] << 16 | field[6] << 8 | field[7];
                if (width == 0 || height == 0 || width > 256 || height > 256) return false;
                first = false;
            }
            at += 12 + length;
            if (std::memcmp(type, "IEND", 4) == 0) return true;
        }
        return false;
    }
    BitmapInfo info;
    if (!CheckBitmapInfo(image, size, info) || info.headerSize != sizeof(BITMAPINFOHEADER) ||
        info.compression != BI_RGB || info.topDown || info.width > 256 || info.height > 512 || info.height % 2 != 0)
        return false;
    // The colour rows, then the mask rows, each half the header's height.
    const uint64_t height = static_cast<uint64_t>(info.height / 2);
    const uint64_t rows = (info.RowBytes() + uint64_t{DibRowBytes(info.width, 1)}) * height;
    return sizeof(BITMAPINFOHEADER) + info.TableEntries() * 4 + rows <= size;
}

// The image of an .ico file a loader asked for no particular size would take:
// the size of the first entry, at the most colours. False when the directory or
// that image is damaged.
bool ChooseIconImage(const std::vector<uint8_t>& file, const uint8_t*& image, uint32_t& imageSize) {
    if (file.size() < sizeof(IconDir)) return false;
    IconDir dir{};
    std::memcpy(&dir, file.data(), sizeof dir);
    if (dir.reserved != 0 || dir.type != 1 || dir.count == 0 ||
        sizeof dir + uint64_t{dir.count} * sizeof(IconDirEntry) > file.size())
        return false;
    const auto entry = [&file](int i) {
        IconDirEntry read{};
        std::memcpy(&read, file.data() + sizeof(IconDir) + i * sizeof read, sizeof read);
        return read;
    };
    const IconDirEntry first = entry(0);
    IconDirEntry best = first;
    for (int i = 1; i < dir.count; ++i) {
        const IconDirEntry other = entry(i);
        if (other.width == first.width && other.height == first.height && other.bitCount > best.bitCount)
            best = other;
    }
    if (best.imageOffset > file.size() || best.bytesInRes > file.size() - best.imageOffset) return false;
    image = file.data() + best.imageOffset;
    imageSize = best.bytesInRes;
    return CheckIconImage(image, imageSize);
}
