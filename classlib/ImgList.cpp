// Image lists: the icon-keeping base and the bitmap list over HIMAGELIST.
#include "classlib/ImgList.h"

#include <objidl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "classlib/PictureFiles.h"

//--- TChangeLink and TCustomImageList

TChangeLink::~TChangeLink() {
    if (Sender) Sender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
    if (OnChange) OnChange(Sender);
}

TCustomImageList::~TCustomImageList() {
    // Links outlive the list: they must not reach back into it.
    for (TChangeLink* link : m_links) link->Sender = nullptr;
    m_links.clear();
    for (HICON icon : m_icons) DestroyIcon(icon);
}

int TCustomImageList::AddIcon(HICON icon) {
    m_icons.push_back(CopyIcon(icon));
    Change();
    return Count() - 1;
}

void TCustomImageList::Clear() {
    for (HICON icon : m_icons) DestroyIcon(icon);
    m_icons.clear();
    Change();
}

bool TCustomImageList::GetIcon(int index, TIcon& icon) const {
    if (index < 0 || index >= static_cast<int>(m_icons.size())) return false;
    icon.SetHandle(CopyIcon(m_icons[static_cast<size_t>(index)]));
    return true;
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
    if (!link) return;
    if (link->Sender && link->Sender != this) link->Sender->UnRegisterChanges(link);
    link->Sender = this;
    for (TChangeLink* known : m_links)
        if (known == link) return;
    m_links.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
    for (auto it = m_links.begin(); it != m_links.end(); ++it) {
        if (*it != link) continue;
        link->Sender = nullptr;
        m_links.erase(it);
        return;
    }
}

void TCustomImageList::Change() {
    const std::vector<TChangeLink*> links = m_links;
    for (TChangeLink* link : links) link->Change();
}

//--- TImageList

namespace {

// A 24-bit copy of a bitmap's pixels, selected nowhere: the platform list selects
// what it is given into a DC of its own, which a bitmap held by its canvas cannot
// be, and a copy at the screen's depth could lose colours.
GdiBitmap UnselectedCopy(TBitmap* image) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = image->Width();
    info.bmiHeader.biHeight = image->Height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiBitmap copy(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!copy) throw EInvalidImageList("Out of system resources");
    ScopedMemoryDC dc;
    {
        ScopedSelect select(dc.Get(), copy.Get());
        BitBlt(dc.Get(), 0, 0, image->Width(), image->Height(), image->Canvas()->Handle(), 0, 0, SRCCOPY);
    }
    return copy;
}

}  // namespace

TImageList::TImageList(TComponent* owner) : TCustomImageList(owner) {}

TImageList::~TImageList() {
    if (m_handle) ImageList_Destroy(m_handle);
}

HIMAGELIST TImageList::Handle() {
    if (!m_handle) {
        const UINT flags = ILC_COLOR24 | (m_isMasked ? ILC_MASK : 0);
        m_handle = ImageList_Create(m_width, m_height, flags, 0, m_allocBy);
        if (!m_handle) throw EInvalidImageList("Cannot create the image list");
        if (m_isMasked) ImageList_SetBkColor(m_handle, CLR_NONE);
    }
    return m_handle;
}

void TImageList::SetHandle(HIMAGELIST handle) {
    if (handle == m_handle) return;
    if (m_handle) ImageList_Destroy(m_handle);
    m_handle = handle;
    if (handle) {
        int width = 0;
        int height = 0;
        ImageList_GetIconSize(handle, &width, &height);
        m_width = width;
        m_height = height;
        // A list whose pictures carry masks answers with a mask for its first picture;
        // an empty list keeps what the object said.
        IMAGEINFO info{};
        if (ImageList_GetImageCount(handle) > 0 && ImageList_GetImageInfo(handle, 0, &info))
            m_isMasked = info.hbmMask != nullptr;
    }
    Change();
}

void TImageList::Recreate() {
    if (m_handle) {
        ImageList_Destroy(m_handle);
        m_handle = nullptr;
    }
    Change();
}

void TImageList::SetSize(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width == m_width && height == m_height) return;
    m_width = width;
    m_height = height;
    Recreate();
}

void TImageList::SetMasked(bool masked) {
    if (masked == m_isMasked) return;
    m_isMasked = masked;
    Recreate();
}

void TImageList::SetAllocBy(int allocBy) {
    m_allocBy = std::max(allocBy, 1);
}

int TImageList::Count() const {
    return m_handle ? ImageList_GetImageCount(m_handle) : 0;
}

int TImageList::Add(TBitmap* image, TBitmap* mask) {
    if (!image || image->Height() != m_height || image->Width() < m_width || image->Width() % m_width != 0)
        throw EInvalidImageList("Invalid image size");
    GdiBitmap picture = UnselectedCopy(image);
    GdiBitmap maskCopy;
    if (mask && m_isMasked) maskCopy = UnselectedCopy(mask);
    const int index = ImageList_Add(Handle(), picture.Get(), maskCopy.Get());
    if (index < 0) throw EInvalidImageList("Cannot add the image");
    Change();
    return index;
}

int TImageList::AddMasked(TBitmap* image, TColor maskColor) {
    if (!m_isMasked) return Add(image);
    if (!image || image->Height() != m_height || image->Width() < m_width || image->Width() % m_width != 0)
        throw EInvalidImageList("Invalid image size");
    // The platform blackens the masked pixels of what it is given: give it a copy.
    GdiBitmap picture = UnselectedCopy(image);
    const int index = ImageList_AddMasked(Handle(), picture.Get(), ColorToRGB(maskColor));
    if (index < 0) throw EInvalidImageList("Cannot add the image");
    Change();
    return index;
}

void TImageList::GetBitmap(int index, TBitmap* image) {
    if (!image) return;
    image->SetSize(m_width, m_height);
    Draw(image->Canvas(), 0, 0, index);
    GdiFlush();
}

int TImageList::AddIcon(HICON icon) {
    const int index = ImageList_AddIcon(Handle(), icon);
    if (index < 0) throw EInvalidImageList("Cannot add the image");
    Change();
    return index;
}

bool TImageList::GetIcon(int index, TIcon& icon) const {
    if (!IsValidIndex(index)) return false;
    HICON made = ImageList_GetIcon(m_handle, index, ILD_NORMAL);
    if (!made) return false;
    icon.SetHandle(made);
    return true;
}

void TImageList::Draw(TCanvas* canvas, int x, int y, int index) {
    if (!IsValidIndex(index)) return;
    ImageList_Draw(m_handle, index, canvas->Handle(), x, y, ILD_NORMAL);
}

void TImageList::Delete(int index) {
    if (!IsValidIndex(index)) return;
    ImageList_Remove(m_handle, index);
    Change();
}

void TImageList::Clear() {
    if (!m_handle) return;
    ImageList_Remove(m_handle, -1);
    Change();
}

void TImageList::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TImageList*>(&source);
    if (!other) return TCustomImageList::Assign(source);
    if (other == this) return;
    if (m_handle) {
        ImageList_Destroy(m_handle);
        m_handle = nullptr;
    }
    m_width = other->m_width;
    m_height = other->m_height;
    m_isMasked = other->m_isMasked;
    m_allocBy = other->m_allocBy;
    if (other->m_handle) {
        m_handle = ImageList_Duplicate(other->m_handle);
        if (!m_handle) throw EInvalidImageList("Cannot copy the image list");
    }
    Change();
}

//--- Streaming

namespace {

// A COM stream over memory, released with the scope.
class ScopedHGlobalStream {
public:
    ScopedHGlobalStream() {
        if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &m_stream))) m_stream = nullptr;
    }
    ~ScopedHGlobalStream() {
        if (m_stream) m_stream->Release();
    }
    ScopedHGlobalStream(const ScopedHGlobalStream&) = delete;
    ScopedHGlobalStream& operator=(const ScopedHGlobalStream&) = delete;
    IStream* Get() const { return m_stream; }
    void Rewind() {
        LARGE_INTEGER start{};
        m_stream->Seek(start, STREAM_SEEK_SET, nullptr);
    }

private:
    IStream* m_stream = nullptr;
};

// The platform's image-list data: a header, then the pictures as a bitmap file,
// and the masks as another when the list keeps masks.
#pragma pack(push, 1)
struct ImageListHeader {
    uint16_t magic;  // "IL"
    uint16_t version;
    uint16_t count;
    uint16_t capacity;
    uint16_t grow;
    uint16_t width;
    uint16_t height;
    uint32_t background;
    uint16_t flags;
    int16_t overlays[4];
};
#pragma pack(pop)

// How many pictures fit in a row of the bitmap, as the platform lays them out.
constexpr int64_t kPicturesPerRow = 4;

// Checks the bitmap file at `at` and moves past it: an uncompressed bitmap of at
// least the given size whose palette and pixels are all there. Its size comes back.
// The platform reads a full palette after the header and the pixels right after
// it, whatever the file header and the colour count say.
bool SkipWholeBitmap(const std::vector<uint8_t>& bytes, size_t& at, int64_t minWidth, int64_t minHeight,
                     int64_t& width, int64_t& height) {
    constexpr size_t kFileHeader = sizeof(BITMAPFILEHEADER);
    if (bytes.size() - at < kFileHeader || bytes[at] != 'B' || bytes[at + 1] != 'M') return false;
    BitmapInfo info;
    if (!CheckBitmapInfo(bytes.data() + at + kFileHeader, bytes.size() - at - kFileHeader, info) ||
        info.headerSize != sizeof(BITMAPINFOHEADER) || info.compression != BI_RGB)
        return false;
    at += kFileHeader + info.headerSize;
    width = info.width;
    height = info.height;
    if (width < minWidth || height < minHeight) return false;
    const uint64_t palette = info.bitCount <= 8 ? (uint64_t{1} << info.bitCount) * sizeof(RGBQUAD) : 0;
    if (palette + info.PixelBytes() > bytes.size() - at) return false;
    at += static_cast<size_t>(palette + info.PixelBytes());
    return true;
}

// Whether the data is a whole image list the platform can read safely. Its reader
// trusts every size it finds: it reads on past the end of the data, indexes the
// pixels by the header's picture size, keeps a half-made list when a bitmap is
// missing, and makes room for as many pictures as the header asks for.
bool IsWholeImageListData(const std::vector<uint8_t>& bytes) {
    ImageListHeader header{};
    if (bytes.size() < sizeof header) return false;
    std::memcpy(&header, bytes.data(), sizeof header);
    if (header.magic != 0x4C49 || header.version != 0x101 || header.width == 0 || header.height == 0 ||
        header.count > header.capacity)
        return false;
    // No more room than the pixels of the data could fill, at four bytes a pixel
    // and 64 for each byte of data.
    const int64_t room = (int64_t(header.capacity) + header.grow + kPicturesPerRow) * header.width * header.height * 4;
    if (room > (int64_t(4) << 20) + 64 * static_cast<int64_t>(bytes.size())) return false;
    const int64_t count = header.count;
    const int64_t minWidth = header.width * std::min(count, kPicturesPerRow);
    const int64_t minHeight = header.height * ((count + kPicturesPerRow - 1) / kPicturesPerRow);
    size_t at = sizeof header;
    int64_t width = 0;
    int64_t height = 0;
    if (!SkipWholeBitmap(bytes, at, minWidth, minHeight, width, height)) return false;
    // The masks are read with the pictures' row length: they must be as large.
    int64_t maskWidth = 0;
    int64_t maskHeight = 0;
    if ((header.flags & ILC_MASK) && !SkipWholeBitmap(bytes, at, width, height, maskWidth, maskHeight)) return false;
    return true;
}

}  // namespace

const TClassInfo& TImageList::StaticClassInfo() {
    static const TClassInfo info("TImageList", &TComponent::StaticClassInfo(), &CreateComponentOf<TImageList>,
                                 [](TPropList& list) {
                                     TPublished<TImageList>(list)
                                         .Integer("AllocBy", &TImageList::AllocBy, &TImageList::SetAllocBy, 4)
                                         .Integer("Height", &TImageList::Height, &TImageList::SetHeight, 16)
                                         .Boolean("Masked", &TImageList::Masked, &TImageList::SetMasked, true)
                                         .Integer("Width", &TImageList::Width, &TImageList::SetWidth, 16);
                                 });
    return info;
}

void TImageList::DefineProperties(TFiler& filer) {
    TCustomImageList::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Bitmap", [this](TStream& stream) { ReadData(stream); }, [this](TStream& stream) { WriteData(stream); },
        Count() > 0);
}

void TImageList::WriteData(TStream& stream) {
    ScopedHGlobalStream data;
    if (!data.Get() || !ImageList_Write(Handle(), data.Get())) throw EWriteError("Stream write error");
    HGLOBAL memory = nullptr;
    if (FAILED(GetHGlobalFromStream(data.Get(), &memory))) throw EWriteError("Stream write error");
    STATSTG stat{};
    data.Get()->Stat(&stat, STATFLAG_NONAME);
    const auto size = static_cast<int32_t>(stat.cbSize.QuadPart);
    const void* bytes = GlobalLock(memory);
    if (!bytes) throw EWriteError("Stream write error");
    try {
        stream.WriteBuffer(bytes, size);
    } catch (...) {
        GlobalUnlock(memory);
        throw;
    }
    GlobalUnlock(memory);
}

void TImageList::ReadData(TStream& stream) {
    const int64_t size = stream.Remaining();
    if (size <= 0 || size > INT32_MAX) throw EReadError("Invalid image list data");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    stream.ReadBuffer(bytes.data(), static_cast<int32_t>(size));
    if (!IsWholeImageListData(bytes)) throw EReadError("Invalid image list data");
    ScopedHGlobalStream data;
    ULONG written = 0;
    if (!data.Get() || FAILED(data.Get()->Write(bytes.data(), static_cast<ULONG>(size), &written)) ||
        static_cast<int64_t>(written) != size)
        throw EReadError("Invalid image list data");
    data.Rewind();
    HIMAGELIST read = ImageList_Read(data.Get());
    if (!read) throw EReadError("Invalid image list data");
    // The list read decides the pictures and their size; AllocBy stays as streamed.
    SetHandle(read);
}
