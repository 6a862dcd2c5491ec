// The start button, colour picker, autorun, shutdown, single-instance and wave
// player components. Ending the session, the power state, sounds and message
// boxes are recorded through the platform hooks, never done.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/Forms.h"
#include "classlib/Streams.h"
#include "components/kelDesktopComponents.h"
#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"
#include "kelTestSupport.h"
#include "tests/ScopedApplication.h"
#include "tests/TestFolder.h"

namespace {

std::string StreamText(TComponent* component) {
    TMemoryStream stream;
    WriteComponent(stream, component);
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(kelDesktopComponents, StreamsKnowTheClasses) {
    for (const char* name : {"TkelStartButtonProperties", "TkelColorPicker", "TkelOneInstance", "TkelAutoRun",
                             "TkelShutdown", "TkelWav"})
        EXPECT_NE(nullptr, GetClass(name)) << name;
}

//=== Start button

namespace {

// A window that stands in for the shell's Start button.
class FakeStartButton {
public:
    FakeStartButton() {
        m_parent = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 200, 60, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        m_button = CreateWindowExA(0, "BUTTON", "start", WS_CHILD | WS_VISIBLE, 10, 5, 60, 20, m_parent, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        kelPlatformHooks().FindStartButton = [this] { return m_button; };
    }
    ~FakeStartButton() {
        kelPlatformHooks().FindStartButton = nullptr;
        DestroyWindow(m_parent);
    }
    FakeStartButton(const FakeStartButton&) = delete;
    FakeStartButton& operator=(const FakeStartButton&) = delete;
    HWND Parent() const { return m_parent; }
    HWND Button() const { return m_button; }
    RECT Bounds() const {
        RECT r;
        GetWindowRect(m_button, &r);
        MapWindowPoints(nullptr, m_parent, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

private:
    HWND m_parent;
    HWND m_button;
};

}  // namespace

TEST(kelStartButtonProperties, WorksTheButtonsBoundsCaptionAndState) {
    FakeStartButton fake;
    TkelStartButtonProperties start(nullptr);
    ASSERT_EQ(fake.Button(), start.ButtonHandle());
    EXPECT_EQ(10, start.ButtonLeft());
    EXPECT_EQ(60, start.ButtonWidth());
    // One edge moved: the other three stay, though no getter read them first.
    TkelStartButtonProperties fresh(nullptr);
    fresh.SetButtonLeft(30);
    RECT r = fake.Bounds();
    EXPECT_EQ(30, r.left);
    EXPECT_EQ(90, r.right);
    EXPECT_EQ(5, r.top);
    EXPECT_EQ(20, r.bottom - r.top);
    fresh.SetButtonHeight(24);
    fresh.SetBoundsRect(RECT{2, 3, 52, 23});
    r = start.BoundsRect();
    EXPECT_EQ(2, r.left);
    EXPECT_EQ(3, r.top);
    EXPECT_EQ(52, r.right);
    EXPECT_EQ(23, r.bottom);
    EXPECT_EQ(50, start.ButtonWidth());

    EXPECT_EQ("start", start.Caption());
    start.SetCaption("Begin");
    EXPECT_EQ("Begin", start.Caption());
    EXPECT_TRUE(start.Enabled());
    start.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(fake.Button()));
    EXPECT_FALSE(start.Enabled());
    ShowWindow(fake.Parent(), SW_SHOWNOACTIVATE);
    EXPECT_TRUE(start.Visible());
    start.SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(fake.Button()));
    EXPECT_FALSE(start.Visible());
}

TEST(kelStartButtonProperties, WithoutAStartButtonEverythingIsHarmless) {
    kelPlatformHooks().FindStartButton = [] { return HWND(nullptr); };
    TkelStartButtonProperties start(nullptr);
    kelPlatformHooks().FindStartButton = nullptr;
    start.SetBounds(1, 2, 3, 4);
    start.SetButtonWidth(7);
    start.SetCaption("x");
    start.SetEnabled(false);
    start.SetVisible(false);
    EXPECT_EQ(0, start.ButtonLeft());
    EXPECT_EQ(0, start.ButtonHeight());
    EXPECT_EQ("", start.Caption());
    EXPECT_FALSE(start.Enabled());
    EXPECT_FALSE(start.Visible());
    // The shell's own button is looked for but only read.
    TkelStartButtonProperties real(nullptr);
    (void)real.Caption();
    (void)real.BoundsRect();
}

//=== Colour picker

TEST(kelColorPicker, TicksFireOnTimerThenSetTheCursorAndReadTheColourUnderTheMouse) {
    TkelColorPicker picker(nullptr);
    EXPECT_EQ(100u, picker.Interval());
    EXPECT_TRUE(picker.Enabled());
    EXPECT_EQ(0, picker.Cursor());
    EXPECT_FALSE(Contains(StreamText(&picker), "Interval"));  // 100 is its default

    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, 140, 40, 60,
                                  60, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    const TColor colour = static_cast<TColor>(RGB(201, 17, 90));
    EXPECT_TRUE(PumpUntil([&] {
        HDC dc = GetDC(window);
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(colour));
        RECT all{0, 0, 60, 60};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        ReleaseDC(window, dc);
        SetCursorPos(170, 70);
        return picker.Color() == colour;
    }));

    // A cursor of the program's own comes from the screen's list as well.
    constexpr TCursor kOwnCursor = 5;
    HCURSOR own = CopyCursor(LoadCursor(nullptr, IDC_CROSS));
    ASSERT_NE(nullptr, own);
    Screen->SetCursors(kOwnCursor, own);
    picker.SetCursor(static_cast<int16_t>(kOwnCursor));
    EXPECT_EQ(own, GetCursor());
    picker.SetCursor(static_cast<int16_t>(crHandPoint));
    EXPECT_EQ(LoadCursor(nullptr, IDC_HAND), GetCursor());
    Screen->SetCursors(kOwnCursor, nullptr);
    // On a tick OnTimer comes first, then the cursor is set again.
    std::vector<HCURSOR> seen;
    picker.SetOnTimer([&](TObject*) { seen.push_back(GetCursor()); });
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    EXPECT_TRUE(PumpUntil([&] { return !seen.empty(); }));
    picker.SetOnTimer(nullptr);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(LoadCursor(nullptr, IDC_ARROW), seen.front());
    EXPECT_EQ(LoadCursor(nullptr, IDC_HAND), GetCursor());
    DestroyWindow(window);
}

//=== Autorun

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// The value of the Run entry, or "<none>".
std::string Entry(const RegistryRedirect& redirect, HKEY root, const char* key, const std::string& name) {
    return kelRegReadStringDef(HKEY_CURRENT_USER, redirect.Moved(root, key), name, "<none>");
}

}  // namespace

TEST(kelAutoRun, TheEntryFollowsEveryChangeAndNotWhileDesigning) {
    RegistryRedirect redirect;
    TkelAutoRun autoRun(nullptr);
    EXPECT_EQ(Application->ExeName(), autoRun.FileName());
    EXPECT_EQ(aekMachineRun, autoRun.Kind());
    autoRun.SetKind(aekUserRun);
    autoRun.SetFileName("C:\\Apps\\first.exe");
    EXPECT_EQ("<none>", Entry(redirect, HKEY_CURRENT_USER, kRunKey, "first.exe"));
    autoRun.SetAutoRun(true);
    EXPECT_EQ("\"C:\\Apps\\first.exe\"", Entry(redirect, HKEY_CURRENT_USER, kRunKey, "first.exe"));
    autoRun.SetFileName("C:\\Apps\\second.exe");
    EXPECT_EQ("<none>", Entry(redirect, HKEY_CURRENT_USER, kRunKey, "first.exe"));
    EXPECT_EQ("\"C:\\Apps\\second.exe\"", Entry(redirect, HKEY_CURRENT_USER, kRunKey, "second.exe"));
    autoRun.SetKind(aekUserRunOnce);
    EXPECT_EQ("<none>", Entry(redirect, HKEY_CURRENT_USER, kRunKey, "second.exe"));
    EXPECT_EQ("\"C:\\Apps\\second.exe\"", Entry(redirect, HKEY_CURRENT_USER, kRunOnceKey, "second.exe"));
    autoRun.SetAutoRun(false);
    EXPECT_EQ("<none>", Entry(redirect, HKEY_CURRENT_USER, kRunOnceKey, "second.exe"));

    TkelAutoRun designed(nullptr);
    designed.SetDesigning(true);
    designed.SetKind(aekUserRun);
    designed.SetAutoRun(true);
    designed.Register();
    EXPECT_EQ("<none>", Entry(redirect, HKEY_CURRENT_USER, kRunKey, kelExtractFileName(designed.FileName())));

    // Placed on a form in the designer, it carries no path of its own into the form.
    TkelComponent form(nullptr);
    form.SetName("Form1");
    form.SetDesigning(true);
    auto* placed = new TkelAutoRun(&form);
    placed->SetName("AutoRun1");
    EXPECT_EQ("", placed->FileName());
    EXPECT_FALSE(Contains(StreamText(&form), "FileName"));
}

TEST(kelAutoRun, LoadingSetsTheEntryRightAndTouchesNoOtherKind) {
    RegistryRedirect redirect;
    auto streamOf = [](bool autoRun) {
        auto stream = std::make_unique<TMemoryStream>();
        TkelAutoRun written(nullptr);
        written.SetName("AutoRun1");
        written.SetDesigning(true);
        written.SetKind(aekUserRun);
        written.SetFileName("C:\\Apps\\tool.exe");
        written.SetAutoRun(autoRun);
        WriteComponent(*stream, &written);
        stream->SetPosition(0);
        return stream;
    };
    // An entry of the same name under the kind the component starts with, and
    // one under its own kind.
    kelRegWriteString(HKEY_CURRENT_USER, redirect.Moved(HKEY_LOCAL_MACHINE, kRunKey), "tool.exe", "mine");
    kelRegWriteString(HKEY_CURRENT_USER, redirect.Moved(HKEY_CURRENT_USER, kRunKey), "tool.exe", "old");
    {
        auto stream = streamOf(false);
        std::unique_ptr<TComponent> read(ReadComponent(*stream, nullptr));
        EXPECT_EQ("<none>", Entry(redirect, HKEY_CURRENT_USER, kRunKey, "tool.exe"));
    }
    {
        auto stream = streamOf(true);
        std::unique_ptr<TComponent> read(ReadComponent(*stream, nullptr));
        EXPECT_EQ("\"C:\\Apps\\tool.exe\"", Entry(redirect, HKEY_CURRENT_USER, kRunKey, "tool.exe"));
    }
    EXPECT_EQ("mine", Entry(redirect, HKEY_LOCAL_MACHINE, kRunKey, "tool.exe"));
}

//=== Shutdown

namespace {

// Records what the shutdown component would do.
class ShutdownRecorder {
public:
    ShutdownRecorder() : m_saved(kelPlatformHooks()) {
        kelPlatformHooks().EnableShutdownPrivilege = [this] {
            calls.push_back("privilege");
            return isPrivilegeGiven;
        };
        kelPlatformHooks().ExitWindowsCall = [this](UINT flags) {
            calls.push_back("exit " + std::to_string(flags));
            return isSystemWilling;
        };
        kelPlatformHooks().SetSystemPowerState = [this](BOOL suspend, BOOL force) {
            calls.push_back(std::string(suspend ? "suspend" : "hibernate") + (force ? " forced" : ""));
            return isSystemWilling;
        };
    }
    // The calls go back to what they were (the test program's guards).
    ~ShutdownRecorder() {
        kelPlatformHooks().EnableShutdownPrivilege = m_saved.EnableShutdownPrivilege;
        kelPlatformHooks().ExitWindowsCall = m_saved.ExitWindowsCall;
        kelPlatformHooks().SetSystemPowerState = m_saved.SetSystemPowerState;
    }
    ShutdownRecorder(const ShutdownRecorder&) = delete;
    ShutdownRecorder& operator=(const ShutdownRecorder&) = delete;
    std::vector<std::string> calls;
    bool isPrivilegeGiven = true;
    BOOL isSystemWilling = TRUE;

private:
    TkelPlatformHooks m_saved;
};

}  // namespace

TEST(kelShutdown, EachActionMakesItsCall) {
    ShutdownRecorder recorder;
    TkelShutdown shutdown(nullptr);
    EXPECT_EQ(aatPowerOff, shutdown.ActionType());
    const struct {
        TkelShutdownActionType type;
        const char* plain;
        const char* forced;
    } table[] = {
        {aatPowerOff, "exit 8", "exit 12"},    {aatShutdown, "exit 1", "exit 5"},
        {aatReboot, "exit 2", "exit 6"},       {aatLogOff, "exit 0", "exit 4"},
        {aatSuspend, "suspend", "suspend forced"}, {aatHibernate, "hibernate", "hibernate forced"},
    };
    for (const auto& row : table) {
        for (bool force : {false, true}) {
            recorder.calls.clear();
            shutdown.SetActionType(row.type);
            shutdown.SetForce(force);
            EXPECT_TRUE(shutdown.Execute());
            EXPECT_EQ((std::vector<std::string>{"privilege", force ? row.forced : row.plain}), recorder.calls);
        }
    }
    recorder.calls.clear();
    recorder.isSystemWilling = FALSE;
    EXPECT_FALSE(shutdown.Execute());
    EXPECT_EQ(2u, recorder.calls.size());
}

TEST(kelShutdown, ARefusalOrAMissingPrivilegeDoesNothing) {
    ShutdownRecorder recorder;
    TkelShutdown shutdown(nullptr);
    int asked = 0;
    shutdown.OnQueryShutdown = [&](TObject* sender, bool& canShutdown) {
        EXPECT_EQ(&shutdown, sender);
        EXPECT_TRUE(canShutdown);
        ++asked;
        canShutdown = false;
    };
    EXPECT_FALSE(shutdown.Execute());
    EXPECT_EQ(1, asked);
    EXPECT_EQ(std::vector<std::string>{"privilege"}, recorder.calls);

    recorder.calls.clear();
    recorder.isPrivilegeGiven = false;
    shutdown.OnQueryShutdown = nullptr;
    EXPECT_FALSE(shutdown.Execute());
    EXPECT_EQ(std::vector<std::string>{"privilege"}, recorder.calls);

    // The privilege step itself: only a call that assigned everything enables it.
    kelPlatformHooks().EnableShutdownPrivilege = nullptr;
    const struct {
        BOOL result;
        DWORD error;
        bool isEnabled;
    } steps[] = {
        {TRUE, ERROR_SUCCESS, true}, {TRUE, ERROR_NOT_ALL_ASSIGNED, false}, {FALSE, ERROR_ACCESS_DENIED, false}};
    for (const auto& step : steps) {
        kelPlatformHooks().AdjustTokenPrivilegesCall = [&](HANDLE, TOKEN_PRIVILEGES& privileges) {
            EXPECT_EQ(DWORD(SE_PRIVILEGE_ENABLED), privileges.Privileges[0].Attributes);
            SetLastError(step.error);
            return step.result;
        };
        EXPECT_EQ(step.isEnabled, kelEnableShutdownPrivilege()) << step.error;
    }
    recorder.calls.clear();
    EXPECT_FALSE(shutdown.Execute());
    EXPECT_TRUE(recorder.calls.empty());
    kelPlatformHooks().AdjustTokenPrivilegesCall = nullptr;
}

//=== Single instance

namespace {

// Another copy of the program: a thread of its own that owns the named mutex.
class OtherCopy {
public:
    explicit OtherCopy(const std::string& mutexName) : m_name(mutexName) {
        m_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_owns = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_thread = CreateThread(nullptr, 0, &Run, this, 0, nullptr);
        WaitForSingleObject(m_owns, 5000);
    }
    ~OtherCopy() {
        SetEvent(m_release);
        WaitForSingleObject(m_thread, 5000);
        CloseHandle(m_thread);
        CloseHandle(m_owns);
        CloseHandle(m_release);
    }
    OtherCopy(const OtherCopy&) = delete;
    OtherCopy& operator=(const OtherCopy&) = delete;

private:
    static DWORD WINAPI Run(LPVOID data) {
        auto* self = static_cast<OtherCopy*>(data);
        // Taken by waiting: a mutex that exists already is not owned by creating it.
        HANDLE mutex = CreateMutexA(nullptr, FALSE, self->m_name.c_str());
        WaitForSingleObject(mutex, 5000);
        SetEvent(self->m_owns);
        WaitForSingleObject(self->m_release, INFINITE);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
        return 0;
    }
    std::string m_name;
    HANDLE m_release;
    HANDLE m_owns;
    HANDLE m_thread;
};

bool MutexExists(const std::string& name) {
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    if (mutex) CloseHandle(mutex);
    return mutex != nullptr;
}

// A fresh application with a title of the test's own; the mutex the
// component keeps is let go at the end.
class OneInstanceTest : public testing::Test {
protected:
    OneInstanceTest() {
        Application->SetTitle(m_title);
        kelPlatformHooks().MessageBoxEx = [this](HWND, const std::string& text, const std::string& caption,
                                                 UINT flags) {
            boxes.push_back(text + "|" + caption + "|" + std::to_string(flags));
            return IDOK;
        };
    }
    ~OneInstanceTest() override {
        kelPlatformHooks().MessageBoxEx = nullptr;
        if (kelOneInstanceMutex) {
            ReleaseMutex(kelOneInstanceMutex);
            CloseHandle(kelOneInstanceMutex);
            kelOneInstanceMutex = nullptr;
        }
    }
    const std::string& Title() const { return m_title; }

    ScopedApplication m_application;
    std::string m_title = "kel one instance " + std::to_string(GetCurrentProcessId());
    std::vector<std::string> boxes;
};

}  // namespace

TEST_F(OneInstanceTest, TheFirstCopyHoldsItsMutexAndTheCheckFindsNoOther) {
    TkelOneInstance one(nullptr);
    EXPECT_FALSE(one.AlreadyRun());
    EXPECT_NE(nullptr, kelOneInstanceMutex);
    EXPECT_TRUE(MutexExists(Title() + ".OneInstance.Default"));
    EXPECT_FALSE(MutexExists(Title() + ".OneInstance.CriticalSection"));
    // Checked again, by this copy: still alone.
    EXPECT_FALSE(one.Check());
    EXPECT_FALSE(Application->Terminated());

    // The program file's path in capitals, with "/" for "\", and the identifier.
    TkelOneInstance byFile(nullptr);
    byFile.SetExeNameAsIdentifier(true);
    byFile.SetIdentifier("A\\B");
    EXPECT_FALSE(byFile.AlreadyRun());
    std::string key = AnsiUpperCase(Application->ExeName()) + "A\\B.OneInstance.Default";
    for (char& c : key)
        if (c == '\\') c = '/';
    EXPECT_TRUE(MutexExists(key));

    TkelOneInstance designed(nullptr);
    designed.SetDesigning(true);
    designed.SetIdentifier("designed");
    EXPECT_FALSE(designed.AlreadyRun());
    EXPECT_FALSE(MutexExists(Title() + "designed.OneInstance.Default"));
}

TEST_F(OneInstanceTest, ASecondCopyShowsTheMessageAndEndsUnlessTheHandlerKeepsIt) {
    OtherCopy other(Title() + ".OneInstance.Default");
    TkelOneInstance one(nullptr);
    one.SetShowMessage(true);
    Application->ShowMainForm = true;
    EXPECT_TRUE(one.Check());
    EXPECT_TRUE(one.Terminate());
    EXPECT_TRUE(Application->Terminated());
    EXPECT_FALSE(Application->ShowMainForm);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Application \"" + Title() + "\" is already running.|" + Title() + "|" +
                  std::to_string(MB_OK | MB_ICONWARNING),
              boxes[0]);

    // The handler keeps this copy running: the main form shows as before.
    ScopedApplication again;
    Application->SetTitle(Title());
    int handled = 0;
    one.OnShowMessage = [&](TObject* sender, bool& terminate) {
        EXPECT_EQ(&one, sender);
        EXPECT_TRUE(terminate);
        terminate = false;
        ++handled;
    };
    EXPECT_TRUE(one.Check());
    EXPECT_EQ(1, handled);
    EXPECT_FALSE(one.Terminate());
    EXPECT_FALSE(Application->Terminated());
    EXPECT_TRUE(Application->ShowMainForm);
    EXPECT_EQ(1u, boxes.size());
}

TEST_F(OneInstanceTest, ACopyStartingAtTheSameMomentCountsAsRunning) {
    HANDLE starting = CreateMutexA(nullptr, TRUE, (Title() + ".OneInstance.CriticalSection").c_str());
    TkelOneInstance one(nullptr);
    EXPECT_TRUE(one.AlreadyRun());
    ReleaseMutex(starting);
    CloseHandle(starting);
    EXPECT_FALSE(one.AlreadyRun());
}

TEST_F(OneInstanceTest, AKeyTooLongForAMutexNameStillFindsTheOtherCopy) {
    // A deep program path and an identifier can pass the longest name a mutex takes.
    struct Check {
        std::string identifier;
        bool isRunning = false;
        static DWORD WINAPI Run(LPVOID data) {
            auto* self = static_cast<Check*>(data);
            TkelOneInstance other(nullptr);
            other.SetIdentifier(self->identifier);
            self->isRunning = other.AlreadyRun();
            return 0;
        }
    };
    Check check{std::string(300, 'x')};
    TkelOneInstance one(nullptr);
    one.SetIdentifier(check.identifier);
    EXPECT_FALSE(one.AlreadyRun());
    EXPECT_NE(nullptr, kelOneInstanceMutex);
    // Another copy (a thread that does not own the mutex) checks by the same key.
    HANDLE thread = CreateThread(nullptr, 0, &Check::Run, &check, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    EXPECT_TRUE(check.isRunning);
}

TEST_F(OneInstanceTest, LoadingChecksWithTheStreamsMessage) {
    TMemoryStream stream;
    {
        TkelOneInstance written(nullptr);
        written.SetName("OneInstance1");
        written.SetShowMessage(true);
        written.SetActivatePrevInstance(false);
        written.SetMessage("Already there");
        WriteComponent(stream, &written);
    }
    stream.SetPosition(0);
    OtherCopy other(Title() + ".OneInstance.Default");
    std::unique_ptr<TComponent> read(ReadComponent(stream, nullptr));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Already there|" + Title() + "|" + std::to_string(MB_OK | MB_ICONWARNING), boxes[0]);
    EXPECT_TRUE(Application->Terminated());
}

//=== Wave player

namespace {

struct SoundCall {
    std::string sound;  // "<null>" for none, "<memory>" for the stored data
    HMODULE module;
    DWORD flags;
};

// Records the sounds the wave player would play.
class SoundRecorder {
public:
    SoundRecorder() {
        kelPlatformHooks().PlaySoundCall = [this](const char* sound, HMODULE module, DWORD flags) {
            // SND_RESOURCE holds the SND_MEMORY bit.
            const bool isMemory = (flags & SND_RESOURCE) == SND_MEMORY;
            std::string name = !sound ? "<null>" : isMemory ? "<memory>" : sound;
            calls.push_back({name, module, flags});
            return TRUE;
        };
    }
    ~SoundRecorder() { kelPlatformHooks().PlaySoundCall = nullptr; }
    SoundRecorder(const SoundRecorder&) = delete;
    SoundRecorder& operator=(const SoundRecorder&) = delete;
    std::vector<SoundCall> calls;
};

constexpr DWORD kDefaultFlags = SND_ASYNC | SND_NODEFAULT | SND_NOWAIT;

// A short silent wave: 8-bit mono, 8 kHz, 16 samples.
std::string WaveImage() {
    std::string wave = "RIFF";
    auto put32 = [&](uint32_t v) { wave.append(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&](uint16_t v) { wave.append(reinterpret_cast<const char*>(&v), 2); };
    put32(36 + 16);
    wave += "WAVEfmt ";
    put32(16);
    put16(1);
    put16(1);
    put32(8000);
    put32(8000);
    put16(1);
    put16(8);
    wave += "data";
    put32(16);
    wave.append(16, '\x80');
    return wave;
}

}  // namespace

TEST(kelWav, TheFlagsFollowTheSourceAndOptions) {
    SoundRecorder recorder;
    TkelWav wav(nullptr);
    EXPECT_EQ(pfFile, wav.PlayFrom());
    EXPECT_EQ("WAVE1", wav.ResourceName());
    EXPECT_EQ(".Default", wav.EventAlias());
    wav.SetFileName("chime.wav");
    wav.Play();
    wav.SetPlayFrom(pfResource);
    wav.Play();
    // The system's default sound: asynchronous, not waiting when the device is busy.
    wav.SetPlayFrom(pfSystemEvent);
    wav.Play();
    wav.SetAsyncPlay(false);
    wav.SetNoDefaultSound(false);
    wav.SetNoStopSound(true);
    wav.SetNoWaitIfBusy(false);
    wav.Play();
    // A looped sound is always asynchronous: a synchronous one would never return.
    wav.SetLooped(true);
    wav.Play();
    ASSERT_EQ(5u, recorder.calls.size());
    EXPECT_EQ("chime.wav", recorder.calls[0].sound);
    EXPECT_EQ(nullptr, recorder.calls[0].module);
    EXPECT_EQ(kDefaultFlags | SND_FILENAME, recorder.calls[0].flags);
    EXPECT_EQ("WAVE1", recorder.calls[1].sound);
    EXPECT_EQ(GetModuleHandleA(nullptr), recorder.calls[1].module);
    EXPECT_EQ(kDefaultFlags | SND_RESOURCE, recorder.calls[1].flags);
    EXPECT_EQ(".Default", recorder.calls[2].sound);
    EXPECT_EQ(kDefaultFlags | SND_ALIAS, recorder.calls[2].flags);
    EXPECT_EQ(static_cast<DWORD>(SND_NOSTOP | SND_ALIAS), recorder.calls[3].flags);
    EXPECT_EQ(static_cast<DWORD>(SND_NOSTOP | SND_ALIAS | SND_LOOP | SND_ASYNC), recorder.calls[4].flags);
}

TEST(kelWav, PlayingIsSetForTheCallAndSettersActByIt) {
    SoundRecorder recorder;
    TkelWav wav(nullptr);
    wav.SetPlayFrom(pfSystemEvent);
    std::vector<std::string> steps;
    wav.OnPlayBefore = [&](TObject*) { steps.push_back(wav.Playing() ? "before, playing" : "before"); };
    wav.OnPlayAfter = [&](TObject*) { steps.push_back(wav.Playing() ? "after, playing" : "after"); };
    wav.Play();
    EXPECT_FALSE(wav.Playing());
    EXPECT_EQ((std::vector<std::string>{"before, playing", "after, playing"}), steps);
    ASSERT_EQ(1u, recorder.calls.size());

    // Not playing: a new alias stops the sound; another source's name does nothing.
    wav.SetEventAlias("SystemAsterisk");
    wav.SetResourceName("OTHER");
    ASSERT_EQ(2u, recorder.calls.size());
    EXPECT_EQ("<null>", recorder.calls[1].sound);

    // While playing, looping stops the sound and plays it again, looped.
    recorder.calls.clear();
    wav.OnPlayAfter = nullptr;
    wav.OnPlayBefore = [&](TObject*) { wav.SetLooped(true); };
    wav.Play();
    ASSERT_EQ(3u, recorder.calls.size());
    EXPECT_EQ("<null>", recorder.calls[0].sound);
    EXPECT_TRUE(recorder.calls[1].flags & SND_LOOP);
    EXPECT_EQ("SystemAsterisk", recorder.calls[1].sound);

    recorder.calls.clear();
    {
        TkelWav ending(nullptr);
    }
    ASSERT_EQ(1u, recorder.calls.size());
    EXPECT_EQ("<null>", recorder.calls[0].sound);
}

TEST(kelWav, TheStoredSoundComesFromTheFileAndOnlyAWholeImagePlays) {
    SoundRecorder recorder;
    TestFolder folder;
    const std::string wave = WaveImage();
    TestFolder::WriteBytes(folder.File("a.wav"), wave);
    std::string cut = wave.substr(0, 30);  // claims more bytes than it has
    TestFolder::WriteBytes(folder.File("cut.wav"), cut);

    TkelWav wav(nullptr);
    wav.SetFileName(folder.File("a.wav"));
    EXPECT_EQ(0u, wav.DataSize());
    wav.SetPlayFrom(pfDFM);
    EXPECT_EQ(wave.size(), wav.DataSize());
    wav.Play();
    ASSERT_EQ(1u, recorder.calls.size());
    EXPECT_EQ(kDefaultFlags | SND_MEMORY, recorder.calls[0].flags);
    EXPECT_EQ(reinterpret_cast<const char*>(wav.Data().Memory()), wav.Sound());

    // Another file: the sound playing from the old data is stopped first.
    recorder.calls.clear();
    wav.SetFileName(folder.File("cut.wav"));
    EXPECT_EQ(cut.size(), wav.DataSize());
    ASSERT_FALSE(recorder.calls.empty());
    EXPECT_EQ("<null>", recorder.calls[0].sound);
    recorder.calls.clear();
    wav.Play();
    EXPECT_TRUE(recorder.calls.empty());

    // The whole image written into the data plays: the check reads the stream's size.
    wav.Data().Clear();
    wav.Data().WriteBuffer(wave.data(), static_cast<int32_t>(wave.size()));
    wav.Play();
    ASSERT_EQ(1u, recorder.calls.size());
    EXPECT_EQ("<memory>", recorder.calls[0].sound);

    // Any other source drops the stored data.
    wav.SetPlayFrom(pfFile);
    EXPECT_EQ(0u, wav.DataSize());
}

namespace {

std::string Word32(uint32_t value) {
    return std::string(reinterpret_cast<const char*>(&value), 4);
}

// A chunk: its name, the size it claims and `bytes` bytes (a pad byte after an
// odd count).
std::string Chunk(const char* name, uint32_t claimed, size_t bytes) {
    return name + Word32(claimed) + std::string(bytes + (bytes & 1), '\x80');
}

// A wave image of the chunks; the RIFF size is the true one unless given.
std::string Riff(const std::string& chunks, int64_t riffSize = -1) {
    return "RIFF" + Word32(riffSize < 0 ? uint32_t(4 + chunks.size()) : uint32_t(riffSize)) + "WAVE" + chunks;
}

}  // namespace

TEST(kelWav, AStoredImageWithAChunkPastItsEndIsNotPlayed) {
    // The player trusts every chunk's size: one that claims more than the image
    // holds has it read past the data, on the sound's own thread.
    const std::string fmt = WaveImage().substr(12, 24);
    const struct {
        const char* what;
        std::string image;
        bool isPlayed;
    } cases[] = {
        {"whole", WaveImage(), true},
        {"fmt claims 0x08000000", Riff(Chunk("fmt ", 0x08000000, 16) + Chunk("data", 0, 0)), false},
        {"data one past", Riff(fmt + Chunk("data", 17, 16)), false},
        {"data 0x7fffffff", Riff(fmt + Chunk("data", 0x7FFFFFFF, 16)), false},
        {"data all ones", Riff(fmt + Chunk("data", 0xFFFFFFFF, 16)), false},
        {"past the RIFF size", Riff(fmt + Chunk("data", 16, 16), 4 + 24 + 8 + 8), false},
        {"RIFF size without its form", Riff("", 2), false},
        // The player looks for the format, then the data after it; missing, it
        // walks on past the image.
        {"no format", Riff(Chunk("fms ", 16, 16) + Chunk("data", 16, 16)), false},
        {"no data", Riff(fmt + Chunk("date", 16, 16)), false},
        {"data before the format", Riff(Chunk("data", 16, 16) + fmt), false},
        {"format shorter than PCM's", Riff(Chunk("fmt ", 14, 14) + Chunk("data", 16, 16)), false},
        {"another form", "RIFF" + Word32(4 + 24 + 24) + "AVI " + fmt + Chunk("data", 16, 16), false},
        {"odd chunks with their pad", Riff(Chunk("LIST", 3, 3) + fmt + Chunk("data", 15, 15)), true},
        {"the last pad missing", Riff(fmt + "data" + Word32(15) + std::string(15, '\x80')), true},
        {"bytes after the image", Riff(fmt + Chunk("data", 16, 16)) + "tail", true},
    };
    SoundRecorder recorder;
    TkelWav wav(nullptr);
    wav.SetPlayFrom(pfDFM);
    for (const auto& c : cases) {
        wav.Data().Clear();
        wav.Data().WriteBuffer(c.image.data(), static_cast<int32_t>(c.image.size()));
        recorder.calls.clear();
        wav.Play();
        EXPECT_EQ(c.isPlayed ? 1u : 0u, recorder.calls.size()) << c.what;
    }
}

TEST(kelWav, EachSourceStreamsOnlyItsOwnName) {
    SoundRecorder recorder;
    TkelWav wav(nullptr);
    wav.SetName("Wav1");
    wav.SetFileName("bell.wav");
    wav.SetEventAlias("SystemHand");
    std::string text = StreamText(&wav);
    EXPECT_TRUE(Contains(text, "bell.wav"));
    EXPECT_FALSE(Contains(text, "ResourceName"));
    EXPECT_FALSE(Contains(text, "SystemHand"));
    wav.SetPlayFrom(pfResource);
    text = StreamText(&wav);
    EXPECT_TRUE(Contains(text, "WAVE1"));
    EXPECT_FALSE(Contains(text, "bell.wav"));
    wav.SetPlayFrom(pfSystemEvent);
    wav.SetLooped(true);
    TMemoryStream stream;
    WriteComponent(stream, &wav);
    text = std::string(stream.Bytes().begin(), stream.Bytes().end());
    EXPECT_TRUE(Contains(text, "SystemHand"));
    EXPECT_FALSE(Contains(text, "bell.wav"));
    EXPECT_FALSE(Contains(text, "WAVE1"));

    stream.SetPosition(0);
    std::unique_ptr<TComponent> read(ReadComponent(stream, nullptr));
    auto* copy = dynamic_cast<TkelWav*>(read.get());
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(pfSystemEvent, copy->PlayFrom());
    EXPECT_EQ("SystemHand", copy->EventAlias());
    EXPECT_TRUE(copy->Looped());
    EXPECT_EQ("", copy->FileName());

    // The stored sound travels in the stream, though its file does not.
    TestFolder folder;
    TestFolder::WriteBytes(folder.File("a.wav"), WaveImage());
    TkelWav stored(nullptr);
    stored.SetName("Wav2");
    stored.SetFileName(folder.File("a.wav"));
    stored.SetPlayFrom(pfDFM);
    TMemoryStream storedStream;
    WriteComponent(storedStream, &stored);
    EXPECT_FALSE(Contains(std::string(storedStream.Bytes().begin(), storedStream.Bytes().end()), "a.wav"));
    storedStream.SetPosition(0);
    std::unique_ptr<TComponent> readStored(ReadComponent(storedStream, nullptr));
    auto* storedCopy = dynamic_cast<TkelWav*>(readStored.get());
    ASSERT_NE(nullptr, storedCopy);
    EXPECT_EQ(pfDFM, storedCopy->PlayFrom());
    EXPECT_EQ(WaveImage().size(), storedCopy->DataSize());
}

TEST(kelWav, TheRealSystemCallIsHarmlessWithoutASoundDevice) {
    TestFolder folder;
    TestFolder::WriteBytes(folder.File("a.wav"), WaveImage());
    TkelWav wav(nullptr);
    wav.SetFileName(folder.File("a.wav"));
    wav.SetPlayFrom(pfDFM);
    wav.Play();
    wav.SetPlayFrom(pfSystemEvent);
    wav.Play();
    wav.Stop();
    EXPECT_FALSE(wav.Playing());
}
