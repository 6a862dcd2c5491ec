// Helpers for the tests that make real windows.
#pragma once

#include <string>
#include <vector>

#include "classlib/Forms.h"

// Records the errors the application would show, for the life of the object.
class ExceptionRecorder {
public:
    ExceptionRecorder() {
        Application->OnException = [this](TObject*, const std::string& message) { messages.push_back(message); };
    }
    ~ExceptionRecorder() { Application->OnException = nullptr; }
    std::vector<std::string> messages;
};

inline LPARAM Point(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}
