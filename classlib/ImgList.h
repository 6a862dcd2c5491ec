// Image lists: pictures of one size kept together, of which icons are made, and
// the change links through which their users hear about changes.
#pragma once

#include <windows.h>

#include <vector>

#include "classlib/Classes.h"
#include "classlib/Graphics.h"

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
    int AddIcon(HICON icon);
    void Clear();
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
