// Image lists: pictures of one size kept together and addressed by index from
// 0, of which icons are made, and the change links through which their users
// hear about changes.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "classlib/Classes.h"
#include "classlib/Graphics.h"
#include "classlib/Streaming.h"
#include "classlib/SysUtils.h"

class TCustomImageList;

// Tells its owner that an image list changed (pictures added, replaced or removed).
class TChangeLink {
public:
    TChangeLink() = default;
    ~TChangeLink();
    TChangeLink(const TChangeLink&) = delete;
    TChangeLink& operator=(const TChangeLink&) = delete;
    // The list this link is registered with, or null.
    TCustomImageList* Sender = nullptr;
    TNotifyEvent OnChange;
    void Change();
};

// A list of pictures of one size. This base keeps icons; lists with bitmap
// strips and their streaming derive from it.
class TCustomImageList : public TComponent {
public:
    explicit TCustomImageList(TComponent* owner) : TComponent(owner) {}
    ~TCustomImageList() override;
    const char* ClassName() const override { return "TCustomImageList"; }

    virtual int Count() const { return static_cast<int>(m_icons.size()); }
    // Appends a copy of the icon; its index.
    virtual int AddIcon(HICON icon);
    virtual void Clear();
    // Puts picture index into icon; false (icon untouched) for an index out of range.
    virtual bool GetIcon(int index, TIcon& icon) const;
    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);

protected:
    // Tells every registered link.
    void Change();

private:
    std::vector<HICON> m_icons;
    std::vector<TChangeLink*> m_links;
};

// Raised for a picture that does not fit the list, or a list that cannot be made.
class EInvalidImageList : public Exception {
public:
    using Exception::Exception;
};

// A list of equally sized pictures over the common controls' image list. A list
// that is not Masked keeps every pixel as it was added (white stays white); a
// masked one keeps a mask beside each picture. The platform's list is made when
// first needed; changing the size or Masked empties the list.
class TImageList : public TCustomImageList {
public:
    explicit TImageList(TComponent* owner);
    ~TImageList() override;
    const char* ClassName() const override { return "TImageList"; }
    // Copies the size, Masked, AllocBy and every picture of another list.
    void Assign(const TPersistent& source) override;

    int Width() const { return m_width; }
    void SetWidth(int width) { SetSize(width, m_height); }
    int Height() const { return m_height; }
    void SetHeight(int height) { SetSize(m_width, height); }
    void SetSize(int width, int height);
    bool Masked() const { return m_isMasked; }
    void SetMasked(bool masked);
    // How many places the list grows by at a time.
    int AllocBy() const { return m_allocBy; }
    void SetAllocBy(int allocBy);

    int Count() const override;
    // Adds the picture (a strip of several when it is a multiple of Width wide)
    // with an optional mask; the index of the first one added.
    int Add(TBitmap* image, TBitmap* mask = nullptr);
    // Adds the picture with the pixels of maskColor as its transparent part; on a
    // list that is not Masked the picture is added unchanged.
    int AddMasked(TBitmap* image, TColor maskColor);
    int AddIcon(HICON icon) override;
    // Sizes the bitmap to the list's picture size and draws picture `index` onto
    // it; an index outside the list draws nothing.
    void GetBitmap(int index, TBitmap* image);
    bool GetIcon(int index, TIcon& icon) const override;
    // Draws picture `index` at a point of a canvas; nothing for an index outside.
    void Draw(TCanvas* canvas, int x, int y, int index);
    // Removes a picture; the later ones move up. An index outside does nothing.
    void Delete(int index);
    void Clear() override;

    // The platform's list, made when first needed; it stays owned by this object.
    HIMAGELIST Handle();
    bool HandleAllocated() const { return m_handle != nullptr; }
    // Takes over a platform list (owned from then on); the size and Masked follow it.
    void SetHandle(HIMAGELIST handle);

    //--- Streaming: AllocBy, Height, Masked and Width are published; the pictures
    // travel as the binary property "Bitmap" in the platform's image-list format.
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    void DefineProperties(TFiler& filer) override;
    // The pictures in the platform's image-list format.
    void WriteData(TStream& stream);
    // Replaces the pictures (and size and Masked) by those of such data; EReadError
    // when the data holds no image list.
    void ReadData(TStream& stream);

private:
    void Recreate();
    bool IsValidIndex(int index) const { return m_handle && index >= 0 && index < Count(); }

    HIMAGELIST m_handle = nullptr;
    int m_width = 16;
    int m_height = 16;
    bool m_isMasked = true;
    int m_allocBy = 4;
};
