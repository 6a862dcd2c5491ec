// Small components, each wrapping one facility of the desktop: the taskbar's
// Start button, the colour under the mouse, a single running copy of the
// application, its autostart entry, ending the session, and wave sounds. No
// window of the program places them; they are registered for streaming with the
// library's other components.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "classlib/Controls.h"
#include "classlib/Graphics.h"
#include "components/kelComponents.h"
#include "components/kelSysUtils.h"

// Registers the classes below for streaming (called at the library's start).
void kelRegisterDesktopComponentClasses();

//=== Start button

// The taskbar's Start button: its bounds, caption, enabled and visible state.
// The button is looked for once, at construction; without one every property
// reads 0, empty or false and setting it does nothing.
class TkelStartButtonProperties : public TkelComponent {
public:
    explicit TkelStartButtonProperties(TComponent* owner);
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelStartButtonProperties"; }

    // The Start button's window, or null.
    HWND ButtonHandle() const { return m_button; }

    // Reads the button's normal placement into the cached bounds.
    virtual void UpdateBounds() const;
    // Moves and sizes the button (keeping its Z order, not activating it) when
    // any value differs from its present bounds.
    virtual void SetBounds(int left, int top, int width, int height);

    int ButtonLeft() const;
    void SetButtonLeft(int value);
    int ButtonTop() const;
    void SetButtonTop(int value);
    int ButtonWidth() const;
    void SetButtonWidth(int value);
    int ButtonHeight() const;
    void SetButtonHeight(int value);
    // Left, top, left + width, top + height.
    RECT BoundsRect() const;
    void SetBoundsRect(const RECT& rect);
    std::string Caption() const;
    void SetCaption(const std::string& value);
    bool Enabled() const;
    void SetEnabled(bool value);
    bool Visible() const;
    void SetVisible(bool value);

private:
    HWND m_button = nullptr;
    mutable int m_left = 0;
    mutable int m_top = 0;
    mutable int m_width = 0;
    mutable int m_height = 0;
};

//=== Colour picker

// A timer that reads the colour of the screen pixel under the mouse; on each tick
// OnTimer fires and the mouse takes the picker's cursor (when Cursor is not 0).
// Like every window timer it ticks only while OnTimer is assigned.
class TkelColorPicker : public TkelCustomTimer {
public:
    explicit TkelColorPicker(TComponent* owner);
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelColorPicker"; }

    // Sets the mouse's cursor to the screen's cursor of Cursor, unless it is 0.
    virtual void UpdateCursor();
    // The colour under the mouse.
    virtual TColor GetColor() const;
    virtual void SetCursor(int16_t value);

    int16_t Cursor() const { return m_cursor; }
    TColor Color() const { return GetColor(); }

    using TkelCustomTimer::Enabled;
    using TkelCustomTimer::Interval;
    using TkelCustomTimer::OnTimer;
    using TkelCustomTimer::SetEnabled;
    using TkelCustomTimer::SetInterval;
    using TkelCustomTimer::SetOnTimer;

protected:
    // OnTimer, then the cursor.
    void Timer() override;

private:
    int16_t m_cursor = 0;
};

//=== Autorun

// The application's autostart entry: while AutoRun is set, FileName is registered
// under the Run key of Kind. The entry follows every change of the three
// properties at run time, and is set right (added or removed) when the
// component has been read from its stream.
class TkelAutoRun : public TkelComponent {
public:
    explicit TkelAutoRun(TComponent* owner);
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelAutoRun"; }

    // Removes the entry, then adds it again with AutoRun (not while designing).
    virtual void Register();
    // Removes the entry of FileName under Kind (not while designing).
    virtual void UnRegister();

    bool AutoRun() const { return m_isAutoRun; }
    void SetAutoRun(bool value);
    const std::string& FileName() const { return m_fileName; }
    void SetFileName(const std::string& value);
    TkelAutoExecKind Kind() const { return m_kind; }
    void SetKind(TkelAutoExecKind value);

protected:
    void Loaded() override;

private:
    // Unregisters, changes the value, registers again; while being read, only
    // changes it (Loaded registers).
    void Change(const std::function<void()>& store);

    bool m_isAutoRun = false;
    std::string m_fileName;
    TkelAutoExecKind m_kind = aekMachineRun;
};

//=== Shutdown

enum TkelShutdownActionType { aatPowerOff, aatShutdown, aatReboot, aatLogOff, aatSuspend, aatHibernate };
using TkelQueryShutdownEvent = std::function<void(TObject* sender, bool& canShutdown)>;

// Shuts the machine down, restarts it, logs the user off, suspends or
// hibernates, after asking OnQueryShutdown.
class TkelShutdown : public TkelComponent {
public:
    using TkelComponent::TkelComponent;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelShutdown"; }

    // Passes canShutdown to OnQueryShutdown when assigned.
    virtual void DoQueryShutdown(bool& canShutdown);
    // Whether the action was started: false when the shutdown privilege cannot be
    // had (NT family), when OnQueryShutdown refuses, or when the system refuses.
    virtual bool Execute();

    TkelShutdownActionType ActionType() const { return m_actionType; }
    void SetActionType(TkelShutdownActionType value) { m_actionType = value; }
    bool Force() const { return m_isForced; }
    void SetForce(bool value) { m_isForced = value; }
    TkelQueryShutdownEvent OnQueryShutdown;

private:
    TkelShutdownActionType m_actionType = aatPowerOff;
    bool m_isForced = false;
};
