// The keyboard of every form: dialog keys routed by the application's loop
// (Tab along the tab order, Enter to the focused or Default button, Esc and
// Alt+F4 to the Cancel button), key-press handlers that swallow characters, and
// the push button's own clicks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WindowTestSupport.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

namespace {

// A system edit field as a control of the layer; multi-line ones ask for Enter and Esc.
class TTestEdit : public TWinControl {
public:
    TTestEdit(TComponent* owner, bool isMultiLine) : TWinControl(owner), m_isMultiLine(isMultiLine) {
        SetBounds(0, 0, 100, isMultiLine ? 60 : 21);
        TabStop = true;
    }
    const char* ClassName() const override { return "TTestEdit"; }
    std::string Text() {
        char text[256] = {0};
        GetWindowTextA(Handle(), text, sizeof(text));
        return text;
    }

protected:
    void CreateParams(TCreateParams& params) override {
        TWinControl::CreateParams(params);
        params.SubclassOf = "EDIT";
        params.Style |= ES_AUTOHSCROLL | (m_isMultiLine ? ES_MULTILINE | ES_WANTRETURN : 0);
    }

private:
    bool m_isMultiLine;
};

// A button that says when it goes.
class TTrackedButton : public TButton {
public:
    TTrackedButton(TComponent* owner, bool& isDeleted) : TButton(owner), m_isDeleted(isDeleted) {}
    ~TTrackedButton() override { m_isDeleted = true; }

private:
    bool& m_isDeleted;
};

// The messages a typed key makes, posted to the window that has the focus.
void PostKey(HWND window, WORD key) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(window, WM_KEYDOWN, key, scan | 1);
    PostMessageA(window, WM_KEYUP, key, scan | 1 | (1 << 30) | (1u << 31));
}

void TypeKey(TWinControl* control, WORD key) {
    PostKey(control->Handle(), key);
    PumpUntilIdle();
}

// Holds a key down in the thread's keyboard state for the scope.
class HeldKey {
public:
    explicit HeldKey(int key) : m_key(key) { Set(0x80); }
    ~HeldKey() { Set(0); }

private:
    void Set(BYTE value) {
        BYTE state[256];
        GetKeyboardState(state);
        state[m_key] = value;
        SetKeyboardState(state);
    }
    int m_key;
};

struct KeyboardTest : testing::Test {
    void SetUp() override {
        form = NewForm<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(40, 40, 400, 300);
    }
    void TearDown() override {
        FreeForm(form);
        PumpUntilIdle();
    }

    TButton* AddButton(const std::string& caption, int left) {
        auto* button = new TButton(form);
        button->SetCaption(caption);
        button->SetParent(form);
        button->SetBounds(left, 250, 75, 25);
        button->OnClick = [this, caption](TObject* sender) {
            EXPECT_EQ(static_cast<TButton*>(sender)->Caption(), caption);
            clicks.push_back(caption);
        };
        return button;
    }
    TTestEdit* AddEdit(bool isMultiLine, int top) {
        auto* edit = new TTestEdit(form, isMultiLine);
        edit->SetParent(form);
        edit->SetTop(top);
        edit->OnKeyPress = [this](TObject*, char& key) {
            pressed += key;
            if (key == 'x') key = 0;
        };
        edit->OnKeyDown = [this](TObject*, WORD& key, TShiftState) { downs.push_back(key); };
        return edit;
    }

    TForm* form = nullptr;
    std::vector<std::string> clicks;
    std::string pressed;
    std::vector<WORD> downs;
    ExceptionRecorder errors;
};

}  // namespace

TEST_F(KeyboardTest, EscClicksTheCancelButtonOnceAndGoesNoFurther) {
    TButton* ok = AddButton("OK", 10);
    TButton* cancel = AddButton("Cancel", 100);
    cancel->Cancel = true;
    TTestEdit* edit = AddEdit(false, 10);
    std::string formPressed;
    form->KeyPreview = true;
    form->OnKeyPress = [&formPressed](TObject*, char& key) { formPressed += key; };
    form->Show();

    TypeKey(edit, VK_ESCAPE);
    EXPECT_EQ(clicks, std::vector<std::string>{"Cancel"});
    // Used as a dialog key: no key-down, no character, no key press anywhere.
    EXPECT_EQ(pressed, "");
    EXPECT_EQ(formPressed, "");
    EXPECT_TRUE(downs.empty());

    // Typed into the form itself, or into another button, Esc still means Cancel.
    TypeKey(form, VK_ESCAPE);
    TypeKey(ok, VK_ESCAPE);
    EXPECT_EQ(clicks, (std::vector<std::string>{"Cancel", "Cancel", "Cancel"}));

    // A disabled or hidden Cancel button takes nothing: the character goes on.
    cancel->SetEnabled(false);
    TypeKey(edit, VK_ESCAPE);
    cancel->SetEnabled(true);
    cancel->Hide();
    TypeKey(edit, VK_ESCAPE);
    EXPECT_EQ(clicks.size(), 3u);
    EXPECT_EQ(pressed, "\x1b\x1b");
    EXPECT_EQ(formPressed, "\x1b\x1b");

    // Alt+F4 and a close request are the form's Esc; without a Cancel button
    // to click the form closes as Close says.
    int queries = 0;
    form->OnCloseQuery = [&queries](TObject*, bool& canClose) {
        ++queries;
        canClose = false;
    };
    SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(queries, 1);
    cancel->Show();
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(clicks.size(), 5u);
    EXPECT_EQ(queries, 1);
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(KeyboardTest, EnterClicksTheFocusedButtonElseTheDefaultElseReachesKeyPress) {
    TButton* ok = AddButton("OK", 10);
    TButton* other = AddButton("Other", 100);
    TTestEdit* edit = AddEdit(false, 10);
    form->Show();

    // No button focused and no Default button: the edit's key press sees Enter.
    TypeKey(edit, VK_RETURN);
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(pressed, "\r");
    EXPECT_EQ(downs, std::vector<WORD>{VK_RETURN});

    // Typed into a button, Enter clicks that button.
    TypeKey(other, VK_RETURN);
    TypeKey(ok, VK_RETURN);
    EXPECT_EQ(clicks, (std::vector<std::string>{"Other", "OK"}));

    // With a Default button, Enter in the edit clicks it; a focused button still wins.
    ok->SetDefault(true);
    EXPECT_EQ(GetWindowLongA(ok->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    TypeKey(edit, VK_RETURN);
    TypeKey(other, VK_RETURN);
    EXPECT_EQ(clicks, (std::vector<std::string>{"Other", "OK", "OK", "Other"}));
    EXPECT_EQ(pressed, "\r");
    // Enter with Ctrl held is no dialog key.
    {
        HeldKey control(VK_CONTROL);
        TypeKey(edit, VK_RETURN);
    }
    EXPECT_EQ(clicks.size(), 4u);
}

TEST_F(KeyboardTest, AControlThatAsksForEnterAndEscGetsThemAsCharactersAndMaySwallowThem) {
    TButton* cancel = AddButton("Cancel", 100);
    cancel->Cancel = true;
    AddButton("OK", 10)->SetDefault(true);
    TTestEdit* memo = AddEdit(true, 40);
    form->Show();

    TypeKey(memo, 'A');
    TypeKey(memo, VK_RETURN);
    TypeKey(memo, 'X');  // swallowed by the handler
    TypeKey(memo, 'B');
    TypeKey(memo, VK_ESCAPE);
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(pressed, "a\rxb\x1b");
    // The edit got every character its handler let through, the line break included.
    EXPECT_EQ(memo->Text(), "a\r\nb");
}

TEST_F(KeyboardTest, TabFollowsTheTabOrderBothWaysAndSkipsWhatCannotTakeTheFocus) {
    TButton* b1 = AddButton("1", 10);
    TButton* b2 = AddButton("2", 90);
    TTestEdit* edit = AddEdit(false, 10);
    TButton* b3 = AddButton("3", 170);
    TButton* disabled = AddButton("disabled", 250);
    TButton* hidden = AddButton("hidden", 330);
    TButton* noStop = AddButton("no stop", 330);
    b1->TabOrder = 2;
    b2->TabOrder = 0;
    edit->TabOrder = 1;
    disabled->TabOrder = 0;
    disabled->SetEnabled(false);
    hidden->Hide();
    noStop->TabStop = false;
    const std::vector<TWinControl*> expected = {b2, edit, b1, b3};
    EXPECT_EQ(form->TabStops(), expected);

    form->Show();
    b2->SetFocus();
    ASSERT_EQ(GetFocus(), b2->Handle());
    std::vector<TWinControl*> visited;
    for (int i = 0; i < 4; ++i) {
        TypeKey(TWinControl::FindControl(GetFocus()), VK_TAB);
        visited.push_back(TWinControl::FindControl(GetFocus()));
    }
    EXPECT_EQ(visited, (std::vector<TWinControl*>{edit, b1, b3, b2}));
    {
        HeldKey shift(VK_SHIFT);
        TypeKey(b2, VK_TAB);
    }
    EXPECT_EQ(GetFocus(), b3->Handle());
    EXPECT_EQ(form->ActiveControl(), b3);
    // A tab is never typed into the edit, nor is it a key press.
    EXPECT_EQ(pressed, "");
    EXPECT_TRUE(clicks.empty());
}

TEST_F(KeyboardTest, ActivationFocusesTheActiveControlOrElseTheFormItself) {
    TButton* first = AddButton("first", 10);
    TButton* second = AddButton("second", 100);
    // Nothing chosen yet: the form has the focus, and its key press sees Enter.
    std::string formPressed;
    form->OnKeyPress = [&formPressed](TObject*, char& key) { formPressed += key; };
    form->Show();
    EXPECT_EQ(GetFocus(), form->Handle());
    EXPECT_EQ(form->ActiveControl(), nullptr);
    TypeKey(form, VK_RETURN);
    EXPECT_EQ(formPressed, "\r");
    EXPECT_TRUE(clicks.empty());
    // Tab from the form goes to the first tab stop.
    TypeKey(form, VK_TAB);
    EXPECT_EQ(GetFocus(), first->Handle());
    form->Hide();

    // Focused while the form is hidden: remembered and focused on the next showing.
    second->SetFocus();
    EXPECT_EQ(form->ActiveControl(), second);
    form->Show();
    EXPECT_EQ(GetFocus(), second->Handle());

    // Activated again after another window had the focus: the same control.
    auto* other = NewForm<TForm>(nullptr);
    other->SetBorderStyle(bsNone);
    other->SetBounds(300, 300, 100, 100);
    other->Show();
    EXPECT_EQ(GetFocus(), other->Handle());
    SetActiveWindow(form->Handle());
    EXPECT_EQ(GetFocus(), second->Handle());
    FreeForm(other);
}

TEST_F(KeyboardTest, EscEndsAModalFormThroughItsCancelButton) {
    TButton* cancel = AddButton("Cancel", 100);
    cancel->Cancel = true;
    cancel->OnClick = [this](TObject*) { form->SetModalResult(mrCancel); };
    TTestEdit* edit = AddEdit(false, 10);
    PostKey(edit->Handle(), VK_ESCAPE);
    // Once the key is handled and the loop still runs, it ends with another result.
    Application->OnIdle = [this](TObject*) {
        form->SetModalResult(99);
        PostMessageA(form->Handle(), WM_NULL, 0, 0);  // the loop waits for a message after idling
    };
    EXPECT_EQ(form->ShowModal(), mrCancel);
    Application->OnIdle = nullptr;
    EXPECT_EQ(pressed, "");
}

TEST_F(KeyboardTest, AFailingClickOfADialogKeyIsShownAndTheLoopGoesOn) {
    TButton* cancel = AddButton("Cancel", 100);
    cancel->Cancel = true;
    cancel->OnClick = [](TObject*) { throw Exception("cancel failed"); };
    TTestEdit* edit = AddEdit(false, 10);
    form->Show();
    TypeKey(edit, VK_ESCAPE);
    TypeKey(edit, 'A');
    EXPECT_EQ(errors.messages, std::vector<std::string>{"cancel failed"});
    EXPECT_EQ(pressed, "a");
}

TEST_F(KeyboardTest, ButtonClicksAsTheSystemButtonDoes) {
    TButton* button = AddButton("OK", 10);
    form->Show();
    HWND window = button->Handle();
    SendMessageA(window, BM_CLICK, 0, 0);
    EXPECT_EQ(clicks.size(), 1u);

    // Released outside after going down inside: no click; released inside: a click.
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, Point(200, 5));
    SendMessageA(window, WM_LBUTTONUP, 0, Point(200, 5));
    EXPECT_EQ(clicks.size(), 1u);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    SendMessageA(window, WM_LBUTTONUP, 0, Point(6, 6));
    EXPECT_EQ(clicks.size(), 2u);

    // The space key clicks when it comes up.
    SendMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(clicks.size(), 2u);
    SendMessageA(window, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(clicks.size(), 3u);
    EXPECT_EQ(button->Caption(), "OK");
    char text[16] = {0};
    GetWindowTextA(window, text, sizeof(text));
    EXPECT_STREQ(text, "OK");
}

TEST_F(KeyboardTest, AControlWithoutOwnerGoesWithItsParent) {
    bool isDeleted = false;
    auto* button = new TTrackedButton(nullptr, isDeleted);
    button->SetParent(form);
    bool isOwnedDeleted = false;
    auto* owned = new TTrackedButton(nullptr, isOwnedDeleted);
    form->InsertComponent(owned);
    owned->SetParent(form);
    FreeForm(form);
    form = nullptr;
    EXPECT_TRUE(isDeleted);
    EXPECT_TRUE(isOwnedDeleted);
    form = NewForm<TForm>(nullptr);  // for TearDown
}
