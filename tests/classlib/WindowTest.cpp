// Windows of the layer: creation and destruction stages, the exception guard,
// mouse routing to windowless controls, modal loops and deferred release.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "WindowTestSupport.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "classlib/StdCtrls.h"
#include "classlib/UtilWindow.h"

namespace {

constexpr UINT kThrow = WM_APP + 1;
constexpr UINT kCount = WM_APP + 2;
constexpr UINT kAct = WM_APP + 3;

// A form that logs its stages; its "resource" makes one image.
class LogForm : public TForm {
public:
    LogForm(TComponent* owner, std::vector<std::string>& log, bool failInBody = false) : TForm(owner), m_log(log) {
        Image = new TImage(this);
        Image->SetParent(this);
        m_log.push_back("components");
        OnCreate = [this](TObject*) {
            m_log.push_back("create");
            SetBounds(0, 0, 300, 200);
            Show();
            UpdateWindow(Handle());
            m_log.push_back("create done");
        };
        OnResize = [this](TObject*) { m_log.push_back("resize"); };
        OnPaint = [this](TObject*) { m_log.push_back("paint"); };
        OnDestroy = [this](TObject*) { m_log.push_back("destroy " + Name()); };
        SetBorderStyle(bsNone);
        SetBounds(0, 0, 200, 100);
        HandleNeeded();
        m_log.push_back("body");
        if (failInBody) throw Exception("broken resource");
    }
    ~LogForm() override { m_log.push_back("deleted " + Name()); }
    const char* ClassName() const override { return "TLogForm"; }
    TImage* Image;

private:
    std::vector<std::string>& m_log;
};

// A form whose message table throws on kThrow, counts kCount and runs a chosen
// action on kAct.
class ProbeForm : public TForm {
public:
    explicit ProbeForm(TComponent* owner) : TForm(owner) {
        SetBorderStyle(bsNone);
        SetBounds(10, 10, 300, 200);
    }
    const char* ClassName() const override { return "TProbeForm"; }
    void WndProc(TMessage& message) override {
        switch (message.Msg) {
            case kThrow: throw std::runtime_error("boom");
            case kCount: ++Count; return;
            case kAct:
                if (Action) Action();
                return;
            default: break;
        }
        TForm::WndProc(message);
    }
    int Count = 0;
    std::function<void()> Action;
};

struct WindowTest : testing::Test {
    void TearDown() override { PumpUntilIdle(); }
    ExceptionRecorder errors;
};

}  // namespace

TEST_F(WindowTest, CreationRunsComponentsBodyThenOnCreateWithoutEarlyResizeOrPaint) {
    std::vector<std::string> log;
    auto* form = NewForm<LogForm>(nullptr, log);
    form->SetName("A");
    // Sized in the body and during OnCreate, shown and painted during OnCreate:
    // neither OnResize nor OnPaint ran before OnCreate finished.
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[0], "components");
    EXPECT_EQ(log[1], "body");
    EXPECT_EQ(log[2], "create");
    EXPECT_EQ(log[3], "create done");
    EXPECT_EQ(log.size(), 4u);
    form->SetBounds(0, 0, 320, 220);
    EXPECT_EQ(log.back(), "resize");
    // A WM_SIZE that brings no new size (a frame change, a show) lays nothing out again.
    const size_t resized = log.size();
    RECT client{};
    GetClientRect(form->Handle(), &client);
    SendMessageA(form->Handle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    EXPECT_EQ(log.size(), resized);
    SendMessageA(form->Handle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right + 1, client.bottom));
    EXPECT_EQ(log.back(), "resize");
    form->Invalidate();
    UpdateWindow(form->Handle());
    EXPECT_EQ(log.back(), "paint");
    HWND window = form->Handle();
    EXPECT_EQ(TWinControl::FindControl(window), form);
    FreeForm(form);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(TWinControl::FindControl(window), nullptr);
    EXPECT_EQ(log[log.size() - 2], "destroy A");
    EXPECT_EQ(log.back(), "deleted A");
}

TEST_F(WindowTest, FailedConstructionLeavesNoWindowAndFiresNoOnDestroy) {
    std::vector<std::string> log;
    EXPECT_THROW(NewForm<LogForm>(nullptr, log, true), Exception);
    EXPECT_EQ(FindWindowA("TLogForm", nullptr), nullptr);
    // The derived destructor of a half-built object does not run; OnDestroy neither.
    EXPECT_EQ(log.back(), "body");
}

TEST_F(WindowTest, OwnerFiresOwnedFormsOnDestroyFirstAndSkipsUncreatedOnes) {
    std::vector<std::string> log;
    auto* owner = NewForm<LogForm>(nullptr, log);
    owner->SetName("Owner");
    auto* owned = NewForm<LogForm>(owner, log);
    owned->SetName("Owned");
    auto* uncreated = new LogForm(owner, log);  // AfterConstruction never ran
    uncreated->SetName("Uncreated");
    log.clear();
    FreeForm(owner);
    const std::vector<std::string> expected = {"destroy Owned", "destroy Owner", "deleted Owner", "deleted Uncreated",
                                               "deleted Owned"};
    EXPECT_EQ(log, expected);
}

TEST_F(WindowTest, ExceptionsInHandlersAreShownAndTheLoopGoesOn) {
    auto* form = NewForm<ProbeForm>(nullptr);
    PostMessageA(form->Handle(), kThrow, 0, 0);
    PostMessageA(form->Handle(), kCount, 0, 0);
    PumpUntilIdle();
    EXPECT_EQ(form->Count, 1);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "boom");
    EXPECT_TRUE(IsWindow(form->Handle()));

    // A paint handler that throws is not run again and again.
    form->OnPaint = [](TObject*) { throw Exception("paint failed"); };
    form->Show();
    PumpUntilIdle();
    EXPECT_EQ(errors.messages.size(), 2u);
    EXPECT_EQ(errors.messages.back(), "paint failed");

    // Timer ticks and menu clicks are guarded the same way.
    TTimer timer(nullptr);
    timer.SetEnabled(false);
    timer.OnTimer = [](TObject*) { throw Exception("tick failed"); };
    SendMessageA(UtilWindow(), WM_TIMER, timer.Id(), 0);
    EXPECT_EQ(errors.messages.back(), "tick failed");

    TPopupMenu menu(nullptr);
    auto* item = new TMenuItem(&menu);
    item->Caption = "&Boom";
    item->OnClick = [](TObject*) { throw Exception("click failed"); };
    menu.Items()->Add(item);
    SetPopupMenuTracker([item](HMENU, int, int, UINT) { return item->Command(); });
    menu.Popup(10, 10);
    SetPopupMenuTracker(nullptr);
    EXPECT_EQ(errors.messages.back(), "click failed");
    EXPECT_EQ(errors.messages.size(), 4u);

    PostMessageA(form->Handle(), kCount, 0, 0);
    PumpUntilIdle();
    EXPECT_EQ(form->Count, 2);
    FreeForm(form);
}

TEST_F(WindowTest, WindowlessControlsGetRoutedMouseWithCaptureAndEnterLeave) {
    auto* form = NewForm<ProbeForm>(nullptr);
    std::vector<std::string> log;
    auto* label = new TLabel(form);
    label->SetAutoSize(false);
    label->SetParent(form);
    label->SetBounds(50, 40, 100, 60);
    auto record = [&log](const char* what) {
        return [&log, what](TObject*, TMouseButton, TShiftState, int x, int y) {
            log.push_back(std::string(what) + " " + std::to_string(x) + "," + std::to_string(y));
        };
    };
    label->OnMouseDown = record("down");
    label->OnMouseUp = record("up");
    label->OnMouseMove = [&log](TObject*, TShiftState, int x, int y) {
        log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    };
    label->OnClick = [&log](TObject*) { log.push_back("click"); };
    label->OnMouseEnter = [&log](TObject*) { log.push_back("enter"); };
    label->OnMouseLeave = [&log](TObject*) { log.push_back("leave"); };
    form->OnMouseDown = record("form down");
    HWND window = form->Handle();

    SendMessageA(window, WM_MOUSEMOVE, 0, Point(60, 50));
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(60, 50));
    // Held: the label keeps the mouse outside its bounds, with negative coordinates.
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, Point(20, 30));
    SendMessageA(window, WM_LBUTTONUP, 0, Point(10, 10));
    SendMessageA(window, WM_MOUSEMOVE, 0, Point(5, 5));
    SendMessageA(window, WM_MOUSEMOVE, 0, Point(6, 6));
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    SendMessageA(window, WM_LBUTTONUP, 0, Point(5, 5));
    SendMessageA(window, WM_MOUSEMOVE, 0, Point(70, 60));
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(70, 60));
    SendMessageA(window, WM_LBUTTONUP, 0, Point(71, 61));
    // Enter and leave follow the pointer, also while the label holds the mouse.
    const std::vector<std::string> expected = {"enter",        "move 10,10", "down 10,10",    "leave",
                                               "move -30,-10", "up -40,-30", "form down 5,5", "enter",
                                               "move 20,20",   "down 20,20", "up 21,21",      "click"};
    EXPECT_EQ(log, expected);
    FreeForm(form);
}

TEST_F(WindowTest, ModalLoopDisablesOtherWindowsRunsTimersAndNests) {
    auto* other = NewForm<ProbeForm>(nullptr);
    other->Show();
    auto* outer = NewForm<ProbeForm>(nullptr);
    auto* inner = NewForm<ProbeForm>(nullptr);
    bool wasOtherEnabled = true;
    TModalResult innerResult = mrNone;
    TTimer timer(nullptr);
    timer.SetEnabled(false);
    // A tick inside the inner loop ends it.
    timer.OnTimer = [inner](TObject*) { inner->SetModalResult(mrYes); };
    inner->Action = [&] { SendMessageA(UtilWindow(), WM_TIMER, timer.Id(), 0); };
    outer->Action = [&] {
        wasOtherEnabled = IsWindowEnabled(other->Handle()) != 0;
        PostMessageA(inner->Handle(), kAct, 0, 0);
        innerResult = inner->ShowModal();
        outer->SetModalResult(mrOk);
    };
    PostMessageA(outer->Handle(), kAct, 0, 0);
    EXPECT_EQ(outer->ShowModal(), mrOk);
    EXPECT_EQ(innerResult, mrYes);
    EXPECT_FALSE(wasOtherEnabled);
    EXPECT_TRUE(IsWindowEnabled(other->Handle()));
    EXPECT_FALSE(IsWindowVisible(outer->Handle()));
    EXPECT_FALSE(outer->Visible());
    EXPECT_THROW(other->ShowModal(), EInvalidOperation);  // already visible
    FreeForm(inner);
    FreeForm(outer);
    FreeForm(other);
}

void CALLBACK ChooseFirstMenuItem(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostMessageA(UtilWindow(), WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(UtilWindow(), WM_KEYDOWN, VK_RETURN, 0);
}

// A form that appears takes the keyboard; a popup menu borrows it for its
// hidden owner and gives it back before the chosen item runs, so that a dialog
// the item opens belongs to the form and the keyboard returns there after it.
TEST_F(WindowTest, ShownFormsTakeTheKeyboardAndPopupMenusGiveItBack) {
    auto* form = NewForm<ProbeForm>(nullptr);
    form->SetVisible(true);
    EXPECT_EQ(GetForegroundWindow(), form->Handle());

    TPopupMenu menu(nullptr);
    auto* item = new TMenuItem(&menu);
    item->Caption = "&Item";
    HWND activeInClick = nullptr;
    item->OnClick = [&activeInClick](TObject*) { activeInClick = GetActiveWindow(); };
    menu.Items()->Add(item);
    // The real menu, ended by the keyboard once it is up.
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &ChooseFirstMenuItem);
    menu.Popup(10, 10);
    KillTimer(nullptr, timer);
    EXPECT_EQ(activeInClick, form->Handle());
    EXPECT_EQ(GetActiveWindow(), form->Handle());
    FreeForm(form);
}

TEST_F(WindowTest, ReleaseDeletesOnceAfterEveryMessageOnTheStackReturned) {
    std::vector<std::string> log;
    auto* form = NewForm<LogForm>(nullptr, log);
    form->SetName("R");
    form->Release();
    form->Release();  // harmless
    EXPECT_EQ(log.back(), "create done");
    PumpUntilIdle();
    EXPECT_EQ(log.back(), "deleted R");
    EXPECT_EQ(std::count(log.begin(), log.end(), "destroy R"), 1);

    // Released from its own handler, which then pumps messages itself: the form
    // lives until that handler has returned.
    auto* probe = NewForm<ProbeForm>(nullptr);
    bool isDeleted = false;
    probe->OnDestroy = [&isDeleted](TObject*) { isDeleted = true; };
    bool wasAliveInHandler = false;
    probe->Action = [&] {
        probe->Release();
        PumpUntilIdle();
        wasAliveInHandler = !isDeleted && probe->Count == 0;
    };
    HWND window = probe->Handle();
    SendMessageA(window, kAct, 0, 0);
    EXPECT_TRUE(wasAliveInHandler);
    EXPECT_TRUE(isDeleted);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowTest, ConstraintsHoldForProgrammaticSizes) {
    auto* form = NewForm<ProbeForm>(nullptr);
    form->Constraints.MinWidth = 520;
    form->Constraints.MinHeight = 400;
    form->SetBounds(5, 6, 500, 100);
    EXPECT_EQ(form->Width(), 520);
    EXPECT_EQ(form->Height(), 400);
    RECT rect;
    GetWindowRect(form->Handle(), &rect);
    EXPECT_EQ(rect.right - rect.left, 520);
    EXPECT_EQ(rect.left, 5);
    FreeForm(form);
}

TEST_F(WindowTest, RepaintOfAFormPaintsAtOnce) {
    auto* form = NewForm<ProbeForm>(nullptr);
    form->Show();
    PumpUntilIdle();
    int paints = 0;
    form->OnPaint = [&paints](TObject*) { ++paints; };
    form->Repaint();
    EXPECT_EQ(paints, 1);  // without a message loop turn
    form->Invalidate();
    EXPECT_EQ(paints, 1);
    form->Update();
    EXPECT_EQ(paints, 2);
    FreeForm(form);
}

// A window capture asks for the picture with WM_PRINTCLIENT: it must get what
// WM_PAINT shows (background, OnPaint, windowless controls), in its own DC.
TEST_F(WindowTest, PrintClientPaintsTheFormIntoTheGivenDC) {
    auto* form = NewForm<ProbeForm>(nullptr);
    form->SetBounds(0, 0, 200, 120);
    form->SetColor(RGB(10, 200, 30));
    form->OnPaint = [form](TObject*) {
        form->Canvas()->Brush()->SetColor(RGB(250, 0, 0));
        RECT r{20, 20, 40, 40};
        form->Canvas()->FillRect(r);
    };
    form->Show();
    PumpUntilIdle();
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 100, 60);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageA(form->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    EXPECT_EQ(GetPixel(memory, 5, 5), RGB(10, 200, 30));
    EXPECT_EQ(GetPixel(memory, 30, 30), RGB(250, 0, 0));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    FreeForm(form);
}

TEST_F(WindowTest, ListBoxItemsWithAndWithoutWindow) {
    auto* form = NewForm<ProbeForm>(nullptr);
    auto* list = new TListBox(form);
    list->Style = lbOwnerDrawFixed;
    list->Items()->Add("before the window");
    list->SetParent(form);
    ASSERT_TRUE(list->HandleAllocated());
    list->Items()->Add("one");
    list->Items()->Add("two");
    EXPECT_EQ(list->Items()->Count(), 3);
    EXPECT_EQ(list->Items()->Strings(0), "before the window");
    EXPECT_EQ(list->Items()->Strings(2), "two");
    EXPECT_EQ(SendMessageA(list->Handle(), LB_GETITEMHEIGHT, 0, 0), 13);
    list->SetItemIndex(1);
    EXPECT_EQ(list->ItemIndex(), 1);
    list->SetItemIndex(7);  // out of range: nothing selected
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_THROW(list->Items()->Strings(3), Exception);
    list->Clear();
    EXPECT_EQ(list->Items()->Count(), 0);
    FreeForm(form);
}

TEST_F(WindowTest, KeyPreviewLetsTheFormSeeAndSwallowChildKeys) {
    auto* form = NewForm<ProbeForm>(nullptr);
    auto* list = new TListBox(form);
    list->SetParent(form);
    std::string seen;
    form->OnKeyPress = [&seen](TObject*, char& key) {
        seen += key;
        if (key == 'x') key = 0;
    };
    std::string listSeen;
    list->OnKeyPress = [&listSeen](TObject*, char& key) { listSeen += key; };
    SendMessageA(list->Handle(), WM_CHAR, 'a', 0);
    EXPECT_EQ(seen, "");
    EXPECT_EQ(listSeen, "a");
    form->KeyPreview = true;
    SendMessageA(list->Handle(), WM_CHAR, 'b', 0);
    SendMessageA(list->Handle(), WM_CHAR, 'x', 0);
    EXPECT_EQ(seen, "bx");
    EXPECT_EQ(listSeen, "ab");
    FreeForm(form);
}

TEST(Menus, FindIgnoresAmpersandsAndCaseAndOwnerDrawnItemsAreMeasuredByCurrentCaption) {
    TPopupMenu menu(nullptr);
    auto* edit = new TMenuItem(&menu);
    edit->Caption = "&Edit Selected Reminder";
    menu.Items()->Add(edit);
    EXPECT_EQ(menu.Items()->Find("edit selected reminder"), edit);
    EXPECT_EQ(menu.Items()->Find("Edit"), nullptr);

    menu.OwnerDraw = true;
    int measuredWidth = 0;
    edit->OnMeasureItem = [&](TObject*, TCanvas* canvas, int& width, int& height) {
        EXPECT_NE(canvas, nullptr);
        EXPECT_GT(height, 0);
        measuredWidth = width;
    };
    // Building the popup happens on every Popup; the owner window measures.
    auto measure = [&] {
        MEASUREITEMSTRUCT item{};
        item.CtlType = ODT_MENU;
        item.itemID = edit->Command();
        SetPopupMenuTracker([](HMENU, int, int, UINT) { return 0u; });
        menu.Popup(0, 0);
        SetPopupMenuTracker(nullptr);
        SendMessageA(UtilWindow(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&item));
        return measuredWidth;
    };
    const int shortWidth = measure();
    edit->Caption = "&Edit Selected Reminder and much more text";
    const int longWidth = measure();
    EXPECT_GT(shortWidth, 0);
    EXPECT_GT(longWidth, shortWidth);
}

TEST(Application, ExeNameCanBeRedirectedForTests) {
    const std::string real = Application->ExeName();
    EXPECT_NE(real.find(".exe"), std::string::npos);
    Application->SetExeName("C:\\somewhere\\QuibReminder.exe");
    EXPECT_EQ(Application->ExeName(), "C:\\somewhere\\QuibReminder.exe");
    Application->SetExeName("");
    EXPECT_EQ(Application->ExeName(), real);
}
