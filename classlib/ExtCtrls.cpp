// Image control, paint box and timer.
#include "classlib/ExtCtrls.h"

#include <map>

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
