// Answers the next file dialog of this thread as a user would: the name typed
// into the dialog's name box and confirmed, or the dialog cancelled. Shared by
// the test programs.
#pragma once

#include <windows.h>

#include <dlgs.h>

#include <string>

// Answers the next file dialog of this thread from a thread timer, which the
// dialog's own message loop dispatches: types `answer` into the file name box
// and confirms, or cancels when `answer` is empty. Gives up (cancels) when the
// name box cannot be found, so that a test never hangs.
class DialogAnswer {
public:
    explicit DialogAnswer(std::string answer) {
        s_answer = std::move(answer);
        s_ticks = 0;
        s_answered = false;
        m_timer = SetTimer(nullptr, 0, 50, &DialogAnswer::Tick);
    }
    ~DialogAnswer() { KillTimer(nullptr, m_timer); }
    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;

    static bool Answered() { return s_answered; }

private:
    static BOOL CALLBACK FindDialog(HWND window, LPARAM result) {
        char className[16] = {};
        GetClassNameA(window, className, sizeof className);
        if (IsWindowVisible(window) && std::string(className) == "#32770") {
            *reinterpret_cast<HWND*>(result) = window;
            return FALSE;
        }
        return TRUE;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        try {
            HWND dialog = nullptr;
            EnumThreadWindows(GetCurrentThreadId(), &DialogAnswer::FindDialog, reinterpret_cast<LPARAM>(&dialog));
            if (!dialog || s_answered) return;
            HWND name = GetDlgItem(dialog, cmb13);
            if (!name) name = GetDlgItem(dialog, edt1);
            if (s_answer.empty() || (!name && ++s_ticks > 40)) {
                s_answered = true;
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            if (!name) return;
            SetWindowTextA(name, s_answer.c_str());
            s_answered = true;
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        } catch (...) {
        }
    }

    UINT_PTR m_timer = 0;
    static inline std::string s_answer;
    static inline int s_ticks = 0;
    static inline bool s_answered = false;
};
