// The window-procedure hook: chaining several hooks on one window in creation
// order, exact restoration, Handled, dragging, the window taken from a control,
// streaming with Loaded, and the list of hooks.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "components/kelPlatformHooks.h"
#include "components/kelWndProcHook.h"
#include "kelTestSupport.h"

namespace {

constexpr UINT kProbe = WM_USER + 77;

std::vector<std::string>* gTrace = nullptr;

// The window's own procedure: notes what reaches it, swallows the system's move
// command (a real one would start a modal move loop) and answers the probe.
LRESULT CALLBACK BaseProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (gTrace && (msg == kProbe || msg == WM_LBUTTONDOWN || msg == WM_SYSCOMMAND))
        gTrace->push_back(msg == kProbe ? "base" : msg == WM_LBUTTONDOWN ? "base press" : "base syscommand " + std::to_string(wparam));
    if (msg == kProbe) return 42;
    if (msg == WM_SYSCOMMAND) return 0;
    return DefWindowProcA(window, msg, wparam, lparam);
}

// A procedure put on the window by code that is no hook.
WNDPROC gOtherPrev = nullptr;

LRESULT CALLBACK OtherProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (gTrace && msg == kProbe) gTrace->push_back("other");
    return CallWindowProcA(gOtherPrev, window, msg, wparam, lparam);
}

HWND MakeWindow() {
    static const bool registered = [] {
        WNDCLASSA cls = {};
        cls.lpfnWndProc = BaseProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "kelHookTestWindow";
        return RegisterClassA(&cls) != 0;
    }();
    (void)registered;
    return CreateWindowExA(WS_EX_TOOLWINDOW, "kelHookTestWindow", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

WNDPROC ProcOf(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

class HookForm : public TForm {
public:
    explicit HookForm(TComponent* owner) : TForm(owner) { SetBounds(0, 0, 120, 80); }
    const char* ClassName() const override { return "HookForm"; }
};

class WndProcHook : public ::testing::Test {
protected:
    void SetUp() override {
        gTrace = &trace;
        window = MakeWindow();
        ASSERT_NE(nullptr, window);
    }
    void TearDown() override {
        gTrace = nullptr;
        DestroyWindow(window);
    }

    // A hook on the test window that notes its events under its name.
    std::unique_ptr<TkelWndProcHook> MakeHook(const std::string& name) {
        auto hook = std::make_unique<TkelWndProcHook>(nullptr);
        hook->SetName(name);
        hook->OnMessageBefore = [this, name](TObject*, TMessage& message, bool&) {
            if (message.Msg == kProbe || message.Msg == WM_LBUTTONDOWN) trace.push_back(name + " before");
        };
        hook->OnMessageAfter = [this, name](TObject*, TMessage& message, bool& handled) {
            if (message.Msg == kProbe || message.Msg == WM_LBUTTONDOWN)
                trace.push_back(name + " after" + (handled ? " handled" : "") +
                                (message.Msg == kProbe ? " " + std::to_string(message.Result) : ""));
        };
        hook->SetHandle(window);
        return hook;
    }

    std::vector<std::string> Probe() {
        trace.clear();
        SendMessageA(window, kProbe, 0, 0);
        return trace;
    }

    HWND window = nullptr;
    std::vector<std::string> trace;
};

using Trace = std::vector<std::string>;

}  // namespace

TEST_F(WndProcHook, HooksChainInCreationOrderAndRestoreTheWindowExactly) {
    const WNDPROC original = ProcOf(window);
    auto a = MakeHook("A");
    auto b = MakeHook("B");
    EXPECT_EQ(Trace{"base"}, Probe()) << "nothing is hooked before Active";

    b->SetActive(true);
    a->SetActive(true);
    // The most recently created active hook sees the message first.
    EXPECT_EQ((Trace{"B before", "A before", "base", "A after 42", "B after 42"}), Probe());
    EXPECT_EQ(b->Instance(), ProcOf(window));
    EXPECT_EQ(a->Instance(), b->PrevWndProc());
    EXPECT_EQ(original, a->PrevWndProc());

    // A off: B goes straight to the window's own procedure.
    a->SetActive(false);
    EXPECT_EQ(nullptr, a->Instance());
    EXPECT_EQ(original, b->PrevWndProc());
    EXPECT_EQ((Trace{"B before", "base", "B after 42"}), Probe());
    // A on again takes its place by creation order, behind B.
    a->SetActive(true);
    EXPECT_EQ((Trace{"B before", "A before", "base", "A after 42", "B after 42"}), Probe());
    // B off: the window calls A.
    b->SetActive(false);
    EXPECT_EQ(a->Instance(), ProcOf(window));
    EXPECT_EQ((Trace{"A before", "base", "A after 42"}), Probe());
    a->SetActive(false);
    EXPECT_EQ(original, ProcOf(window));
    EXPECT_EQ(Trace{"base"}, Probe());

    // Both on, both off in creation order: the same.
    a->SetActive(true);
    b->SetActive(true);
    a->SetActive(false);
    b->SetActive(false);
    EXPECT_EQ(original, ProcOf(window));
    // Destroying an active hook takes it off.
    b->SetActive(true);
    b.reset();
    EXPECT_EQ(original, ProcOf(window));
}

TEST_F(WndProcHook, HandledKeepsTheMessageFromTheWindowAndFromTheDrag) {
    auto hook = MakeHook("H");
    hook->SetAutoDrag(true);
    hook->OnMessageBefore = [this](TObject* sender, TMessage& message, bool& handled) {
        if (message.Msg == kProbe || message.Msg == WM_LBUTTONDOWN) {
            trace.push_back("H before");
            handled = true;
            message.Result = 7;
        }
        (void)sender;
    };
    hook->SetActive(true);
    EXPECT_EQ((Trace{"H before", "H after handled 7"}), Probe());
    trace.clear();
    EXPECT_EQ(7, SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)));
    EXPECT_EQ((Trace{"H before", "H after handled"}), trace);
}

TEST_F(WndProcHook, AutoDragTurnsAPressIntoTheSystemsMoveByTheCaption) {
    auto hook = MakeHook("H");
    hook->SetActive(true);
    trace.clear();
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ((Trace{"H before", "base press", "H after"}), trace) << "without AutoDrag the press goes on";

    hook->SetAutoDrag(true);
    SetCapture(window);
    trace.clear();
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ((Trace{"H before", "base syscommand " + std::to_string(0xF012), "H after"}), trace)
        << "the window's own procedure never sees the press";
    EXPECT_EQ(nullptr, GetCapture()) << "the capture is let go for the move";
    // Other messages still go their way.
    EXPECT_EQ((Trace{"H before", "base", "H after 42"}), Probe());
}

TEST_F(WndProcHook, AHookThatGoesInItsOwnHandlerStillPassesTheMessageOn) {
    // B, created last, sees the message first; its handler takes itself or A, the
    // hook behind it, off the window.
    struct Case {
        const char* what;
        bool takesA;
        bool freed;
        Trace expected;
        Trace then;
    };
    const Case cases[] = {
        {"B switched off",
         false,
         false,
         {"B before", "A before", "base", "A after 42", "B after 42"},
         {"A before", "base", "A after 42"}},
        {"B freed", false, true, {"B before", "A before", "base", "A after 42"}, {"A before", "base", "A after 42"}},
        {"A switched off", true, false, {"B before", "base", "B after 42"}, {"B before", "base", "B after 42"}},
        {"A freed", true, true, {"B before", "base", "B after 42"}, {"B before", "base", "B after 42"}},
    };
    for (const Case& c : cases) {
        auto a = MakeHook("A");
        auto b = MakeHook("B");
        a->SetActive(true);
        b->SetActive(true);
        std::unique_ptr<TkelWndProcHook>& target = c.takesA ? a : b;
        bool done = false;
        b->OnMessageBefore = [this, &c, &target, &done](TObject*, TMessage& message, bool&) {
            if (message.Msg != kProbe) return;
            trace.push_back("B before");
            if (done) return;
            done = true;
            if (c.freed)
                target.reset();
            else
                target->SetActive(false);
        };
        trace.clear();
        EXPECT_EQ(42, SendMessageA(window, kProbe, 0, 0)) << c.what;
        EXPECT_EQ(c.expected, trace) << c.what;
        EXPECT_EQ((c.takesA ? b : a)->Instance(), ProcOf(window)) << c.what;
        EXPECT_EQ(c.then, Probe()) << c.what;
    }
}

TEST_F(WndProcHook, AProcedureOthersPutInFrontOfAHookStaysWhenTheHookGoes) {
    const WNDPROC original = ProcOf(window);
    auto hook = MakeHook("H");
    hook->SetActive(true);
    gOtherPrev =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OtherProc)));
    EXPECT_EQ((Trace{"other", "H before", "base", "H after 42"}), Probe());
    // The other procedure still calls what was the hook's: that now only passes on.
    hook->SetActive(false);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(OtherProc), ProcOf(window));
    EXPECT_EQ((Trace{"other", "base"}), Probe());
    // It lets go in turn: the window gets its own procedure back.
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gOtherPrev));
    EXPECT_EQ(Trace{"base"}, Probe());
    EXPECT_EQ(original, ProcOf(window));
}

TEST_F(WndProcHook, AFailingHandlerIsReportedAndTheMessageStillArrives) {
    ExceptionRecorder errors;
    auto hook = MakeHook("H");
    hook->OnMessageBefore = [](TObject*, TMessage& message, bool&) {
        if (message.Msg == kProbe) throw Exception("handler failed");
    };
    hook->SetActive(true);
    EXPECT_EQ(42, SendMessageA(window, kProbe, 0, 0));
    ASSERT_EQ(1u, errors.messages.size());
    EXPECT_EQ("handler failed", errors.messages[0]);
    EXPECT_EQ(hook.get(), errors.senders[0]);
}

TEST_F(WndProcHook, TheWindowComesFromTheHandleOrTheControl) {
    HookForm* form = NewForm<HookForm>(nullptr);
    HookForm* other = NewForm<HookForm>(nullptr);
    auto* hook = new TkelWndProcHook(form);
    int handleChanges = 0;
    int controlChanges = 0;
    hook->OnChangeHandle = [&](TObject* sender) {
        EXPECT_EQ(hook, sender);
        ++handleChanges;
    };
    hook->OnChangeWinControl = [&](TObject*) { ++controlChanges; };
    // The owner is the control by default, and the properties read what is in effect.
    EXPECT_EQ(form, hook->GetWinControl());
    EXPECT_EQ(form->Handle(), hook->GetHandle());
    EXPECT_EQ(form, hook->WinControl());
    EXPECT_EQ(form->Handle(), hook->Handle());
    const WNDPROC formProc = ProcOf(form->Handle());
    hook->SetActive(true);
    EXPECT_EQ(hook->Instance(), ProcOf(form->Handle()));
    EXPECT_EQ(formProc, hook->PrevWndProc());
    // The form still works through the hook.
    form->SetCaption("hooked");
    char caption[32] = {};
    GetWindowTextA(form->Handle(), caption, sizeof caption);
    EXPECT_STREQ("hooked", caption);

    // Another control: the hook moves over, the owner's window is restored.
    const WNDPROC otherProc = ProcOf(other->Handle());
    hook->SetWinControl(other);
    EXPECT_EQ(1, controlChanges);
    EXPECT_EQ(other, hook->WinControl());
    EXPECT_EQ(other->Handle(), hook->Handle());
    EXPECT_EQ(formProc, ProcOf(form->Handle()));
    EXPECT_EQ(hook->Instance(), ProcOf(other->Handle()));
    hook->SetWinControl(other);
    EXPECT_EQ(1, controlChanges) << "no change, no event";

    // An explicit handle wins over the control.
    hook->SetHandle(window);
    EXPECT_EQ(1, handleChanges);
    EXPECT_EQ(window, hook->Handle());
    EXPECT_EQ(otherProc, ProcOf(other->Handle()));
    EXPECT_EQ(hook->Instance(), ProcOf(window));
    hook->SetHandle(reinterpret_cast<HWND>(INVALID_HANDLE_VALUE));
    EXPECT_EQ(2, handleChanges);
    EXPECT_EQ(hook->Instance(), ProcOf(other->Handle())) << "all ones means none: the control again";

    // The control goes: the hook lets go of it and falls back to the owner.
    FreeForm(other);
    EXPECT_EQ(form, hook->WinControl());
    EXPECT_TRUE(hook->Active());
    EXPECT_EQ(form->Handle(), hook->HookedWindow());
    EXPECT_EQ(hook->Instance(), ProcOf(form->Handle()));
    // With its owner the hook goes and the owner's window is left as it was.
    FreeForm(form);
    EXPECT_EQ(nullptr, kelWndProcHookList) << "the last hook freed the list";
}

TEST_F(WndProcHook, AHookWithoutAWindowStaysActiveAndDesignModeTouchesNothing) {
    TkelWndProcHook lone(nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(INVALID_HANDLE_VALUE), lone.GetHandle());
    lone.SetActive(true);
    EXPECT_TRUE(lone.Active());
    EXPECT_EQ(nullptr, lone.HookedWindow());

    const WNDPROC original = ProcOf(window);
    TkelWndProcHook designed(nullptr);
    designed.SetDesigning(true);
    designed.SetHandle(window);
    designed.SetActive(true);
    EXPECT_TRUE(designed.Active());
    EXPECT_EQ(nullptr, designed.Instance());
    EXPECT_EQ(original, ProcOf(window));
    ASSERT_NE(nullptr, kelWndProcHookList);
    EXPECT_EQ(2, kelWndProcHookList->Count());
    EXPECT_EQ(&lone, kelWndProcHookList->Items(0));
}

TEST_F(WndProcHook, WindowProceduresAreSetThroughTheReplaceableCall) {
    std::vector<std::pair<HWND, LONG_PTR>> sets;
    kelPlatformHooks().SetWindowProc = [&](HWND target, LONG_PTR procedure) {
        sets.push_back({target, procedure});
        return SetWindowLongPtrA(target, GWLP_WNDPROC, procedure);
    };
    const WNDPROC original = ProcOf(window);
    {
        auto hook = MakeHook("H");
        hook->SetActive(true);
        ASSERT_EQ(1u, sets.size());
        EXPECT_EQ(window, sets[0].first);
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(hook->Instance()), sets[0].second);
    }
    ASSERT_EQ(2u, sets.size());
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(original), sets[1].second);
    kelPlatformHooks().SetWindowProc = nullptr;
    // A window of another process is never changed: the desktop belongs to the system.
    EXPECT_EQ(0, kelSetWindowProc(GetDesktopWindow(), reinterpret_cast<LONG_PTR>(original)));
}

TEST_F(WndProcHook, AHookStreamedAsActiveIsInstalledOnceItsFormIsLoaded) {
    TMemoryStream stream;
    {
        HookForm* source = NewForm<HookForm>(nullptr);
        source->SetName("HookForm1");
        auto* hook = new TkelWndProcHook(source);
        hook->SetName("Hook1");
        hook->About = "not stored";
        hook->SetAutoDrag(true);
        hook->SetActive(true);
        WriteComponent(stream, source);
        FreeForm(source);
    }
    const std::string bytes(stream.Bytes().begin(), stream.Bytes().end());
    EXPECT_EQ(std::string::npos, bytes.find("About"));
    EXPECT_NE(std::string::npos, bytes.find("TkelWndProcHook"));

    // A form whose window does not exist yet: nothing is hooked while it is read.
    HookForm* target = new HookForm(nullptr);
    std::vector<bool> readingAtInstall;
    kelPlatformHooks().SetWindowProc = [&](HWND window, LONG_PTR procedure) {
        readingAtInstall.push_back(target->HasState(csReading) || target->HasState(csLoading));
        return SetWindowLongPtrA(window, GWLP_WNDPROC, procedure);
    };
    stream.SetPosition(0);
    ReadComponent(stream, target);
    kelPlatformHooks().SetWindowProc = nullptr;
    auto* hook = dynamic_cast<TkelWndProcHook*>(target->FindComponent("Hook1"));
    ASSERT_NE(nullptr, hook);
    EXPECT_TRUE(hook->Active());
    EXPECT_TRUE(hook->AutoDrag());
    EXPECT_EQ("", hook->About);
    ASSERT_EQ(1u, readingAtInstall.size()) << "installed once, by Loaded";
    EXPECT_FALSE(readingAtInstall[0]);
    ASSERT_TRUE(target->HandleAllocated());
    EXPECT_EQ(hook->Instance(), ProcOf(target->Handle()));
    FreeForm(target);
}
