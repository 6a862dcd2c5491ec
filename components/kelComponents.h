// kelComponents: the base of the library's components, its errors, the state the
// unit keeps for the whole run, and the window timer that components needing a
// window of their own derive from.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "classlib/Classes.h"
#include "classlib/Messages.h"
#include "classlib/Streaming.h"
#include "classlib/SysUtils.h"

//--- Errors

class EkelFileStorage : public Exception {
public:
    using Exception::Exception;
};

class EkelTrayIcon : public Exception {
public:
    using Exception::Exception;
};

//--- Unit state

// The number of the shell's "TaskbarCreated" broadcast, registered at start.
extern UINT kelTaskbarCreatedMsg;
// The mutex a single-instance component holds; released at the library's end.
extern HANDLE kelOneInstanceMutex;
// The list of window-procedure hooks is kelWndProcHookList (kelWndProcHook.h).

// Start and end of the unit (run by kelInitialize and kelFinalize).
void kelComponentsInitialize();
void kelComponentsFinalize();

//--- TkelComponent

// Base of the library's components. About is a design-time label: every concrete
// component publishes it first and never stores it; it has no effect.
class TkelComponent : public TComponent {
public:
    using TComponent::TComponent;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelComponent"; }

    std::string About;

protected:
    // Puts the never-stored About first into a concrete class's published properties.
    template <class C>
    static TPublished<C>& PublishAbout(TPublished<C>& published) {
        return published
            .String(
                "About", [](const C& c) { return c.About; }, [](C& c, const std::string& v) { c.About = v; })
            .NeverStored();
    }
};

//--- TkelCustomTimer

// A component with a hidden window of its own and a periodic timer on it. Timer 1
// runs on the window exactly while Interval is not 0, Enabled is set and OnTimer is
// assigned. Descendants get the window's messages through WndProc and publish
// what they need of the timer.
class TkelCustomTimer : public TkelComponent {
public:
    explicit TkelCustomTimer(TComponent* owner);
    ~TkelCustomTimer() override;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelCustomTimer"; }

    // The hidden window.
    HWND WindowHandle() const { return m_window; }

protected:
    uint32_t Interval() const { return m_interval; }
    void SetInterval(uint32_t interval);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    const TNotifyEvent& OnTimer() const { return m_onTimer; }
    // Restarts the timer even when the handler is the same.
    void SetOnTimer(TNotifyEvent handler);

    // Kills timer 1 and starts it again when the invariant asks for it. Raises
    // EOutOfResources when the system has no timer left.
    void UpdateTimer();
    // Called on every tick; fires OnTimer.
    virtual void Timer();
    // Every message of the hidden window. WM_TIMER runs Timer, with its exceptions
    // handed to the application; the rest goes to the default window procedure.
    virtual void WndProc(TMessage& message);

private:
    uint32_t m_interval = 1000;
    TNotifyEvent m_onTimer;
    bool m_enabled = true;
    HWND m_window = nullptr;
};
