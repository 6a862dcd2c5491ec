// Utility windows and object instances (subclassing procedures).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/AllocateHWnd.h"
#include "classlib/Classes.h"
#include "classlib/SysUtils.h"
#include "WindowTestSupport.h"

TEST(AllocateHWnd, MessagesReachTheMethodUntilTheWindowGoes) {
    std::vector<UINT> seen;
    HWND window = AllocateHWnd([&](TMessage& message) {
        seen.push_back(message.Msg);
        message.Result = message.Msg == WM_USER + 1 ? 42 : 0;
    });
    ASSERT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(nullptr, GetParent(window));  // top-level: broadcasts reach it
    EXPECT_EQ(42, SendMessageA(window, WM_USER + 1, 0, 0));
    EXPECT_EQ(WM_USER + 1, seen.back());

    // A broadcast arrives too.
    const UINT broadcast = RegisterWindowMessageA("QRAllocateHWndTestBroadcast");
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, broadcast, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
    EXPECT_EQ(broadcast, seen.back());

    // A throwing method does not take the process down: the application shows the error.
    ExceptionRecorder errors;
    HWND thrower = AllocateHWnd([](TMessage&) { throw Exception("boom"); });
    EXPECT_EQ(0, SendMessageA(thrower, WM_USER, 0, 0));
    // Nor when it comes after the application object has gone: it is dropped.
    TApplication* const application = Application;
    Application = nullptr;
    EXPECT_EQ(0, SendMessageA(thrower, WM_USER, 0, 0));
    Application = application;
    DeallocateHWnd(thrower);
    EXPECT_EQ((std::vector<std::string>{"boom"}), errors.messages);

    const size_t count = seen.size();
    DeallocateHWnd(window);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(count, seen.size());  // destruction messages are not handed on
    DeallocateHWnd(window);          // twice is harmless
}

TEST(AllocateHWnd, AMethodThatDeallocatesItsOwnWindowKeepsItsStateUntilItReturns) {
    // Statics: after DeallocateHWnd the method may read nothing it captured unless it is still alive.
    static HWND self = nullptr;
    static std::weak_ptr<int> state;
    static bool aliveAfterwards = false;
    auto token = std::make_shared<int>(0);
    state = token;
    self = AllocateHWnd([token](TMessage& message) {
        if (message.Msg != WM_USER) return;
        DeallocateHWnd(self);
        aliveAfterwards = !state.expired();
    });
    token.reset();
    SendMessageA(self, WM_USER, 0, 0);
    EXPECT_FALSE(IsWindow(self));
    EXPECT_TRUE(aliveAfterwards);
    EXPECT_TRUE(state.expired()) << "the method is freed once the call is over";
}

TEST(ObjectInstance, EachObjectGetsItsOwnProcedureAndChainsRestoreExactly) {
    HWND window = AllocateHWnd([](TMessage& message) { message.Result = 1; });
    const WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    std::vector<std::string> order;

    WNDPROC savedA = nullptr;
    WNDPROC savedB = nullptr;
    WNDPROC a = MakeObjectInstance([&](TMessage& m) {
        order.push_back("A");
        m.Result = CallWindowProcA(savedA, window, m.Msg, m.WParam, m.LParam) + 10;
    });
    WNDPROC b = MakeObjectInstance([&](TMessage& m) {
        order.push_back("B");
        m.Result = CallWindowProcA(savedB, window, m.Msg, m.WParam, m.LParam) + 100;
    });
    ASSERT_NE(a, b);
    savedA = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(a)));
    savedB = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(b)));
    EXPECT_EQ(111, SendMessageA(window, WM_USER, 0, 0));
    EXPECT_EQ((std::vector<std::string>{"B", "A"}), order);

    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedB));
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedA));
    EXPECT_EQ(original, reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)));
    FreeObjectInstance(a);
    FreeObjectInstance(b);

    // A freed address still works as the default procedure, and is handed out again.
    EXPECT_EQ(DefWindowProcA(window, WM_GETTEXTLENGTH, 0, 0), CallWindowProcA(a, window, WM_GETTEXTLENGTH, 0, 0));
    std::vector<WNDPROC> many;
    try {
        for (int i = 0; i < 1000; ++i) many.push_back(MakeObjectInstance([](TMessage&) {}));
        FAIL() << "instances never ran out";
    } catch (const EOutOfResources&) {
    }
    EXPECT_GE(many.size(), 16u);
    for (WNDPROC instance : many) FreeObjectInstance(instance);
    DeallocateHWnd(window);
}
