// Image control, paint box, notebook and timer.
#include "classlib/ExtCtrls.h"

#include <map>

#include "classlib/SysUtils.h"

#include "classlib/UtilWindow.h"

//--- TPicture

void TPicture::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TPicture*>(&source);
    if (!other) {
        if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) return Bitmap()->Assign(*bitmap);
        return TPersistent::Assign(source);
    }
    if (other->m_bitmap)
        Bitmap()->Assign(*other->m_bitmap);
    else
        m_bitmap.reset();
}

TBitmap* TPicture::Bitmap() {
    if (!m_bitmap) m_bitmap = std::make_unique<TBitmap>();
    return m_bitmap.get();
}

//--- TImage

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 105, 105);
}

TCanvas* TImage::Canvas() {
    TBitmap* bitmap = m_picture.Bitmap();
    if (bitmap->Empty()) bitmap->SetSize(Width(), Height());
    return bitmap->Canvas();
}

void TImage::Paint() {
    if (m_picture.Width() == 0 || m_picture.Height() == 0) return;
    TBitmap* bitmap = m_picture.Bitmap();
    const RECT rect = Stretch ? ClientRect() : RECT{0, 0, bitmap->Width(), bitmap->Height()};
    TGraphicControl::Canvas()->StretchDraw(rect, bitmap);
}

//--- TNotebook

TPage::TPage(TComponent* owner) : TCustomControl(owner) {}

TNotebook::TNotebook(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 150, 150);
}

TPage* TNotebook::AddPage(const std::string& caption) {
    auto* page = new TPage(this);
    page->SetCaption(caption);
    page->SetVisible(m_pages.empty());
    page->SetBounds(0, 0, ClientWidth(), ClientHeight());
    page->SetParent(this);
    m_pages.push_back(page);
    if (m_pageIndex < 0) m_pageIndex = 0;
    return page;
}

void TNotebook::SetPageIndex(int index) {
    if (index < 0 || index >= PageCount() || index == m_pageIndex) return;
    // The new page shows before the old one hides, so nothing flickers through.
    TPage* old = m_pageIndex >= 0 ? m_pages[static_cast<size_t>(m_pageIndex)] : nullptr;
    m_pageIndex = index;
    m_pages[static_cast<size_t>(index)]->SetVisible(true);
    if (old) old->SetVisible(false);
    if (OnPageChanged && CanFireEvents()) OnPageChanged(this);
}

std::string TNotebook::ActivePage() const {
    return m_pageIndex >= 0 ? m_pages[static_cast<size_t>(m_pageIndex)]->Caption() : std::string();
}

void TNotebook::SetActivePage(const std::string& caption) {
    for (int i = 0; i < PageCount(); ++i)
        if (SameText(m_pages[static_cast<size_t>(i)]->Caption(), caption)) return SetPageIndex(i);
}

void TNotebook::SetBounds(int left, int top, int width, int height) {
    TCustomControl::SetBounds(left, top, width, height);
    for (TPage* page : m_pages) page->SetBounds(0, 0, ClientWidth(), ClientHeight());
}

//--- TTimer

namespace {

std::map<UINT_PTR, TTimer*>& Timers() {
    static auto* timers = new std::map<UINT_PTR, TTimer*>;
    return *timers;
}

UINT_PTR NextTimerId() {
    static UINT_PTR id = 0;
    return ++id;
}

void InstallTimerHandler() {
    static bool isInstalled = false;
    if (isInstalled) return;
    isInstalled = true;
    SetUtilMessageHandler(WM_TIMER, [](WPARAM wparam, LPARAM) -> LRESULT {
        auto it = Timers().find(wparam);
        if (it != Timers().end()) it->second->Tick();
        return 0;
    });
}

}  // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner), m_id(NextTimerId()) {
    InstallTimerHandler();
    Timers()[m_id] = this;
    UpdateTimer();
}

TTimer::~TTimer() {
    m_isEnabled = false;
    UpdateTimer();
    Timers().erase(m_id);
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == m_isEnabled) return;
    m_isEnabled = enabled;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned interval) {
    if (interval == m_interval) return;
    m_interval = interval;
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    if (m_isRunning) {
        KillTimer(UtilWindow(), m_id);
        m_isRunning = false;
    }
    if (m_isEnabled && m_interval > 0 && !HasState(csDestroying)) {
        if (!SetTimer(UtilWindow(), m_id, m_interval, nullptr)) throw Exception("Not enough timers available");
        m_isRunning = true;
    }
}

void TTimer::Tick() {
    if (OnTimer && !HasState(csDestroying)) OnTimer(this);
}
