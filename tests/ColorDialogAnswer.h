// Answers the next colour dialog of this thread as a user would: a colour
// typed into the dialog's red, green and blue fields and confirmed, or the
// dialog cancelled. Shared by the test programs.
#pragma once

#include <windows.h>

#include <colordlg.h>

#include <string>

class ColorDialogAnswer {
public:
    // Confirms with `color`.
    explicit ColorDialogAnswer(COLORREF color) : ColorDialogAnswer(true, color) {}
    // Cancels.
    ColorDialogAnswer() : ColorDialogAnswer(false, 0) {}
    ~ColorDialogAnswer() { KillTimer(nullptr, m_timer); }
    ColorDialogAnswer(const ColorDialogAnswer&) = delete;
    ColorDialogAnswer& operator=(const ColorDialogAnswer&) = delete;

    static bool Answered() { return s_answered; }
    // The colour the dialog showed when it was answered (read from its fields).
    static COLORREF Shown() { return s_shown; }

private:
    ColorDialogAnswer(bool confirm, COLORREF color) {
        s_confirm = confirm;
        s_color = color;
        s_answered = false;
        s_shown = CLR_INVALID;
        s_ticks = 0;
        m_timer = SetTimer(nullptr, 0, 50, &ColorDialogAnswer::Tick);
    }

    static BOOL CALLBACK FindDialog(HWND window, LPARAM result) {
        char className[16] = {};
        GetClassNameA(window, className, sizeof className);
        if (IsWindowVisible(window) && std::string(className) == "#32770" && GetDlgItem(window, COLOR_RED)) {
            *reinterpret_cast<HWND*>(result) = window;
            return FALSE;
        }
        return TRUE;
    }

    static int Field(HWND dialog, int id) { return static_cast<int>(GetDlgItemInt(dialog, id, nullptr, FALSE)); }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        try {
            if (s_answered) return;
            HWND dialog = nullptr;
            EnumThreadWindows(GetCurrentThreadId(), &ColorDialogAnswer::FindDialog, reinterpret_cast<LPARAM>(&dialog));
            if (!dialog) {
                // Never hang a test on a dialog that does not come.
                if (++s_ticks > 100) s_answered = true;
                return;
            }
            s_answered = true;
            s_shown = RGB(Field(dialog, COLOR_RED), Field(dialog, COLOR_GREEN), Field(dialog, COLOR_BLUE));
            if (!s_confirm) {
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            SetDlgItemInt(dialog, COLOR_RED, GetRValue(s_color), FALSE);
            SetDlgItemInt(dialog, COLOR_GREEN, GetGValue(s_color), FALSE);
            SetDlgItemInt(dialog, COLOR_BLUE, GetBValue(s_color), FALSE);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        } catch (...) {
        }
    }

    UINT_PTR m_timer = 0;
    static inline bool s_confirm = false;
    static inline COLORREF s_color = 0;
    static inline bool s_answered = false;
    static inline COLORREF s_shown = CLR_INVALID;
    static inline int s_ticks = 0;
};
