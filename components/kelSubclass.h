// TkelSubclass: one component's procedure in the chain of procedures on a
// window. Every component that subclasses a window (the tray icon on the
// application window, the window-procedure hook) holds one, and the links of a
// window know each other, so each can leave at any time and in any order: the
// procedure that called it is handed what it called, and no other subclass is
// dropped from the chain or brought back after it has gone.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

#include "classlib/AllocateHWnd.h"

class TkelSubclass : public std::enable_shared_from_this<TkelSubclass> {
public:
    // A link on no window yet whose own procedure hands every message to method.
    // Raises EOutOfResources when no procedure address is left.
    static std::shared_ptr<TkelSubclass> Create(TWndMethod method);
    ~TkelSubclass();
    TkelSubclass(const TkelSubclass&) = delete;
    TkelSubclass& operator=(const TkelSubclass&) = delete;

    // The link's own window procedure.
    WNDPROC Instance() const { return m_instance; }
    // The window it is on, and the procedure it hands messages on to (null while
    // it is on none).
    HWND Window() const { return m_window; }
    WNDPROC Prev() const { return m_prev; }

    // Becomes the window's procedure, in front of the one the window has now.
    void AttachOnTop(HWND window);
    // Goes right behind upper, a link on a window: upper calls it, it calls what
    // upper called.
    void AttachBelow(TkelSubclass& upper);
    // Leaves its chain; the method is not called again. While a message is on its
    // way through the link, the link stays in place handing messages on, and
    // leaves once that message is done.
    void Detach();
    // Hands a message on to the procedure behind the link, as the chain is now.
    LRESULT CallPrev(const TMessage& message) const;

private:
    enum class State { Free, Chained, Leaving, PassingOn };
    TkelSubclass() = default;
    void Dispatch(TMessage& message);
    void Leave();
    // Hands what the link calls to whatever calls it; false while that is a
    // procedure that is no link's.
    bool Unlink();
    void Drop();
    // Takes out the links that only hand messages on, on window or on a window
    // that is gone, as soon as what calls them is found.
    static void DropPassingLinks(HWND window);

    WNDPROC m_instance = nullptr;
    std::shared_ptr<TWndMethod> m_method;
    HWND m_window = nullptr;
    WNDPROC m_prev = nullptr;
    State m_state = State::Free;
    size_t m_depth = 0;
};
