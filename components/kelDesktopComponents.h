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
#include "components/kelFileComponents.h"
#include "components/kelSysUtils.h"

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

//=== Single instance

// Sender, and whether the second copy ends (cleared: it keeps running).
using TkelOneInstanceShowMessage = std::function<void(TObject* sender, bool& terminate)>;

// Refuses a second running copy of the application: when the component has been
// read, a copy that finds another one running shows a message (with
// ShowMessage), brings the other forward (with ActivatePrevInstance) and ends.
// The copies know each other by named mutexes built from the application's title
// (or its program file) and Identifier.
class TkelOneInstance : public TkelComponent {
public:
    using TkelComponent::TkelComponent;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelOneInstance"; }

    // Whether another copy runs (or is starting at this moment); false while
    // designing. The first copy keeps its mutex until the library ends.
    virtual bool AlreadyRun();
    // When another copy runs: the message, the other copy brought forward, and
    // the application told to end unless the message's handler kept it. The
    // result is whether another copy runs.
    virtual bool Check();

    bool ActivatePrevInstance() const { return m_isActivatingPrevInstance; }
    void SetActivatePrevInstance(bool value) { m_isActivatingPrevInstance = value; }
    bool ExeNameAsIdentifier() const { return m_isExeNameIdentifier; }
    void SetExeNameAsIdentifier(bool value) { m_isExeNameIdentifier = value; }
    bool ShowMessage() const { return m_isShowingMessage; }
    void SetShowMessage(bool value) { m_isShowingMessage = value; }
    const std::string& Message() const { return m_message; }
    void SetMessage(const std::string& value) { m_message = value; }
    const std::string& Identifier() const { return m_identifier; }
    void SetIdentifier(const std::string& value) { m_identifier = value; }
    // Whether the last Check that found another copy ended this one.
    bool Terminate() const { return m_isTerminating; }
    TkelOneInstanceShowMessage OnShowMessage;

protected:
    // OnShowMessage when assigned, else a warning box with Message (or the
    // standard text naming the application).
    virtual void DoShowMessage();
    virtual void DoActivatePrevInstance();
    void Loaded() override;

private:
    bool m_isActivatingPrevInstance = true;
    bool m_isExeNameIdentifier = false;
    bool m_isShowingMessage = false;
    std::string m_message;
    std::string m_identifier;
    bool m_isTerminating = false;
};

//=== Wave player

enum TkelWavPlayFrom { pfFile, pfResource, pfDFM, pfSystemEvent };

// Plays a wave sound from a file (FileName), a resource of the program
// (ResourceName), the data stored in the form (pfDFM, loaded from FileName), or a
// system sound alias (EventAlias). Playing is set only for the time of the call
// to the system: for an asynchronous sound, until it has started.
class TkelWav : public TkelCustomFileStorage {
public:
    explicit TkelWav(TComponent* owner);
    ~TkelWav() override;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelWav"; }

    // Computes the system's sound flags, the sound and its module from the
    // properties.
    virtual void UpdateSoundOptions();
    virtual void SetAsyncPlay(bool value);
    virtual void SetEventAlias(const std::string& value);
    virtual void SetLooped(bool value);
    virtual void SetNoWaitIfBusy(bool value);
    virtual void SetPlayFrom(TkelWavPlayFrom value);
    virtual void SetResourceName(const std::string& value);
    virtual void Play();
    // Stops the sound playing (any sound of the program).
    virtual void Stop();
    void SetFileName(const std::string& value) override;

    // Stopping a sound first that plays from the stored data, which is about to change.
    bool LoadFrom(const std::string& fileName) override;
    void ReadFileData(TStream& stream) override;
    void Clear() override;

    bool AsyncPlay() const { return m_isAsync; }
    bool Looped() const { return m_isLooped; }
    bool NoDefaultSound() const { return m_isNoDefaultSound; }
    void SetNoDefaultSound(bool value) { m_isNoDefaultSound = value; }
    bool NoStopSound() const { return m_isNoStopSound; }
    void SetNoStopSound(bool value) { m_isNoStopSound = value; }
    bool NoWaitIfBusy() const { return m_isNoWaitIfBusy; }
    TkelWavPlayFrom PlayFrom() const { return m_playFrom; }
    const std::string& ResourceName() const { return m_resourceName; }
    const std::string& EventAlias() const { return m_eventAlias; }
    bool Playing() const { return m_isPlaying; }
    // What UpdateSoundOptions computed.
    DWORD SoundFlags() const { return m_soundFlags; }
    const char* Sound() const { return m_sound; }
    HMODULE SoundModule() const { return m_module; }
    TNotifyEvent OnPlayBefore;
    TNotifyEvent OnPlayAfter;

    using TkelCustomFileStorage::DataSize;
    using TkelCustomFileStorage::FileName;

private:
    bool m_isAsync = true;
    bool m_isLooped = false;
    bool m_isNoDefaultSound = true;
    bool m_isNoStopSound = false;
    bool m_isNoWaitIfBusy = true;
    TkelWavPlayFrom m_playFrom = pfFile;
    std::string m_resourceName = "WAVE1";
    std::string m_eventAlias = ".Default";
    bool m_isPlaying = false;
    // Whether the sound last started plays from the stored data.
    bool m_isPlayingFromData = false;
    DWORD m_soundFlags = 0;
    const char* m_sound = nullptr;
    HMODULE m_module = nullptr;
};
