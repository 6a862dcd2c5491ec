// The start button, colour picker, autorun, shutdown, single-instance and wave
// player components.
#include "components/kelDesktopComponents.h"

#include "classlib/Forms.h"
#include "components/kelClassLibLink.h"
#include "components/kelGraphics.h"
#include "components/kelPlatformHooks.h"

namespace {

// SWP_NOZORDER | SWP_NOACTIVATE.
constexpr UINT kMoveFlags = 20;

const std::vector<std::string> kAutoExecKindNames = {"aekMachineRun", "aekMachineRunOnce", "aekUserRun",
                                                     "aekUserRunOnce", "aekServiceRun",     "aekServiceRunOnce"};
const std::vector<std::string> kShutdownActionNames = {"aatPowerOff", "aatShutdown", "aatReboot",
                                                       "aatLogOff",   "aatSuspend",  "aatHibernate"};

}  // namespace

void kelRegisterDesktopComponentClasses() {
    kelRegisterClasses({
        &TkelAutoRun::StaticClassInfo(),
        &TkelShutdown::StaticClassInfo(),
        &TkelStartButtonProperties::StaticClassInfo(),
        &TkelColorPicker::StaticClassInfo(),
    });
}

//=== TkelStartButtonProperties

const TClassInfo& TkelStartButtonProperties::StaticClassInfo() {
    using T = TkelStartButtonProperties;
    static const TClassInfo info(
        "TkelStartButtonProperties", &TkelComponent::StaticClassInfo(), &CreateComponentOf<T>, [](TPropList& list) {
            TPublished<T> published(list);
            PublishAbout(published)
                .Integer("ButtonLeft", &T::ButtonLeft, &T::SetButtonLeft, 0)
                .NoDefault()
                .Integer("ButtonTop", &T::ButtonTop, &T::SetButtonTop, 0)
                .NoDefault()
                .Integer("ButtonWidth", &T::ButtonWidth, &T::SetButtonWidth, 0)
                .NoDefault()
                .Integer("ButtonHeight", &T::ButtonHeight, &T::SetButtonHeight, 0)
                .NoDefault()
                .Boolean("Enabled", &T::Enabled, &T::SetEnabled, true)
                .Boolean("Visible", &T::Visible, &T::SetVisible, true);
        });
    return info;
}

TkelStartButtonProperties::TkelStartButtonProperties(TComponent* owner)
    : TkelComponent(owner), m_button(kelFindStartButton()) {}

void TkelStartButtonProperties::UpdateBounds() const {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!m_button || !GetWindowPlacement(m_button, &placement)) return;
    const RECT& r = placement.rcNormalPosition;
    m_left = r.left;
    m_top = r.top;
    m_width = r.right - r.left;
    m_height = r.bottom - r.top;
}

void TkelStartButtonProperties::SetBounds(int left, int top, int width, int height) {
    // Against the button's present bounds: a cache last read long ago would let a
    // change through as no change, or hold it back.
    UpdateBounds();
    if (left == m_left && top == m_top && width == m_width && height == m_height) return;
    if (m_button) SetWindowPos(m_button, nullptr, left, top, width, height, kMoveFlags);
}

int TkelStartButtonProperties::ButtonLeft() const {
    UpdateBounds();
    return m_left;
}

int TkelStartButtonProperties::ButtonTop() const {
    UpdateBounds();
    return m_top;
}

int TkelStartButtonProperties::ButtonWidth() const {
    UpdateBounds();
    return m_width;
}

int TkelStartButtonProperties::ButtonHeight() const {
    UpdateBounds();
    return m_height;
}

// Each single setter keeps the other three as they are now: the cache is read
// first, so that setting the left of a button whose bounds were never asked for
// does not shrink it to nothing.
void TkelStartButtonProperties::SetButtonLeft(int value) {
    UpdateBounds();
    SetBounds(value, m_top, m_width, m_height);
}

void TkelStartButtonProperties::SetButtonTop(int value) {
    UpdateBounds();
    SetBounds(m_left, value, m_width, m_height);
}

void TkelStartButtonProperties::SetButtonWidth(int value) {
    UpdateBounds();
    SetBounds(m_left, m_top, value, m_height);
}

void TkelStartButtonProperties::SetButtonHeight(int value) {
    UpdateBounds();
    SetBounds(m_left, m_top, m_width, value);
}

RECT TkelStartButtonProperties::BoundsRect() const {
    UpdateBounds();
    return RECT{m_left, m_top, m_left + m_width, m_top + m_height};
}

void TkelStartButtonProperties::SetBoundsRect(const RECT& rect) {
    SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

std::string TkelStartButtonProperties::Caption() const {
    char text[256] = {};
    if (m_button) GetWindowTextA(m_button, text, sizeof text);
    return text;
}

void TkelStartButtonProperties::SetCaption(const std::string& value) {
    if (m_button) SetWindowTextA(m_button, value.c_str());
}

bool TkelStartButtonProperties::Enabled() const {
    return m_button && IsWindowEnabled(m_button);
}

void TkelStartButtonProperties::SetEnabled(bool value) {
    if (m_button) EnableWindow(m_button, value);
}

bool TkelStartButtonProperties::Visible() const {
    return m_button && IsWindowVisible(m_button);
}

void TkelStartButtonProperties::SetVisible(bool value) {
    if (m_button) ShowWindow(m_button, value ? SW_SHOW : SW_HIDE);
}

//=== TkelColorPicker

const TClassInfo& TkelColorPicker::StaticClassInfo() {
    using T = TkelColorPicker;
    static const TClassInfo info("TkelColorPicker", &TkelCustomTimer::StaticClassInfo(), &CreateComponentOf<T>,
                                 [](TPropList& list) {
                                     TPublished<T> published(list);
                                     PublishAbout(published)
                                         .Boolean("Enabled", &T::Enabled, &T::SetEnabled, true)
                                         .Cardinal("Interval", &T::Interval, &T::SetInterval, 100);
                                 });
    return info;
}

TkelColorPicker::TkelColorPicker(TComponent* owner) : TkelCustomTimer(owner) {
    SetInterval(100);
}

void TkelColorPicker::Timer() {
    TkelCustomTimer::Timer();
    UpdateCursor();
}

void TkelColorPicker::UpdateCursor() {
    if (m_cursor != 0) ::SetCursor(Screen->Cursors(m_cursor));
}

TColor TkelColorPicker::GetColor() const {
    return kelGetColorUnderCursor();
}

void TkelColorPicker::SetCursor(int16_t value) {
    if (value == m_cursor) return;
    m_cursor = value;
    UpdateCursor();
}

//=== TkelAutoRun

const TClassInfo& TkelAutoRun::StaticClassInfo() {
    using T = TkelAutoRun;
    static const TClassInfo info("TkelAutoRun", &TkelComponent::StaticClassInfo(), &CreateComponentOf<T>,
                                 [](TPropList& list) {
                                     TPublished<T> published(list);
                                     PublishAbout(published)
                                         .Boolean("AutoRun", &T::AutoRun, &T::SetAutoRun, false)
                                         .String("FileName", &T::FileName, &T::SetFileName)
                                         .Enumeration("Kind", &T::Kind, &T::SetKind, kAutoExecKindNames,
                                                      aekMachineRun);
                                 });
    return info;
}

TkelAutoRun::TkelAutoRun(TComponent* owner) : TkelComponent(owner), m_fileName(kelAppExeName()) {}

void TkelAutoRun::Register() {
    if (HasState(csDesigning)) return;
    UnRegister();
    if (m_isAutoRun) kelRegisterAutoExec(m_kind, m_fileName);
}

void TkelAutoRun::UnRegister() {
    if (HasState(csDesigning)) return;
    kelUnregisterAutoExec(m_kind, m_fileName);
}

void TkelAutoRun::Loaded() {
    TkelComponent::Loaded();
    Register();
}

void TkelAutoRun::Change(const std::function<void()>& store) {
    // While the stream is read the entry waits for Loaded: the properties read so
    // far (say, the default kind with the stream's file name) would remove or add
    // an entry that is none of this component's.
    const bool isLoading = HasState(csLoading);
    if (!isLoading) UnRegister();
    store();
    if (!isLoading) Register();
}

void TkelAutoRun::SetAutoRun(bool value) {
    if (value != m_isAutoRun) Change([&] { m_isAutoRun = value; });
}

void TkelAutoRun::SetFileName(const std::string& value) {
    if (value != m_fileName) Change([&] { m_fileName = value; });
}

void TkelAutoRun::SetKind(TkelAutoExecKind value) {
    if (value != m_kind) Change([&] { m_kind = value; });
}

//=== TkelShutdown

const TClassInfo& TkelShutdown::StaticClassInfo() {
    using T = TkelShutdown;
    static const TClassInfo info("TkelShutdown", &TkelComponent::StaticClassInfo(), &CreateComponentOf<T>,
                                 [](TPropList& list) {
                                     TPublished<T> published(list);
                                     PublishAbout(published)
                                         .Enumeration("ActionType", &T::ActionType, &T::SetActionType,
                                                      kShutdownActionNames, aatPowerOff)
                                         .Boolean("Force", &T::Force, &T::SetForce, false);
                                 });
    return info;
}

void TkelShutdown::DoQueryShutdown(bool& canShutdown) {
    if (OnQueryShutdown) OnQueryShutdown(this, canShutdown);
}

bool TkelShutdown::Execute() {
    if (IsWinNT && !kelEnableShutdownPrivilege()) return false;
    bool canShutdown = true;
    DoQueryShutdown(canShutdown);
    if (!canShutdown) return false;
    const UINT force = m_isForced ? EWX_FORCE : 0;
    switch (m_actionType) {
        case aatPowerOff: return kelExitWindows(EWX_POWEROFF | force) != FALSE;
        case aatShutdown: return kelExitWindows(EWX_SHUTDOWN | force) != FALSE;
        case aatReboot: return kelExitWindows(EWX_REBOOT | force) != FALSE;
        case aatLogOff: return kelExitWindows(EWX_LOGOFF | force) != FALSE;
        case aatSuspend: return kelSetSystemPowerState(TRUE, m_isForced) != FALSE;
        case aatHibernate: return kelSetSystemPowerState(FALSE, m_isForced) != FALSE;
    }
    return false;
}
