// Helpers shared by the component library's tests.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>

#include <string>
#include <vector>

#include "components/kelClassLibLink.h"

// Handles every message waiting for this thread.
inline void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Pumps messages until done() holds or the time is up; true when it held.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

// Memory of its own pages for one object, left unmapped when the object is freed
// (the address range is never given out again), so that any use of it after that
// faults at once instead of reading what happens to be left there.
void* FencedAllocate(size_t size);
void FencedFree(void* memory) noexcept;

// A T that lives on fenced memory, whoever deletes it (its owner, a handler).
template <class T>
class Fenced final : public T {
public:
    using T::T;
    static void* operator new(size_t size) { return FencedAllocate(size); }
    static void operator delete(void* memory) noexcept { FencedFree(memory); }
};

// Records the errors the application would show, for the life of the object.
class ExceptionRecorder {
public:
    ExceptionRecorder() : m_saved(Application->OnException) {
        Application->OnException = [this](TObject* sender, const std::string& message) {
            senders.push_back(sender);
            messages.push_back(message);
        };
    }
    ~ExceptionRecorder() { Application->OnException = m_saved; }
    ExceptionRecorder(const ExceptionRecorder&) = delete;
    ExceptionRecorder& operator=(const ExceptionRecorder&) = delete;
    std::vector<TObject*> senders;
    std::vector<std::string> messages;

private:
    std::function<void(TObject*, const std::string&)> m_saved;
};

// Records the programs the library would start (kelPlatformHooks().RunProcess)
// for the life of the object, instead of starting them.
class RunRecorder {
public:
    struct Run {
        std::string CommandLine;
        bool Wait;
    };
    RunRecorder();
    ~RunRecorder();
    RunRecorder(const RunRecorder&) = delete;
    RunRecorder& operator=(const RunRecorder&) = delete;
    std::vector<Run> runs;
};

// Moves the keys the library edits for Windows and for other programs
// (kelPlatformHooks().RedirectRegistryKey) below a key of the test's own under
// HKEY_CURRENT_USER\Software, which is removed at both ends of the test. A key of
// HKEY_LOCAL_MACHINE lands in Base() + "\HKLM\...", one of HKEY_CURRENT_USER in
// Base() + "\HKCU\...".
class RegistryRedirect {
public:
    RegistryRedirect();
    ~RegistryRedirect();
    RegistryRedirect(const RegistryRedirect&) = delete;
    RegistryRedirect& operator=(const RegistryRedirect&) = delete;
    const std::string& Base() const { return m_base; }
    // Where a key of that root lands.
    std::string Moved(HKEY root, const std::string& key) const;

private:
    std::string m_base;
};
