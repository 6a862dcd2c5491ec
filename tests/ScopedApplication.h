// One run of a program inside a test: a fresh application object stands in
// for the test program's own while the object lives. The end of a run
// (Terminate) cannot be taken back, so a test that ends one needs its own.
#pragma once

#include <windows.h>

#include "classlib/Forms.h"

class ScopedApplication {
public:
    ScopedApplication() : m_saved(Application) { Application = new TApplication(nullptr); }
    ~ScopedApplication() {
        // Its forms go with it, while it is still the application.
        delete Application;
        Application = m_saved;
        // A quit request of the run must not end the test program's own loops.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    ScopedApplication(const ScopedApplication&) = delete;
    ScopedApplication& operator=(const ScopedApplication&) = delete;

private:
    TApplication* m_saved;
};
