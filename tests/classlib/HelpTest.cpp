// The application's help requests: the help event first, WinHelp as the
// fall-back; the form's help topic on F1; the screen's active forms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WindowTestSupport.h"

namespace {

struct WinHelpCall {
    HWND window;
    std::string file;
    UINT command;
    ULONG_PTR data;
    std::string keyword;  // the text data points at, for HELP_KEY
};

class HelpForm : public TForm {
public:
    explicit HelpForm(TComponent* owner) : TForm(owner) { SetBounds(0, 0, 200, 100); }
};

class ApplicationHelp : public ::testing::Test {
protected:
    void SetUp() override {
        SetWinHelpFunction([this](HWND window, const char* file, UINT command, ULONG_PTR data) {
            WinHelpCall call{window, file ? file : "", command, data, ""};
            if (command == HELP_KEY && data) call.keyword = reinterpret_cast<const char*>(data);
            calls.push_back(call);
            return winHelpResult;
        });
        Application->HelpFile = "C:\\Prog\\Main.hlp";
    }
    void TearDown() override {
        SetWinHelpFunction(nullptr);
        Application->OnHelp = nullptr;
        Application->HelpFile.clear();
    }
    std::vector<WinHelpCall> calls;
    BOOL winHelpResult = TRUE;
};

}  // namespace

TEST_F(ApplicationHelp, TheHelpEventIsAskedFirstAndWinHelpServesWhatItLeaves) {
    // No handler: WinHelp shows the application's help file.
    EXPECT_TRUE(Application->HelpContext(42));
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("C:\\Prog\\Main.hlp", calls[0].file);
    EXPECT_EQ(static_cast<UINT>(HELP_CONTEXT), calls[0].command);
    EXPECT_EQ(42u, calls[0].data);
    EXPECT_EQ(Application->Handle(), calls[0].window);
    winHelpResult = FALSE;
    EXPECT_FALSE(Application->HelpContext(42)) << "a WinHelp failure is no success";
    winHelpResult = TRUE;

    // A handler that serves the request keeps WinHelp out; its result counts.
    std::vector<std::pair<uint16_t, intptr_t>> seen;
    std::string keyword;
    bool serve = true;
    Application->OnHelp = [&](uint16_t command, intptr_t data, bool& callHelp) {
        seen.push_back({command, data});
        if (command == HELP_KEY) keyword = reinterpret_cast<const char*>(data);
        if (serve) callHelp = false;
        return serve;
    };
    calls.clear();
    EXPECT_TRUE(Application->HelpKeyword("Alarms"));
    EXPECT_EQ("Alarms", keyword);
    EXPECT_TRUE(calls.empty());
    // One that leaves callHelp set hands over to WinHelp.
    serve = false;
    EXPECT_TRUE(Application->HelpCommand(HELP_CONTENTS, 0));
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(static_cast<UINT>(HELP_CONTENTS), calls[0].command);
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(HELP_CONTENTS, seen[1].first);

    // Without a help file nothing is shown.
    Application->HelpFile.clear();
    calls.clear();
    EXPECT_FALSE(Application->HelpContext(1));
    EXPECT_TRUE(calls.empty());
}

TEST_F(ApplicationHelp, TheActiveFormsOwnHelpFileAndTopicServeF1) {
    HelpForm* form = NewForm<HelpForm>(nullptr);
    form->Show();
    SendMessageA(form->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(form, Screen->ActiveForm());
    EXPECT_EQ(form, Screen->ActiveCustomForm());
    EXPECT_EQ("C:\\Prog\\Main.hlp", Application->CurrentHelpFile());
    form->HelpFile = "C:\\Prog\\Form.hlp";
    EXPECT_EQ("C:\\Prog\\Form.hlp", Application->CurrentHelpFile());

    // WM_HELP (F1, the caption's help button): the topic number, or the keyword.
    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.hItemHandle = form->Handle();
    form->HelpContext = 7;
    EXPECT_EQ(TRUE, SendMessageA(form->Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info)));
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("C:\\Prog\\Form.hlp", calls[0].file);
    EXPECT_EQ(static_cast<UINT>(HELP_CONTEXT), calls[0].command);
    EXPECT_EQ(7u, calls[0].data);
    form->HelpType = htKeyword;
    form->HelpKeyword = "1000";
    SendMessageA(form->Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(static_cast<UINT>(HELP_KEY), calls[1].command);
    EXPECT_EQ("1000", calls[1].keyword);
    // Neither a keyword nor a topic: nothing is asked for.
    form->HelpKeyword.clear();
    SendMessageA(form->Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(2u, calls.size());

    // The form goes, and so does the screen's memory of it.
    FreeForm(form);
    EXPECT_EQ(nullptr, Screen->ActiveForm());
    EXPECT_EQ(nullptr, Screen->ActiveCustomForm());
    EXPECT_EQ("C:\\Prog\\Main.hlp", Application->CurrentHelpFile());
}

TEST(Screen, RemembersTheLastActivatedFormOfEachKind) {
    class PlainForm : public TCustomForm {
    public:
        using TCustomForm::TCustomForm;
    };
    HelpForm* form = NewForm<HelpForm>(nullptr);
    PlainForm* plain = NewForm<PlainForm>(nullptr);
    SendMessageA(form->Handle(), WM_ACTIVATE, WA_CLICKACTIVE, 0);
    SendMessageA(plain->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    // A form that is not a program form becomes the active custom form only.
    EXPECT_EQ(form, Screen->ActiveForm());
    EXPECT_EQ(plain, Screen->ActiveCustomForm());
    // Deactivation changes nothing.
    SendMessageA(plain->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(plain, Screen->ActiveCustomForm());
    FreeForm(plain);
    EXPECT_EQ(form, Screen->ActiveForm());
    EXPECT_EQ(nullptr, Screen->ActiveCustomForm());
    FreeForm(form);
    EXPECT_EQ(nullptr, Screen->ActiveForm());
}

TEST_F(ApplicationHelp, PressingF1AsksForTheFormsTopic) {
    HelpForm* form = NewForm<HelpForm>(nullptr);
    form->HelpType = htKeyword;
    form->HelpKeyword = "1000";
    form->Show();
    SetForegroundWindow(form->Handle());
    SetFocus(form->Handle());
    PumpUntilIdle();
    if (GetFocus() != form->Handle()) {
        FreeForm(form);
        GTEST_SKIP() << "the display gives the test window no keyboard focus";
    }
    // A real key press: the system turns F1 into WM_HELP for the focused window.
    INPUT keys[2] = {};
    keys[0].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_F1;
    keys[1] = keys[0];
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    const DWORD start = GetTickCount();
    while (calls.empty() && GetTickCount() - start < 3000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpUntilIdle();
    }
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(static_cast<UINT>(HELP_KEY), calls[0].command);
    EXPECT_EQ("1000", calls[0].keyword);
    FreeForm(form);
}
