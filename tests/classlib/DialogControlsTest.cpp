// The dialog controls of the layer: edits, memo, check box, combo box, spin
// edit, date picker, string grid, notebook and tool bar, driven by messages on
// real windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "WindowTestSupport.h"
#include "classlib/ComCtrls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/Grids.h"
#include "classlib/Spin.h"
#include "classlib/StdCtrls.h"

namespace {

class HostForm : public TForm {
public:
    explicit HostForm(TComponent* owner) : TForm(owner) {
        SetBorderStyle(bsNone);
        SetBounds(20, 20, 400, 300);
    }
    const char* ClassName() const override { return "THostForm"; }
};

struct DialogControls : testing::Test {
    void SetUp() override { form = NewForm<HostForm>(nullptr); }
    void TearDown() override {
        FreeForm(form);
        PumpUntilIdle();
    }
    template <class T>
    T* Make() {
        T* control = new T(form);
        control->SetParent(form);
        return control;
    }
    // What the parent tells the system about a child's command notice.
    void Notify(TWinControl* control, WORD code) {
        SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control->Handle()), code),
                     reinterpret_cast<LPARAM>(control->Handle()));
    }
    HostForm* form = nullptr;
    ExceptionRecorder errors;
};

}  // namespace

TEST_F(DialogControls, EditTextChangesAndKeyPressesAreToldOnceAndCanBeSwallowed) {
    auto* edit = Make<TEdit>();
    int changes = 0;
    edit->OnChange = [&changes](TObject*) { ++changes; };
    edit->SetText("first");
    EXPECT_EQ(edit->Text(), "first");
    EXPECT_EQ(changes, 1);

    // Typing reaches the key-press event first; a swallowed character never arrives.
    edit->OnKeyPress = [](TObject*, char& key) {
        if (key == 'x') key = 0;
    };
    SendMessageA(edit->Handle(), EM_SETSEL, 5, 5);
    SendMessageA(edit->Handle(), WM_CHAR, 'x', 0);
    EXPECT_EQ(edit->Text(), "first");
    EXPECT_EQ(changes, 1);
    SendMessageA(edit->Handle(), WM_CHAR, 'y', 0);
    EXPECT_EQ(edit->Text(), "firsty");
    EXPECT_EQ(changes, 2);

    // A text set before the window exists is the window's first text.
    auto* early = new TEdit(form);
    early->SetText("early");
    EXPECT_FALSE(early->HandleAllocated());
    early->SetParent(form);
    EXPECT_TRUE(early->HandleAllocated());
    char text[32] = {0};
    GetWindowTextA(early->Handle(), text, sizeof(text));
    EXPECT_STREQ(text, "early");
}

TEST_F(DialogControls, MemoKeepsLinesJoinedByCrLfAndTakesEnterAsLineBreak) {
    auto* memo = Make<TMemo>();
    memo->SetText("one\ntwo\r\nthree\rfour");
    EXPECT_EQ(memo->Text(), "one\r\ntwo\r\nthree\r\nfour");
    EXPECT_EQ(SendMessageA(memo->Handle(), EM_GETLINECOUNT, 0, 0), 4);

    std::vector<int> keys;
    memo->OnKeyPress = [&keys](TObject*, char& key) { keys.push_back(key); };
    memo->SetText("a");
    SendMessageA(memo->Handle(), EM_SETSEL, 1, 1);
    SendMessageA(memo->Handle(), WM_CHAR, VK_RETURN, 0);
    SendMessageA(memo->Handle(), WM_CHAR, 'b', 0);
    EXPECT_EQ(memo->Text(), "a\r\nb");
    EXPECT_EQ(keys, (std::vector<int>{13, 'b'}));
}

TEST_F(DialogControls, CheckBoxClicksOnlyWhenItsStateChanges) {
    auto* box = Make<TCheckBox>();
    int clicks = 0;
    box->OnClick = [&clicks](TObject*) { ++clicks; };
    box->SetChecked(false);
    EXPECT_EQ(clicks, 0);
    box->SetChecked(true);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(clicks, 1);
    box->SetChecked(true);
    EXPECT_EQ(clicks, 1);

    // A click of the user's turns it over and is told once.
    SendMessageA(box->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(clicks, 2);
    box->Toggle();
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(clicks, 3);

    // The state set before the window exists is the window's.
    auto* early = new TCheckBox(form);
    early->SetChecked(true);
    early->SetParent(form);
    EXPECT_EQ(SendMessageA(early->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(DialogControls, ComboBoxSelectionBySettingIsSilentAndByTheUserClicksThenChanges) {
    auto* combo = new TComboBox(form);
    combo->Style = csDropDownList;
    combo->Items()->Add("Once");
    combo->Items()->Add("Daily");
    combo->SetItemIndex(1);
    combo->SetParent(form);
    EXPECT_EQ(combo->Items()->Count(), 2);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->Text(), "Daily");
    EXPECT_LT(combo->Height(), 40);  // the closed box, not the dropped-down list

    std::vector<std::string> log;
    combo->OnClick = [&log](TObject*) { log.push_back("click"); };
    combo->OnChange = [&log, combo](TObject*) { log.push_back("change " + combo->Text()); };
    combo->SetItemIndex(0);
    EXPECT_TRUE(log.empty());
    combo->SetItemIndex(7);
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), "");

    SendMessageA(combo->Handle(), CB_SETCURSEL, 1, 0);
    Notify(combo, CBN_SELCHANGE);
    EXPECT_EQ(log, (std::vector<std::string>{"click", "change Daily"}));

    combo->Items()->Clear();
    EXPECT_EQ(combo->Items()->Count(), 0);
    EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST_F(DialogControls, SpinEditValueLimitsAndSteps) {
    auto* spin = Make<TCSpinEdit>();
    EXPECT_EQ(spin->Text(), "0");
    spin->MinValue = 1;
    spin->MaxValue = 10;

    // A text that is no number counts as the minimum.
    spin->SetText("");
    EXPECT_EQ(spin->Value(), 1);
    spin->SetText("abc");
    EXPECT_EQ(spin->Value(), 1);
    spin->SetText("07");
    EXPECT_EQ(spin->Value(), 7);

    spin->SetValue(15);
    EXPECT_EQ(spin->Text(), "10");
    spin->SetValue(-3);
    EXPECT_EQ(spin->Text(), "1");
    // Without a range (both limits equal) a value is taken as it is.
    spin->MinValue = 0;
    spin->MaxValue = 0;
    spin->SetValue(75);
    EXPECT_EQ(spin->Text(), "75");

    // Leaving the field limits the text after the exit event ran.
    spin->MaxValue = 23;
    std::vector<std::string> exits;
    spin->OnExit = [&exits, spin](TObject*) { exits.push_back(spin->Text()); };
    SendMessageA(spin->Handle(), WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(exits, (std::vector<std::string>{"75"}));
    EXPECT_EQ(spin->Text(), "23");
    spin->SetText("");
    SendMessageA(spin->Handle(), WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(spin->Text(), "");  // counts as the minimum, which is in range

    // Arrow keys and the buttons step within the limits.
    spin->SetValue(22);
    SendMessageA(spin->Handle(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(spin->Text(), "23");
    SendMessageA(spin->Handle(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(spin->Text(), "23");
    SendMessageA(spin->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(spin->Text(), "22");
    HWND buttons = spin->ButtonHandle();
    ASSERT_NE(buttons, nullptr);
    RECT rect;
    GetClientRect(buttons, &rect);
    SendMessageA(buttons, WM_LBUTTONDOWN, MK_LBUTTON, Point(rect.right / 2, 2));
    SendMessageA(buttons, WM_LBUTTONUP, 0, Point(rect.right / 2, 2));
    EXPECT_EQ(spin->Text(), "23");
    SendMessageA(buttons, WM_LBUTTONDOWN, MK_LBUTTON, Point(rect.right / 2, rect.bottom - 2));
    SendMessageA(buttons, WM_LBUTTONUP, 0, Point(rect.right / 2, rect.bottom - 2));
    EXPECT_EQ(spin->Text(), "22");

    // A disabled spin edit disables its buttons too.
    spin->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(spin->Handle()));
    EXPECT_FALSE(IsWindowEnabled(buttons));
}

TEST_F(DialogControls, DatePickerReadsTheWindowEveryTime) {
    auto* early = new TDateTimePicker(form);
    early->SetDate(EncodeDate(2024, 2, 29) + 0.75);
    EXPECT_EQ(early->Date(), EncodeDate(2024, 2, 29));
    early->SetParent(form);
    EXPECT_EQ(early->Date(), EncodeDate(2024, 2, 29));

    early->SetDate(EncodeDate(1969, 12, 31));
    EXPECT_EQ(early->Date(), EncodeDate(1969, 12, 31));
    EXPECT_TRUE((GetWindowLongA(early->Handle(), GWL_STYLE) & DTS_SHORTDATEFORMAT) == DTS_SHORTDATEFORMAT);

    // A date put into the window from outside is what Date gives.
    SYSTEMTIME time{};
    time.wYear = 2036;
    time.wMonth = 1;
    time.wDay = 2;
    SendMessageA(early->Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    EXPECT_EQ(early->Date(), EncodeDate(2036, 1, 2));
}

TEST_F(DialogControls, StringGridSelectsByClickKeyAndSettingAndScrollsColumnsIntoView) {
    auto* grid = new TStringGrid(form);
    grid->SetBounds(10, 10, 200, 53);
    grid->SetRowCount(1);
    grid->SetDefaultColWidth(32);
    grid->SetDefaultRowHeight(32);
    grid->SetColCount(0);
    EXPECT_EQ(grid->ColCount(), 1);
    grid->SetParent(form);

    std::vector<std::string> log;
    bool allow = true;
    grid->OnSelectCell = [&log, &allow](TObject*, int col, int row, bool& canSelect) {
        log.push_back("select " + std::to_string(col) + "," + std::to_string(row));
        canSelect = allow;
    };
    grid->SetColCount(4);
    // Four columns fit: no scroll bar.
    EXPECT_FALSE(GetWindowLongA(grid->Handle(), GWL_STYLE) & WS_HSCROLL);

    grid->SetCol(2);
    EXPECT_EQ(grid->Col(), 2);
    grid->SetCol(2);  // no change, no event
    EXPECT_EQ(log, (std::vector<std::string>{"select 2,0"}));
    allow = false;
    grid->SetCol(3);
    EXPECT_EQ(grid->Col(), 2);
    allow = true;

    // A click on the second cell; one on a grid line selects nothing.
    SendMessageA(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(33 + 5, 5));
    SendMessageA(grid->Handle(), WM_LBUTTONUP, 0, Point(33 + 5, 5));
    EXPECT_EQ(grid->Col(), 1);
    SendMessageA(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(32, 5));
    SendMessageA(grid->Handle(), WM_LBUTTONUP, 0, Point(32, 5));
    EXPECT_EQ(grid->Col(), 1);
    SendMessageA(grid->Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(grid->Col(), 2);
    SendMessageA(grid->Handle(), WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(grid->Col(), 0);
    EXPECT_EQ(SendMessageA(grid->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);

    // More columns than fit: the bar shows and the current column scrolls into view.
    grid->SetColCount(20);
    const int visible = grid->VisibleColCount();
    EXPECT_EQ(visible, (grid->ClientWidth() + 1) / 33);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    ASSERT_TRUE(GetScrollInfo(grid->Handle(), SB_HORZ, &info));
    EXPECT_EQ(info.nMax, 19);
    EXPECT_EQ(static_cast<int>(info.nPage), visible);
    grid->SetCol(15);
    EXPECT_EQ(grid->LeftCol(), 15 - visible + 1);
    RECT cell = grid->CellRect(15, 0);
    EXPECT_EQ(cell.left, (visible - 1) * 33);
    EXPECT_EQ(cell.right - cell.left, 32);
    grid->SetCol(0);
    EXPECT_EQ(grid->LeftCol(), 0);
    SendMessageA(grid->Handle(), WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(grid->LeftCol(), 1);
    SendMessageA(grid->Handle(), WM_HSCROLL, SB_RIGHT, 0);
    EXPECT_EQ(grid->LeftCol(), 20 - visible);
    EXPECT_EQ(grid->Col(), 0);  // scrolling does not move the current cell

    // Fewer columns keep the current column inside.
    grid->SetCol(19);
    grid->SetColCount(3);
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->LeftCol(), 0);
}

TEST_F(DialogControls, StringGridDrawsEveryVisibleCellThroughItsOwner) {
    auto* grid = new TStringGrid(form);
    grid->SetBounds(10, 10, 120, 53);
    grid->SetRowCount(1);
    grid->SetDefaultColWidth(32);
    grid->SetDefaultRowHeight(32);
    grid->SetColCount(10);
    grid->SetParent(form);
    grid->SetCol(1);
    std::vector<std::string> cells;
    grid->OnDrawCell = [&cells](TObject* sender, int col, int row, RECT rect, TGridDrawState state) {
        auto* self = static_cast<TStringGrid*>(sender);
        cells.push_back(std::to_string(col) + "," + std::to_string(row) + " " + std::to_string(rect.left) +
                        ((state & gdSelected) ? " selected" : ""));
        self->Canvas()->Brush()->SetColor(clRed);
        self->Canvas()->FillRect(rect);
    };
    form->Show();
    cells.clear();
    grid->Invalidate();
    UpdateWindow(grid->Handle());
    // Three whole columns and a part of the fourth.
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[0], "0,0 0");
    EXPECT_EQ(cells[1], "1,0 33 selected");
    EXPECT_EQ(cells[3], "3,0 99");
    // The owner's drawing reaches the window; the current cell keeps its frame.
    HDC dc = GetDC(grid->Handle());
    EXPECT_EQ(GetPixel(dc, 10, 10), ColorToRGB(clRed));
    EXPECT_EQ(GetPixel(dc, 33, 10), ColorToRGB(clHighlight));
    EXPECT_EQ(GetPixel(dc, 45, 10), ColorToRGB(clRed));
    ReleaseDC(grid->Handle(), dc);
}

TEST_F(DialogControls, ControlsTakeTheirTextColourFromTheirFont) {
    auto* edit = Make<TEdit>();
    edit->Font()->SetColor(clBlue);
    HDC dc = CreateCompatibleDC(nullptr);
    const LRESULT brush = SendMessageA(form->Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(edit->Handle()));
    EXPECT_NE(brush, 0);
    EXPECT_EQ(GetTextColor(dc), ColorToRGB(clBlue));
    EXPECT_EQ(GetBkColor(dc), ColorToRGB(clWindow));

    // A child without colours of its own gets the parent's default answer.
    auto* grid = Make<TStringGrid>();
    SetTextColor(dc, RGB(1, 2, 3));
    const LRESULT other = SendMessageA(form->Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(grid->Handle()));
    EXPECT_NE(other, 0);
    EXPECT_NE(GetTextColor(dc), RGB(1, 2, 3));
    DeleteDC(dc);
}

TEST_F(DialogControls, AFontChangedAfterTheWindowExistsReachesTheWindow) {
    auto* edit = Make<TEdit>();
    auto* follower = Make<TComboBox>();
    edit->HandleNeeded();
    follower->HandleNeeded();
    const auto windowFont = [](TWinControl* control, LOGFONTA& font) {
        const auto handle = reinterpret_cast<HFONT>(SendMessageA(control->Handle(), WM_GETFONT, 0, 0));
        return GetObjectA(handle, sizeof font, &font) != 0;
    };
    // A changed colour makes the font anew: the window must not keep the old, deleted one.
    edit->Font()->SetColor(clRed);
    LOGFONTA font{};
    ASSERT_TRUE(windowFont(edit, font));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(edit->Handle(), WM_GETFONT, 0, 0)), edit->Font()->Handle());
    // A control that follows its parent's font gets the parent's new one.
    form->Font()->SetHeight(-20);
    ASSERT_TRUE(windowFont(follower, font));
    EXPECT_EQ(font.lfHeight, -20);
}

TEST_F(DialogControls, NotebookShowsOnePageAtATimeWithOnlyItsControlsInTheTabOrder) {
    auto* book = Make<TNotebook>();
    book->SetBounds(10, 10, 200, 150);
    TPage* first = book->AddPage("First");
    TPage* second = book->AddPage("Second");
    auto* firstEdit = new TEdit(form);
    firstEdit->SetParent(first);
    auto* secondEdit = new TEdit(form);
    secondEdit->SetParent(second);
    int changes = 0;
    book->OnPageChanged = [&changes](TObject*) { ++changes; };
    const auto isShown = [](TWinControl* page) {
        return (GetWindowLongA(page->Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
    };
    const auto tabStops = [this] {
        form->HandleNeeded();
        return form->TabStops();
    };

    EXPECT_EQ(book->PageIndex(), 0);
    EXPECT_EQ(book->ActivePage(), "First");
    EXPECT_TRUE(isShown(first));
    EXPECT_FALSE(isShown(second));
    EXPECT_EQ(tabStops(), std::vector<TWinControl*>{firstEdit});
    // The pages fill the notebook, also after it changed its size.
    book->SetBounds(10, 10, 300, 120);
    EXPECT_EQ(second->Width(), 300);
    EXPECT_EQ(second->Height(), 120);

    book->SetPageIndex(1);
    EXPECT_TRUE(isShown(second));
    EXPECT_FALSE(isShown(first));
    EXPECT_EQ(tabStops(), std::vector<TWinControl*>{secondEdit});
    book->SetPageIndex(7);
    book->SetPageIndex(1);
    EXPECT_EQ(book->PageIndex(), 1);
    book->SetActivePage("first");
    EXPECT_EQ(book->PageIndex(), 0);
    EXPECT_EQ(changes, 2);
}

TEST_F(DialogControls, ToolBarWrapsItsButtonsAndOneGroupedCheckButtonIsDownAtATime) {
    auto* bar = Make<TToolBar>();
    bar->SetBounds(0, 0, 73, 220);
    bar->SetButtonSize(70, 52);
    std::vector<TToolButton*> buttons;
    std::vector<int> clicks(4, 0);
    for (int i = 0; i < 4; ++i) {
        auto* button = new TToolButton(form);
        button->Style = tbsCheck;
        button->Grouped = i < 3;  // the last one stands alone
        button->OnClick = [&clicks, i](TObject*) { ++clicks[static_cast<size_t>(i)]; };
        button->SetParent(bar);
        buttons.push_back(button);
    }
    // Narrower than two buttons: one button a row.
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(buttons[static_cast<size_t>(i)]->Left(), 0);
        EXPECT_EQ(buttons[static_cast<size_t>(i)]->Top(), 52 * i);
    }
    const auto click = [bar](int index) {
        SendMessageA(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(10, 52 * index + 20));
        SendMessageA(bar->Handle(), WM_LBUTTONUP, 0, Point(10, 52 * index + 20));
    };
    const auto downs = [&buttons] {
        std::string pattern;
        for (TToolButton* button : buttons) pattern += button->Down() ? '1' : '0';
        return pattern;
    };
    click(1);
    EXPECT_EQ(downs(), "0100");
    click(0);
    EXPECT_EQ(downs(), "1000");
    click(0);  // a grouped button stays down
    EXPECT_EQ(downs(), "1000");
    buttons[2]->SetDown(true);
    EXPECT_EQ(downs(), "0010");
    click(3);  // the lone one toggles and leaves the group alone
    EXPECT_EQ(downs(), "0011");
    click(3);
    EXPECT_EQ(downs(), "0010");
    EXPECT_EQ(clicks, (std::vector<int>{2, 1, 0, 2}));
}

// The label must draw every glyph of its caption: what it puts on the form holds
// as much ink as the same text drawn without any bounds.
TEST_F(DialogControls, AutoSizedLabelsDrawTheirWholeCaption) {
    struct Row {
        const char* caption;
        TAlignment alignment;
        bool isItalic;
    };
    const Row rows[] = {
        {"How often:", taLeftJustify, false},
        {"How often:", taRightJustify, false},
        {"How often:", taCenter, false},
        {"Half of:", taLeftJustify, true},
    };
    form->SetColor(clWhite);
    form->Font()->SetName("MS Sans Serif");
    form->Font()->SetHeight(-11);
    form->Show();
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 40);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    const auto ink = [memory] {
        int count = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 200; ++x) count += GetPixel(memory, x, y) != RGB(255, 255, 255);
        return count;
    };
    for (const Row& row : rows) {
        auto* label = new TLabel(form);
        label->SetTransparent(true);
        label->Alignment = row.alignment;
        label->SetParent(form);
        label->Font()->SetStyle(row.isItalic ? fsItalic : 0);
        label->SetCaption(row.caption);
        label->SetBounds(10, 10, label->Width(), label->Height());
        SendMessageA(form->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
        const int drawn = ink();

        RECT all{0, 0, 200, 40};
        FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        HGDIOBJ oldFont = SelectObject(memory, label->Font()->Handle());
        SetBkMode(memory, TRANSPARENT);
        RECT free{10, 10, 10, 10};
        DrawTextA(memory, row.caption, -1, &free, DT_SINGLELINE | DT_NOCLIP);
        SelectObject(memory, oldFont);
        EXPECT_EQ(drawn, ink()) << row.caption << " aligned " << row.alignment << (row.isItalic ? " italic" : "");
        delete label;
    }
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
}
