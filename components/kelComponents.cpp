// kelComponents: base, unit state, window timer.
#include "components/kelComponents.h"

#include "classlib/AllocateHWnd.h"
#include "components/kelClassLibLink.h"
#include "components/kelDesktopComponents.h"
#include "components/kelFileComponents.h"
#include "components/kelMonitors.h"
#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"
#include "components/kelThreadComponent.h"
#include "components/kelTrayIcon.h"
#include "components/kelWndProcHook.h"

UINT kelTaskbarCreatedMsg = 0;
HANDLE kelOneInstanceMutex = nullptr;

namespace {

constexpr UINT_PTR kTimerId = 1;

}  // namespace

//--- Unit start and end

void kelComponentsInitialize() {
    kelOneInstanceMutex = nullptr;
    kelTaskbarCreatedMsg = RegisterWindowMessageA("TaskbarCreated");
    // Streams may name every component class of the library.
    kelRegisterClasses({
        &TkelComponent::StaticClassInfo(),
        &TkelCustomThreadComponent::StaticClassInfo(),
        &TkelCustomTimer::StaticClassInfo(),
        &TkelCustomThreadTimer::StaticClassInfo(),
        &TkelCustomWndProcHook::StaticClassInfo(),
        &TkelCustomFileStorage::StaticClassInfo(),
        &TkelAutoRun::StaticClassInfo(),
        &TkelOneInstance::StaticClassInfo(),
        &TkelShutdown::StaticClassInfo(),
        &TkelTrayIcon::StaticClassInfo(),
        &TkelWndProcHook::StaticClassInfo(),
        &TkelFileStorage::StaticClassInfo(),
        &TkelWav::StaticClassInfo(),
        &TkelThreadComponent::StaticClassInfo(),
        &TkelThreadTimer::StaticClassInfo(),
        &TkelFileOperation::StaticClassInfo(),
        &TkelFileAssociation::StaticClassInfo(),
        &TkelCustomFolderMonitor::StaticClassInfo(),
        &TkelFolderMonitor::StaticClassInfo(),
        &TkelCustomRegistryMonitor::StaticClassInfo(),
        &TkelRegistryMonitor::StaticClassInfo(),
        &TkelStartButtonProperties::StaticClassInfo(),
        &TkelColorPicker::StaticClassInfo(),
    });
}

void kelComponentsFinalize() {
    kelFreeWndProcHookList();
    if (kelOneInstanceMutex) {
        ReleaseMutex(kelOneInstanceMutex);
        CloseHandle(kelOneInstanceMutex);
        kelOneInstanceMutex = nullptr;
    }
}

//--- TkelComponent

const TClassInfo& TkelComponent::StaticClassInfo() {
    static const TClassInfo info("TkelComponent", &TComponent::StaticClassInfo(), &CreateComponentOf<TkelComponent>,
                                 nullptr);
    return info;
}

//--- TkelCustomTimer

const TClassInfo& TkelCustomTimer::StaticClassInfo() {
    static const TClassInfo info("TkelCustomTimer", &TkelComponent::StaticClassInfo(),
                                 &CreateComponentOf<TkelCustomTimer>, nullptr);
    return info;
}

TkelCustomTimer::TkelCustomTimer(TComponent* owner) : TkelComponent(owner) {
    m_enabled = true;
    m_interval = 1000;
    m_window = AllocateHWnd([this](TMessage& message) {
        try {
            WndProc(message);
        } catch (...) {
            kelAppHandleException(this);
        }
    });
}

TkelCustomTimer::~TkelCustomTimer() {
    m_enabled = false;
    UpdateTimer();
    DeallocateHWnd(m_window);
    m_window = nullptr;
}

void TkelCustomTimer::SetInterval(uint32_t interval) {
    if (interval == m_interval) return;
    m_interval = interval;
    UpdateTimer();
}

void TkelCustomTimer::SetEnabled(bool enabled) {
    if (enabled == m_enabled) return;
    m_enabled = enabled;
    UpdateTimer();
}

void TkelCustomTimer::SetOnTimer(TNotifyEvent handler) {
    m_onTimer = std::move(handler);
    UpdateTimer();
}

void TkelCustomTimer::UpdateTimer() {
    KillTimer(m_window, kTimerId);
    if (m_interval != 0 && m_enabled && m_onTimer) {
        if (kelSetTimer(m_window, kTimerId, m_interval) == 0) throw EOutOfResources("Not enough timers available");
    }
}

void TkelCustomTimer::Timer() {
    if (m_onTimer) m_onTimer(this);
}

void TkelCustomTimer::WndProc(TMessage& message) {
    if (message.Msg == WM_TIMER) {
        try {
            Timer();
        } catch (...) {
            kelAppHandleException(this);
        }
        return;
    }
    message.Result = DefWindowProcA(m_window, message.Msg, message.WParam, message.LParam);
}
