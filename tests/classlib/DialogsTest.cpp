// The open and save dialogs, answered through the real common dialogs.
#include <gtest/gtest.h>

#include <windows.h>

#include <dlgs.h>

#include "classlib/Dialogs.h"
#include "classlib/FileUtils.h"
#include "tests/TestFolder.h"

namespace {

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

}  // namespace

TEST(FileDialogs, FilterBecomesNulSeparatedPairs) {
    EXPECT_EQ(std::string("Quib Reminder Backup\0*.qbr\0\0", 28), MakeFilterString("Quib Reminder Backup|*.qbr"));
    EXPECT_EQ(std::string("A\0*.a\0B\0*.b;*.c\0\0", 17), MakeFilterString("A|*.a|B|*.b;*.c"));
    EXPECT_EQ("", MakeFilterString(""));
}

TEST(FileDialogs, SaveDialogAddsTheDefaultExtensionInTheInitialFolder) {
    TestFolder folder;
    TSaveDialog dialog(nullptr);
    dialog.Filter = "Quib Reminder Backup|*.qbr";
    dialog.DefaultExt = "qbr";
    dialog.InitialDir = folder.Path();
    DialogAnswer answer("backup");
    ASSERT_TRUE(dialog.Execute());
    EXPECT_TRUE(DialogAnswer::Answered());
    EXPECT_TRUE(SameFileName(folder.File("backup.qbr"), dialog.FileName)) << dialog.FileName;
    EXPECT_EQ(1, dialog.FilterIndex);
}

TEST(FileDialogs, OpenDialogGivesTheFullPathOrNothingWhenCancelled) {
    TestFolder folder;
    const std::string existing = folder.File("old.qbr");
    TestFolder::WriteBytes(existing, "");
    TOpenDialog dialog(nullptr);
    dialog.Filter = "Quib Reminder Backup|*.qbr";
    dialog.DefaultExt = "qbr";
    {
        DialogAnswer answer(existing);
        ASSERT_TRUE(dialog.Execute());
    }
    EXPECT_TRUE(SameFileName(existing, dialog.FileName)) << dialog.FileName;

    dialog.FileName = "unchanged";
    DialogAnswer cancel("");
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(DialogAnswer::Answered());
    EXPECT_EQ("unchanged", dialog.FileName);
}
