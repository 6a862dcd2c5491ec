// Image lists.
#include "classlib/ImgList.h"

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
