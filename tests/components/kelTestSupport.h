// Helpers shared by the component library's tests.
#pragma once

#include <windows.h>

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
