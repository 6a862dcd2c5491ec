// TkelWndProcHook: subclasses a window. Its own window procedure shows every
// message to the user's events before and after the window's previous
// procedure, and can turn a left-button press anywhere on the window into
// dragging the window. Several hooks may sit on one window: the list of all hook
// components keeps their chain in order whenever one is switched on or off.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "classlib/Messages.h"
#include "components/kelClassLibLink.h"
#include "components/kelComponents.h"
#include "components/kelSubclass.h"

// A message on its way through a hook. Handled = true keeps it from the window's
// previous procedure (and from the drag).
using TkelMessageEvent = std::function<void(TObject* sender, TMessage& message, bool& handled)>;

class TkelCustomWndProcHook;

// Every hook component, in creation order; made by the first hook's constructor
// and freed when the last one is destroyed. The chain on one window follows this
// order: the first active hook on it calls the window's own procedure, each later
// one calls the one before it, and the window calls the last, so the most recently
// created active hook sees messages first.
class TkelWndProcHookList {
public:
    int Count() const { return static_cast<int>(m_hooks.size()); }
    TkelCustomWndProcHook* Items(int index) const { return m_hooks.at(static_cast<size_t>(index)); }

    void Add(TkelCustomWndProcHook* hook);
    void Remove(TkelCustomWndProcHook* hook);
    // The procedure the window had before any hook of the list.
    WNDPROC BaseProc(HWND window) const;
    // Puts the hook on the window at its place in the order, or takes it off.
    // Procedures that others put on the window stay where they are.
    void Install(TkelCustomWndProcHook* hook, HWND window);
    void Uninstall(TkelCustomWndProcHook* hook);

private:
    std::vector<TkelCustomWndProcHook*> m_hooks;
};

// The unit's list of hooks (null while no hook exists).
extern TkelWndProcHookList* kelWndProcHookList;
// Frees the list at the end of the library.
void kelFreeWndProcHookList();

class TkelCustomWndProcHook : public TkelComponent {
public:
    explicit TkelCustomWndProcHook(TComponent* owner);
    ~TkelCustomWndProcHook() override;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelCustomWndProcHook"; }

    // The window hooked: Handle when it names one, else WinControl's window;
    // INVALID_HANDLE_VALUE when there is none (a control without a window while it
    // is read from its form or destroyed has none yet).
    virtual HWND GetHandle();
    virtual void SetHandle(HWND value);
    // WinControl when set, else the owner when that is a windowed control.
    virtual TWinControl* GetWinControl() const;
    virtual void SetWinControl(TWinControl* value);

    bool Active() const { return m_active; }
    virtual void SetActive(bool value);
    bool AutoDrag() const { return m_autoDrag; }
    void SetAutoDrag(bool value) { m_autoDrag = value; }
    // The window and the control in effect, as GetHandle and GetWinControl give them.
    HWND Handle() { return GetHandle(); }
    TWinControl* WinControl() const { return GetWinControl(); }

    // The procedure messages go on to (null while not hooked).
    WNDPROC PrevWndProc() const { return m_link && m_hookedWindow ? m_link->Prev() : nullptr; }
    // The hook's own window procedure (null while switched off).
    WNDPROC Instance() const { return m_link ? m_link->Instance() : nullptr; }
    // The window the hook is chained into (null while it is in no chain).
    HWND HookedWindow() const { return m_hookedWindow; }

    TNotifyEvent OnChangeHandle;
    TNotifyEvent OnChangeWinControl;
    TkelMessageEvent OnMessageBefore;
    TkelMessageEvent OnMessageAfter;

protected:
    virtual void Hook();
    virtual void UnHook();
    // Every message of the hooked window.
    virtual void WndProc(TMessage& message);
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TkelWndProcHookList;
    bool IsDesigning() const { return HasState(csDesigning); }

    bool m_active = false;
    bool m_autoDrag = false;
    HWND m_handle = nullptr;
    TWinControl* m_winControl = nullptr;
    // The hook's place in the chain of procedures on its window.
    std::shared_ptr<TkelSubclass> m_link;
    HWND m_hookedWindow = nullptr;
    // Cleared by the destructor; a message in progress holds a copy to see it.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

class TkelWndProcHook : public TkelCustomWndProcHook {
public:
    using TkelCustomWndProcHook::TkelCustomWndProcHook;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelWndProcHook"; }
};
