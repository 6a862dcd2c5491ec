// The calendar under the mouse, driven with mouse messages at client points
// computed from the grid layout: hover look, sound, status line and hints;
// clicks, double clicks and the context menu; dragging a reminder to another
// day with the stop-date question; the day list; the delete dialog; and no
// pointer to a released record kept after a deletion, a grid rebuild or a load.
#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <memory>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "UiTestSupport.h"
#include "classlib/ImgList.h"
#include "classlib/Menus.h"
#include "model/Uconverter.h"
#include "model/Ufunction.h"
#include "model/Uglobals.h"
#include "ui/UFormDeleteItem.h"
#include "ui/UFormMessageBox.h"
#include "ui/UFormModifyItem.h"
#include "ui/UMain.h"
#include "ui/UMyHint.h"
#include "ui/Ugraphic.h"
#include "ui/Umainbutton.h"
#include "ui/Upictures.h"
#include "ui/UprogramHost.h"

namespace {

// Test picture k: its left 8 columns white (transparent), the rest one colour.
COLORREF PictureColour(int k) {
    return RGB(30 + 20 * k, 200 - 15 * k, 160 + 9 * k);
}

int PixelCount(const TBitmap& bitmap, COLORREF colour) {
    int count = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if (bitmap.GetPixel(x, y) == colour) ++count;
    return count;
}

// The program's host, with the sounds and the standard error box recorded.
class MouseHost : public TProgramHost {
public:
    bool OpenCalendarSound(const std::wstring&) override { return true; }
    void PlayCalendarSound() override { ++plays; }
    void ShowStandardError(const std::string&, const std::string&) override {}
    int plays = 0;
};

using Lines = std::vector<std::string>;

class CalendarMouseTest : public ProgramFolderTest {
protected:
    void SetUp() override {
        EnterProgramFolder("qr-mouse", &host, [this] { return clock; });
        General_Settings = TGeneralSettingValues{};
        FirstShow = true;
        SetCursorPosFunction([this] { return cursor; });
        SetDoubleClickTimeFunction([] { return 500u; });
        SetConfineCursorFunction([this](const RECT* rect) {
            confines.push_back(rect ? std::optional<RECT>(*rect) : std::nullopt);
        });
        SetPopupMenuTracker([this](HMENU menu, int, int, UINT) -> UINT {
            menuCaptions.clear();
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                char caption[64] = {0};
                GetMenuStringA(menu, static_cast<UINT>(i), caption, sizeof(caption), MF_BYPOSITION);
                menuCaptions.push_back(caption);
            }
            return menuChoice ? menuChoice->Command() : 0;
        });
        keptCalendar = Calendar_Settings;
        keptText = Text_Settings;
        keptHint = Hint_Settings;
        Hint_Settings.Hint_Group_Index = 0;
        IconWidth = IconHeight = 32;
        ResetViewState();

        Application->CreateForm(MainForm);
        MainForm->TimerCheckForReminders->SetEnabled(false);
        MainForm->TimerShowHint->SetEnabled(false);
        MainForm->Show();
        // Cells of 101 x 110 pixels with a day band of 37: 3 x 2 slots of 32 pixels.
        MainForm->SetBounds(0, 0, 100, 100);
        const int frameWidth = MainForm->Width() - MainForm->ClientWidth();
        const int frameHeight = MainForm->Height() - MainForm->ClientHeight();
        MainForm->SetBounds(0, 0, 180 + 7 * 101 + frameWidth, 130 + 6 * 110 + frameHeight);
        Application->CreateForm(FormModifyItem);
        Application->CreateForm(FormDeleteItem);
        pictures.SetSize(32, 32);
        pictures.SetMasked(false);
        for (int k = 0; k < 8; ++k) {
            TBitmap picture(32, 32);
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x) picture.SetPixel(x, y, x < 8 ? RGB(255, 255, 255) : PictureColour(k));
            pictures.AddMasked(&picture, clWhite);
        }
        SetPictureCollection(&pictures);
        PumpUntilIdle();
        ShowMonth(2024, 3);
        Application->OnIdle = [this](TObject*) { RunNextStep(); };
    }

    void TearDown() override {
        Application->OnIdle = nullptr;
        Application->CancelHint();
        if (FormDeleteItem) FreeForm(FormDeleteItem);
        if (FormModifyItem) FreeForm(FormModifyItem);
        if (MainForm) FreeForm(MainForm);
        PumpUntilIdle();
        gConverter->Clear();
        ResetViewState();
        SetPictureCollection(nullptr);
        Calendar_Settings = keptCalendar;
        Text_Settings = keptText;
        Hint_Settings = keptHint;
        Application->SetShowHint(true);
        SetCursorPosFunction(nullptr);
        SetDoubleClickTimeFunction(nullptr);
        SetConfineCursorFunction(nullptr);
        SetPopupMenuTracker(nullptr);
        LeaveProgramFolder();
        EXPECT_TRUE(errors.empty()) << errors.front();
    }

    static void ResetViewState() {
        SelectedEntry = DragEntry = LastClickEntry = nullptr;
        Dragging = false;
        DragStartX = DragStartY = -1;
        HoverColumn = HoverRow = SelectedColumn = SelectedRow = -1;
        HoverEntryIndex = -1;
        HoverSlotColumn = HoverSlotRow = -1;
        StatusShown = true;
        LastListHintIndex = -1;
        LastClickTime = 0;
        LastClickColumn = LastClickRow = -1;
        MouseOverGrid = false;
        gCalendarView->LastHoverColumn = gCalendarView->LastHoverRow = -1;
    }

    void ShowMonth(int year, int month) {
        ShownYear = year;
        ShownMonth = month - 1;
        BuildMonthGrid(year - 1900, month - 1, Calendar_Settings.Calendar_First_Column != 0);
        gCalendarView->Refresh();
    }

    Eintrag* AddReminder(tm start, const char* title, int picture = 0, int kind = kIntervalOnce) {
        auto* e = new Eintrag;
        e->SetMaster(e);
        e->StartTime = start;
        e->PictureIndex = picture;
        e->IntervalKind = kind;
        e->IntervalCount = kind == kIntervalOnce ? 0 : 1;
        e->SetTitle(title);
        gConverter->Append(e);
        return e;
    }

    POINT CellOf(int day, int month = 3) {
        for (int r = 0; r < kGridRows; ++r)
            for (int c = 0; c < kGridColumns; ++c) {
                const tm d = gConverter->Cells[r][c].GetDateOnly();
                if (d.tm_mon == month - 1 && d.tm_mday == day) return POINT{c, r};
            }
        ADD_FAILURE() << "no cell for " << day;
        return POINT{0, 0};
    }
    // The middle of the k-th picture slot of a day's cell, in grid coordinates.
    POINT PictureOf(int day, int k = 0) {
        const POINT cell = CellOf(day);
        RECT rect{};
        EXPECT_TRUE(PictureSlotRect(cell.x, cell.y, k, rect));
        return POINT{rect.left + 16, rect.top + 16};
    }
    // A place in a day's cell without a picture: its day band.
    POINT EmptyOf(int day, int month = 3) {
        const POINT cell = CellOf(day, month);
        return POINT{cell.x * 101 + 60, cell.y * 110 + 10};
    }

    //--- The mouse, as the main window gets it

    LPARAM ClientPoint(POINT grid) {
        const POINT client{170 + grid.x, 100 + grid.y};
        cursor = MainForm->ClientToScreen(client);
        return Point(client.x, client.y);
    }
    void Send(UINT msg, WPARAM keys, POINT grid) { SendMessageA(MainForm->Handle(), msg, keys, ClientPoint(grid)); }
    void Move(POINT grid, WPARAM keys = 0) { Send(WM_MOUSEMOVE, keys, grid); }
    // Over a picture or place of the grid: the first move enters its cell.
    void Hover(POINT grid) {
        Move(grid);
        Move(grid);
    }
    void Click(POINT grid) {
        Send(WM_LBUTTONDOWN, MK_LBUTTON, grid);
        Send(WM_LBUTTONUP, 0, grid);
    }
    void RightClick(POINT grid) {
        Send(WM_RBUTTONDOWN, MK_RBUTTON, grid);
        Send(WM_RBUTTONUP, 0, grid);
    }
    void Later(int milliseconds) { clock += milliseconds / 86400000.0; }

    //--- Modal dialogs, driven one step at a time inside their loops

    // The modal dialog or message box open now, or null.
    TCustomForm* OpenDialog() {
        if (FormModifyItem && FormModifyItem->IsModal()) return FormModifyItem;
        if (FormDeleteItem && FormDeleteItem->IsModal()) return FormDeleteItem;
        HWND box = FindWindowA("TFormMessageBox", nullptr);
        if (box && IsWindowVisible(box)) return dynamic_cast<TCustomForm*>(TWinControl::FindControl(box));
        return nullptr;
    }
    // Runs an action that may open dialogs; the steps act on them in turn. A
    // dialog open when no step is left is a failure and is closed.
    void Run(const std::function<void()>& action, std::vector<std::function<void()>> script) {
        steps.assign(script.begin(), script.end());
        action();
        EXPECT_TRUE(steps.empty()) << steps.size() << " steps left";
        steps.clear();
    }
    void RunNextStep() {
        TCustomForm* dialog = OpenDialog();
        if (!dialog) return;
        if (steps.empty()) {
            ADD_FAILURE() << "unexpected dialog " << dialog->ClassName();
            if (auto* box = dynamic_cast<TFormMessageBox*>(dialog)) box->Mode = 0;
            dialog->SetModalResult(1);
        } else {
            const std::function<void()> step = steps.front();
            steps.pop_front();
            step();
        }
        PostMessageA(Application->Handle(), WM_NULL, 0, 0);
    }
    static void ClickButton(TWinControl* button) {
        ASSERT_NE(button, nullptr);
        SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    }
    TFormMessageBox* Box() { return dynamic_cast<TFormMessageBox*>(OpenDialog()); }

    Lines DayList() {
        Lines lines;
        TListBoxStrings* items = MainForm->ListBoxInfo->Items();
        for (int i = 0; i < items->Count(); ++i) lines.push_back(items->Strings(i));
        return lines;
    }
    Lines Titles() {
        Lines titles;
        for (const Eintrag* e = gConverter->First(); e; e = e->Next) titles.push_back(e->GetTitle());
        return titles;
    }
    COLORREF GridPixel(POINT p) { return MainForm->ExtnImageGrid->Picture()->Bitmap()->GetPixel(p.x, p.y); }
    COLORREF BufferPixel(POINT p) { return MainForm->BitmapCalendar->GetPixel(p.x, p.y); }

    MouseHost host;
    TImageList pictures{nullptr};
    TDateTime clock = EncodeDate(2024, 3, 15) + 0.5;
    POINT cursor{0, 0};
    std::vector<std::optional<RECT>> confines;
    std::vector<std::string> menuCaptions;
    TMenuItem* menuChoice = nullptr;
    std::deque<std::function<void()>> steps;
    TCalendarSettingValues keptCalendar;
    TTextSettingValues keptText;
    THintSettingValues keptHint;
};

const std::string kHyphens(32, '-');

}  // namespace

TEST_F(CalendarMouseTest, AClickSelectsTheDayAndFillsTheDayListInChainOrder) {
    Eintrag* dentist = AddReminder(Date(2024, 3, 20, 9, 5), "Dentist");
    AddReminder(Date(2024, 3, 20, 14, 30), "Call", 1);
    AddReminder(Date(2024, 3, 21, 9, 5), "");
    gCalendarView->Refresh();

    Hover(EmptyOf(20));
    Click(EmptyOf(20));
    EXPECT_EQ(SelectedColumn, CellOf(20).x);
    EXPECT_EQ(SelectedRow, CellOf(20).y);
    EXPECT_EQ(SelectedEntry, nullptr);
    EXPECT_EQ(DayList(), (Lines{"09.05 Dentist", "14.30 Call"}));
    EXPECT_EQ(MainForm->ListBoxInfo->ItemIndex(), -1);

    // An empty title leaves the time and one blank.
    Later(1000);
    Hover(EmptyOf(21));
    Click(EmptyOf(21));
    EXPECT_EQ(DayList(), (Lines{"09.05 "}));

    // A click on a picture selects its reminder and its line.
    Later(1000);
    Hover(PictureOf(20, 1));
    Click(PictureOf(20, 1));
    EXPECT_EQ(SelectedEntry, dentist->Next);
    EXPECT_EQ(HoverEntryIndex, 1);
    EXPECT_EQ(MainForm->ListBoxInfo->ItemIndex(), 1);

    // A click that is the first event in a newly entered cell finds no picture.
    Later(1000);
    Click(PictureOf(21));
    EXPECT_EQ(SelectedEntry, nullptr);
    EXPECT_EQ(DayList(), (Lines{"09.05 "}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(CalendarMouseTest, ASecondQuickClickOpensTheReminderUnderThePointerOrANewOne) {
    AddReminder(Date(2024, 3, 20, 9, 5), "Dentist", 2);
    gCalendarView->Refresh();

    // Two quick clicks on the picture: the reminder opens for editing.
    Hover(PictureOf(20));
    Run(
        [&] {
            Click(PictureOf(20));
            Later(100);
            Click(PictureOf(20));
        },
        {[&] {
            EXPECT_EQ(FormModifyItem->Tag, 1);
            EXPECT_EQ(FormModifyItem->EditTitel->Text(), "Dentist");
            EXPECT_EQ(FormModifyItem->DateTimePickerNewDate->Date(), EncodeDate(2024, 3, 20));
            EXPECT_EQ(FormModifyItem->StringGridPictures->Col(), 2);
            ClickButton(FormModifyItem->CancelButton());
        }});

    // Two quick clicks on empty space of a day: a new reminder on that day.
    Later(1000);
    Hover(EmptyOf(12));
    Run(
        [&] {
            Click(EmptyOf(12));
            EXPECT_EQ(DayList(), Lines{});
            Later(499);
            Click(EmptyOf(12));
        },
        {[&] {
            EXPECT_EQ(FormModifyItem->Tag, 0);
            EXPECT_EQ(FormModifyItem->DateTimePickerNewDate->Date(), EncodeDate(2024, 3, 12));
            ClickButton(FormModifyItem->CancelButton());
        }});

    // Too slow, another day, or the picture then empty space: single clicks only.
    Later(1000);
    Run(
        [&] {
            Click(EmptyOf(12));
            Later(501);
            Click(EmptyOf(12));
            Later(100);
            Hover(EmptyOf(13));
            Click(EmptyOf(13));
            Later(2000);
            Hover(PictureOf(20));
            Click(PictureOf(20));
            Later(100);
            Move(EmptyOf(20));
            Click(EmptyOf(20));
        },
        {});
    EXPECT_EQ(DayList(), (Lines{"09.05 Dentist"}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(CalendarMouseTest, DraggingAReminderMovesItsStartAndClearsItsConfirmation) {
    Eintrag* pills = AddReminder(Date(2024, 3, 3, 8, 30), "Pills", 4, kIntervalDays);
    pills->Acknowledged = true;
    pills->LastReminded = Date(2024, 3, 5, 8, 30);
    gCalendarView->Refresh();

    const POINT from = PictureOf(3);
    Hover(from);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, from);
    EXPECT_TRUE(Dragging);
    EXPECT_EQ(DragEntry, pills);
    // The pointer is confined to the grid, half a picture from its edges.
    RECT window;
    GetWindowRect(MainForm->Handle(), &window);
    ASSERT_EQ(confines.size(), 1u);
    ASSERT_TRUE(confines[0].has_value());
    EXPECT_EQ(confines[0]->left, window.left + 170 + 16);
    EXPECT_EQ(confines[0]->top, window.top + 100 + 16);
    EXPECT_EQ(confines[0]->right, confines[0]->left + MainForm->BitmapCalendar->Width() - 32);
    EXPECT_EQ(confines[0]->bottom, confines[0]->top + MainForm->BitmapCalendar->Height() - 32);

    // The first move records the start, one pixel more draws nothing, two draw
    // the picture at the pointer.
    const POINT start = EmptyOf(5);
    Move(start, MK_LBUTTON);
    EXPECT_EQ(DragStartX, start.x);
    EXPECT_EQ(DragStartY, start.y);
    const POINT onePixel{start.x + 1, start.y + 1};
    Move(onePixel, MK_LBUTTON);
    const POINT opaque{onePixel.x + 8, onePixel.y};
    EXPECT_EQ(GridPixel(opaque), BufferPixel(opaque));
    const POINT to = EmptyOf(10);
    Move(to, MK_LBUTTON);
    EXPECT_EQ(GridPixel(POINT{to.x + 8, to.y}), PictureColour(4));
    EXPECT_NE(BufferPixel(POINT{to.x + 8, to.y}), PictureColour(4));
    // Hover tracking rests while dragging.
    EXPECT_EQ(HoverRow, CellOf(3).y);

    Send(WM_LBUTTONUP, 0, to);
    EXPECT_TRUE(Converter::SameDateRecord(pills->StartTime, Date(2024, 3, 10, 8, 30)));
    EXPECT_EQ(SavedReminders(folder), (Lines{"10.03 08.30 Pills"}));
    tm cleared;
    ClearDateRecord(&cleared);
    EXPECT_TRUE(Converter::SameDateRecord(pills->LastReminded, cleared));
    EXPECT_FALSE(pills->Acknowledged);
    EXPECT_FALSE(Dragging);
    EXPECT_EQ(DragStartX, -1);
    ASSERT_FALSE(confines.empty());
    EXPECT_FALSE(confines.back().has_value());
    // The release selects the target day; the 9th has no copy any more.
    EXPECT_EQ(SelectedColumn, CellOf(10).x);
    EXPECT_EQ(DayList(), (Lines{"08.30 Pills"}));
    EXPECT_EQ(gConverter->Cells[CellOf(9).y][CellOf(9).x].First(), nullptr);

    // Pressing and releasing on the picture without moving changes nothing.
    Later(1000);
    Hover(PictureOf(12));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, PictureOf(12));
    Send(WM_LBUTTONUP, 0, PictureOf(12));
    EXPECT_TRUE(Converter::SameDateRecord(pills->StartTime, Date(2024, 3, 10, 8, 30)));
    EXPECT_FALSE(Dragging);
    EXPECT_EQ(gConverter->Count(), 1);
    EXPECT_TRUE(errors.empty());
}

TEST_F(CalendarMouseTest, ADropAfterTheStopDateAsksAndNoChangesNothing) {
    Eintrag* walk = AddReminder(Date(2024, 3, 3, 7, 0), "Walk", 1, kIntervalDays);
    tm stop = Date(2024, 3, 15, 23, 59);
    NormalizeDate(&stop);
    walk->StopAfter = stop;
    gCalendarView->Refresh();

    auto drag = [&](int fromDay, int toDay) {
        Hover(PictureOf(fromDay));
        Send(WM_LBUTTONDOWN, MK_LBUTTON, PictureOf(fromDay));
        Move(EmptyOf(fromDay), MK_LBUTTON);
        Move(EmptyOf(toDay), MK_LBUTTON);
        Send(WM_LBUTTONUP, 0, EmptyOf(toDay));
        Later(1000);
    };

    // "No", Esc or the close glyph: nothing moves, and the drag is over.
    const std::vector<std::pair<const char*, std::function<void(TFormMessageBox*)>>> refusals = {
        {"No", [](TFormMessageBox* box) { ClickButton(box->ButtonNo); }},
        {"Esc", [](TFormMessageBox* box) { PostMessageA(box->Handle(), WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"glyph",
         [](TFormMessageBox* box) {
             SendMessageA(box->Handle(), WM_LBUTTONUP, 0, Point(box->ClientWidth() - 12, 10));
         }},
    };
    for (const auto& [name, refuse] : refusals) {
        SCOPED_TRACE(name);
        Run([&] { drag(3, 16); },
            {[&] {
                TFormMessageBox* box = Box();
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->MessageTitle, L"Warning");
                EXPECT_EQ(box->MessageText, MsgTargetAfterStop);
                refuse(box);
            }});
        EXPECT_TRUE(Converter::SameDateRecord(walk->StartTime, Date(2024, 3, 3, 7, 0)));
        EXPECT_TRUE(Converter::SameDateRecord(walk->StopAfter, stop));
        EXPECT_EQ(SavedReminders(folder), (Lines{"no file"}));
        EXPECT_FALSE(Dragging);
        EXPECT_FALSE(confines.back().has_value());
    }

    // Onto the stop date itself: no question.
    Run([&] { drag(3, 15); }, {});
    EXPECT_TRUE(Converter::SameDateRecord(walk->StartTime, Date(2024, 3, 15, 7, 0)));

    // "Yes": the stop date goes and the reminder moves.
    Run([&] { drag(15, 16); }, {[&] { ClickButton(Box()->ButtonYes); }});
    EXPECT_TRUE(Converter::SameDateRecord(walk->StartTime, Date(2024, 3, 16, 7, 0)));
    tm cleared;
    ClearDateRecord(&cleared);
    EXPECT_TRUE(Converter::SameDateRecord(walk->StopAfter, cleared));
    EXPECT_TRUE(errors.empty());
}

TEST_F(CalendarMouseTest, ADragThatEndsWithoutADropFreesThePointerAndMovesNothing) {
    Eintrag* pills = AddReminder(Date(2024, 3, 3, 8, 30), "Pills", 4, kIntervalDays);
    gCalendarView->Refresh();
    HWND main = MainForm->Handle();
    const std::vector<std::pair<const char*, std::function<void()>>> endings = {
        {"cancel mode", [&] { SendMessageA(main, WM_CANCELMODE, 0, 0); }},
        {"capture released", [] { ReleaseCapture(); }},
        {"capture taken",
         [&] {
             SetCapture(MainForm->ListBoxInfo->Handle());
             ReleaseCapture();
         }},
        {"button up off the grid", [&] { Send(WM_LBUTTONUP, 0, POINT{-30, 5}); }},
        {"press without a picture",
         [&] {
             Send(WM_LBUTTONDOWN, MK_LBUTTON, EmptyOf(12));
             EXPECT_FALSE(Dragging);
             EXPECT_FALSE(confines.back().has_value());
             Send(WM_LBUTTONUP, 0, EmptyOf(12));
         }},
    };
    for (const auto& [name, end] : endings) {
        SCOPED_TRACE(name);
        Later(1000);
        Hover(PictureOf(3));
        Send(WM_LBUTTONDOWN, MK_LBUTTON, PictureOf(3));
        Move(EmptyOf(3), MK_LBUTTON);
        const POINT to = EmptyOf(10);
        Move(to, MK_LBUTTON);
        ASSERT_TRUE(Dragging);
        ASSERT_EQ(GetCapture(), main);
        ASSERT_TRUE(confines.back().has_value());
        ASSERT_EQ(GridPixel(POINT{to.x + 8, to.y}), PictureColour(4));
        end();
        EXPECT_FALSE(confines.back().has_value());
        EXPECT_FALSE(Dragging);
        EXPECT_EQ(DragEntry, nullptr);
        EXPECT_EQ(DragStartX, -1);
        EXPECT_NE(GetCapture(), main);
        // The picture no longer hangs at the pointer, and moving on drags nothing.
        EXPECT_EQ(GridPixel(POINT{to.x + 8, to.y}), BufferPixel(POINT{to.x + 8, to.y}));
        Move(EmptyOf(11));
        Move(EmptyOf(12));
        EXPECT_NE(GridPixel(POINT{EmptyOf(12).x + 8, EmptyOf(12).y}), PictureColour(4));
        Later(1000);
        Send(WM_LBUTTONUP, 0, EmptyOf(12));
        EXPECT_TRUE(Converter::SameDateRecord(pills->StartTime, Date(2024, 3, 3, 8, 30)));
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(CalendarMouseTest, TheContextMenuFitsTheSpotAndDeletingGoesThroughTheDialog) {
    Eintrag* dentist = AddReminder(Date(2024, 3, 20, 9, 5), "Dentist");
    AddReminder(Date(2024, 3, 20, 14, 30), "Call", 1);
    gCalendarView->Refresh();

    // On empty space only "Add New Reminder", which opens on the day pointed at.
    Hover(EmptyOf(22));
    menuChoice = MainForm->New2;
    Run([&] { RightClick(EmptyOf(22)); },
        {[&] {
            EXPECT_EQ(FormModifyItem->Tag, 0);
            EXPECT_EQ(FormModifyItem->DateTimePickerNewDate->Date(), EncodeDate(2024, 3, 22));
            ClickButton(FormModifyItem->CancelButton());
        }});
    EXPECT_EQ(menuCaptions, (Lines{"Add &New Reminder"}));

    // On a picture the edit and delete items too; "No", Esc and the glyph keep it.
    Later(1000);
    Hover(EmptyOf(20));
    Click(EmptyOf(20));
    Hover(PictureOf(20));
    menuChoice = MainForm->Delete1;
    const std::string expected = "Do you really want to delete the following item:\n\n20.03.2024:09.05\n" + kHyphens +
                                 "\n     Dentist";
    const std::vector<std::function<void()>> keeps = {
        [&] { ClickButton(FormDeleteItem->ButtonNo); },
        [&] { PostMessageA(FormDeleteItem->Handle(), WM_KEYDOWN, VK_ESCAPE, 0); },
        [&] {
            SendMessageA(FormDeleteItem->Handle(), WM_LBUTTONUP, 0, Point(FormDeleteItem->ClientWidth() - 12, 10));
        },
    };
    for (const auto& keep : keeps) {
        Run([&] { RightClick(PictureOf(20)); },
            {[&] {
                 EXPECT_TRUE(IsWindowVisible(FormDeleteItem->Handle()));
                 EXPECT_EQ(DeleteItemText(FormDeleteItem->Prompt, SelectedEntry), expected);
                 keep();
             }});
        EXPECT_EQ(menuCaptions,
                  (Lines{"Add &New Reminder", "&Edit Selected Reminder", "&Delete Selected Reminder"}));
        EXPECT_EQ(Titles(), (Lines{"Dentist", "Call"}));
        EXPECT_EQ(SavedReminders(folder), (Lines{"no file"}));
        EXPECT_EQ(SelectedEntry, dentist);
    }
    // One pair of buttons however often the dialog is used.
    int buttons = 0;
    for (int i = 0; i < FormDeleteItem->ControlCount(); ++i)
        if (dynamic_cast<TImageButton*>(FormDeleteItem->Controls(i))) ++buttons;
    EXPECT_EQ(buttons, 2);

    // "Yes" deletes it; the grid and the day list follow.
    Run([&] { RightClick(PictureOf(20)); }, {[&] { ClickButton(FormDeleteItem->ButtonYes); }});
    EXPECT_EQ(Titles(), (Lines{"Call"}));
    EXPECT_EQ(SavedReminders(folder), (Lines{"20.03 14.30 Call"}));
    EXPECT_EQ(SelectedEntry, nullptr);
    EXPECT_EQ(DayList(), (Lines{"14.30 Call"}));
    EXPECT_FALSE(IsWindowVisible(FormDeleteItem->Handle()));

    // Enter in the dialog deletes as well.
    Later(1000);
    Hover(EmptyOf(21));
    Hover(PictureOf(20));
    Run([&] { RightClick(PictureOf(20)); },
        {[&] { SendMessageA(FormDeleteItem->Handle(), WM_CHAR, VK_RETURN, 0); }});
    EXPECT_EQ(Titles(), Lines{});
    EXPECT_EQ(SavedReminders(folder), Lines{});
    EXPECT_EQ(DayList(), Lines{});
    EXPECT_TRUE(errors.empty());
}

TEST_F(CalendarMouseTest, TheDayListOpensTheDaysOccurrenceAndItsMenuActsOnTheMaster) {
    Eintrag* pills = AddReminder(Date(2024, 3, 1, 8, 15), "Pills", 3, kIntervalDays);
    AddReminder(Date(2024, 3, 10, 9, 0), "Dentist", 1);
    gCalendarView->Refresh();
    Hover(EmptyOf(10));
    Click(EmptyOf(10));
    ASSERT_EQ(DayList(), (Lines{"08.15 Pills", "09.00 Dentist"}));
    HWND list = MainForm->ListBoxInfo->Handle();

    // A double click without a selection opens the first line, dated on the day.
    Run([&] { SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, Point(5, 200)); },
        {[&] {
            EXPECT_EQ(FormModifyItem->Tag, 1);
            EXPECT_EQ(FormModifyItem->EditTitel->Text(), "Pills");
            EXPECT_EQ(FormModifyItem->DateTimePickerNewDate->Date(), EncodeDate(2024, 3, 10));
            ClickButton(FormModifyItem->CancelButton());
        }});
    SendMessageA(list, WM_LBUTTONUP, 0, Point(5, 200));
    EXPECT_NE(SelectedEntry, pills);  // the day copy
    ASSERT_NE(SelectedEntry, nullptr);
    EXPECT_EQ(SelectedEntry->GetMaster(), pills);

    // A right click selects the line under it; "Edit" opens the master (its first date).
    menuChoice = MainForm->Edit1;
    Run(
        [&] {
            SendMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, Point(5, 13 + 2));
            SendMessageA(list, WM_RBUTTONUP, 0, Point(5, 13 + 2));
        },
        {[&] {
            EXPECT_EQ(FormModifyItem->EditTitel->Text(), "Dentist");
            ClickButton(FormModifyItem->CancelButton());
        }});
    EXPECT_EQ(MainForm->ListBoxInfo->ItemIndex(), 1);
    EXPECT_EQ(menuCaptions, (Lines{"Add &New Reminder", "&Edit Selected Reminder", "&Delete Selected Reminder"}));
    SendMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, Point(5, 2));
    Run([&] { SendMessageA(list, WM_RBUTTONUP, 0, Point(5, 2)); },
        {[&] {
            EXPECT_EQ(FormModifyItem->DateTimePickerNewDate->Date(), EncodeDate(2024, 3, 1));
            ClickButton(FormModifyItem->CancelButton());
        }});
    EXPECT_EQ(SelectedEntry, pills);

    // An empty day (February, before the first pill): nothing opens on a
    // double click, and the menu offers only "Add".
    Later(1000);
    Hover(EmptyOf(26, 2));
    Click(EmptyOf(26, 2));
    ASSERT_EQ(DayList(), Lines{});
    menuChoice = nullptr;
    Run([&] { SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, Point(5, 2)); }, {});
    SendMessageA(list, WM_LBUTTONUP, 0, Point(5, 2));
    SendMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, Point(5, 2));
    SendMessageA(list, WM_RBUTTONUP, 0, Point(5, 2));
    EXPECT_EQ(menuCaptions, (Lines{"Add &New Reminder"}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(CalendarMouseTest, HoveringMarksTheDayPlaysTheSoundInTheMonthAndShowsTheStatusLine) {
    Calendar_Settings.Calendar_Play_Sound = 1;
    Eintrag* dentist = AddReminder(Date(2024, 3, 20, 9, 5), "Dentist");
    gCalendarView->Refresh();
    const POINT twentieth = CellOf(20);
    const POINT corner20{twentieth.x * 101, twentieth.y * 110};
    EXPECT_EQ(GridPixel(corner20), TopPixel(170, 100));

    Move(EmptyOf(20));
    EXPECT_TRUE(MouseOverGrid);
    EXPECT_EQ(host.plays, 1);
    EXPECT_EQ(GridPixel(corner20), TopPixel(217, 100));  // the hovered look

    // The first move into the cell finds no picture; the next one does.
    Move(PictureOf(21));
    EXPECT_EQ(host.plays, 2);
    EXPECT_EQ(GridPixel(corner20), TopPixel(170, 100));
    Move(PictureOf(20));
    EXPECT_EQ(HoverSlotColumn, -1);
    Move(PictureOf(20));
    EXPECT_EQ(HoverSlotColumn, 0);
    EXPECT_EQ(HoverEntryIndex, 0);
    EXPECT_TRUE(StatusShown);
    EXPECT_EQ(host.plays, 3);

    // The status strip shows the reminder, and is cleared once off the pictures.
    TBitmap strip(MainForm->ClientWidth(), StatusHeight);
    auto grabStrip = [&] {
        HDC dc = GetDC(MainForm->Handle());
        BitBlt(strip.Canvas()->Handle(), 0, 0, strip.Width(), strip.Height(), dc, 0,
               MainForm->ClientHeight() - StatusHeight, SRCCOPY);
        ReleaseDC(MainForm->Handle(), dc);
        return std::make_pair(PixelCount(strip, RGB(255, 0, 0)), PixelCount(strip, RGB(0, 255, 0)));
    };
    Text_Settings.Font_Color = 0x0000FF;
    Text_Settings.Font_Shadow_Color = 0x00FF00;
    Move(EmptyOf(20));
    Move(PictureOf(20));
    const auto shown = grabStrip();
    EXPECT_GT(shown.first, 10);
    EXPECT_GT(shown.second, 10);
    Move(EmptyOf(20));
    EXPECT_FALSE(StatusShown);
    const auto cleared = grabStrip();
    EXPECT_EQ(cleared.first, 0);
    EXPECT_EQ(cleared.second, 0);
    // A title is shown as typed: "&&" is two ampersands, not the accelerator
    // notation of one.
    auto stripWithTitle = [&](const char* title) {
        dentist->SetTitle(title);
        gCalendarView->Refresh();
        Move(EmptyOf(20));
        Move(PictureOf(20));
        grabStrip();
        auto copy = std::make_unique<TBitmap>();
        copy->Assign(strip);
        return copy;
    };
    const auto one = stripWithTitle("&");
    const auto two = stripWithTitle("&&");
    int differences = 0;
    for (int y = 0; y < strip.Height(); ++y)
        for (int x = 0; x < strip.Width(); ++x)
            if (one->GetPixel(x, y) != two->GetPixel(x, y)) ++differences;
    EXPECT_GT(differences, 5);
    Move(EmptyOf(20));

    // A day outside the month: no sound, no hovered look.
    const POINT april = CellOf(1, 4);
    Move(POINT{april.x * 101 + 50, april.y * 110 + 50});
    EXPECT_EQ(host.plays, 3);
    EXPECT_EQ(GridPixel(POINT{april.x * 101, april.y * 110}), TopPixel(264, 100));

    // Leaving the grid: no cell stays hovered.
    Move(EmptyOf(20));
    EXPECT_EQ(GridPixel(corner20), TopPixel(217, 100));
    SendMessageA(MainForm->Handle(), WM_MOUSEMOVE, 0, Point(5, 5));
    EXPECT_FALSE(MouseOverGrid);
    EXPECT_EQ(GridPixel(corner20), TopPixel(170, 100));
    EXPECT_TRUE(errors.empty());
}

TEST_F(CalendarMouseTest, HintsShowAfterTheDelayInTheProgramsHintWindowAndHideAfterThePause) {
    host.ApplyHintTimings(100, 9000);
    EXPECT_EQ(MainForm->TimerShowHint->Interval(), 100u);
    EXPECT_EQ(Application->HintHidePause, 9000);
    Hint_Settings.Hint_Background_Color = 0xFF0000;  // blue
    Hint_Settings.Hint_Font_Color = 0xFFFFFF;
    Eintrag* dentist = AddReminder(Date(2024, 3, 20, 9, 5), "Dentist");
    dentist->SetText("Bring the card");
    AddReminder(Date(2024, 3, 20, 14, 30), "Call", 1);
    gCalendarView->Refresh();

    Hover(PictureOf(20));
    EXPECT_EQ(MainForm->ExtnImageGrid->Hint,
              "20.03.2024 : 09.05\n" + kHyphens + "\n     Dentist\n     Bring the card");
    EXPECT_TRUE(MainForm->TimerShowHint->Enabled());
    EXPECT_EQ(HintPointX, cursor.x);
    EXPECT_EQ(HintPointY, cursor.y);
    EXPECT_TRUE(Application->ShowHint());
    EXPECT_EQ(Application->HintColor, 0xFF0000);

    // The delay passes: the hint shows once, in the program's hint window.
    MainForm->TimerShowHint->Tick();
    EXPECT_FALSE(MainForm->TimerShowHint->Enabled());
    THintWindow* window = Application->HintWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->IsShowing());
    auto* hint = dynamic_cast<TMyHint*>(window);
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->FontName, Hint_Settings.Font_Name);
    EXPECT_EQ(hint->BackgroundColor, 0xFF0000);
    EXPECT_EQ(window->Caption(), MainForm->ExtnImageGrid->Hint);
    EXPECT_EQ(window->HidePause(), 9000u);
    RECT rect;
    GetWindowRect(window->Handle(), &rect);
    EXPECT_EQ(rect.left, cursor.x);
    EXPECT_GT(rect.top, cursor.y);

    // Drawn white on blue inside a raised edge.
    UpdateWindow(window->Handle());
    HDC dc = GetWindowDC(window->Handle());
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    EXPECT_EQ(GetPixel(dc, 0, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(GetPixel(dc, width - 1, height - 1), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(GetPixel(dc, 2, height - 3), RGB(0, 0, 255));
    int white = 0;
    for (int y = 1; y < height - 1; ++y)
        for (int x = 1; x < width - 1; ++x)
            if (GetPixel(dc, x, y) == RGB(255, 255, 255)) ++white;
    ReleaseDC(window->Handle(), dc);
    EXPECT_GT(white, 20);

    // Moving within the picture repeats nothing; the pause hides the hint.
    Move(POINT{PictureOf(20).x + 3, PictureOf(20).y});
    EXPECT_FALSE(MainForm->TimerShowHint->Enabled());
    EXPECT_TRUE(window->IsShowing());
    SendMessageA(window->Handle(), WM_TIMER, THintWindow::kHideTimerId, 0);
    EXPECT_FALSE(window->IsShowing());

    // Another picture of the cell: a new hint after a new delay.
    Move(PictureOf(20, 1));
    EXPECT_TRUE(MainForm->TimerShowHint->Enabled());
    EXPECT_EQ(MainForm->ExtnImageGrid->Hint, "20.03.2024 : 14.30\n" + kHyphens + "\n     Call");
    // Off the pictures the pending hint is dropped.
    Move(EmptyOf(20));
    EXPECT_FALSE(MainForm->TimerShowHint->Enabled());
    EXPECT_FALSE(Application->ShowHint());

    // Hints for the calendar off: none shows; with the controls' off they do.
    for (const int group : {1, 3, 2}) {
        SCOPED_TRACE(group);
        Hint_Settings.Hint_Group_Index = static_cast<int16_t>(group);
        Move(EmptyOf(20));
        Move(PictureOf(20));
        MainForm->TimerShowHint->Tick();
        const bool shows = Application->HintWindow() && Application->HintWindow()->IsShowing();
        EXPECT_EQ(shows, group == 2);
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(CalendarMouseTest, TheDayListsRowsHaveTheirOwnHints) {
    host.ApplyHintTimings(0, -5);  // a hand-edited file: the timer still runs
    EXPECT_EQ(MainForm->TimerShowHint->Interval(), 1u);
    EXPECT_EQ(Application->HintHidePause, 0);
    host.ApplyHintTimings(100, 9000);
    AddReminder(Date(2024, 3, 20, 9, 5), "Dentist");
    AddReminder(Date(2024, 3, 20, 14, 30), "Call", 1);
    gCalendarView->Refresh();
    Hover(EmptyOf(20));
    Click(EmptyOf(20));
    TListBox* list = MainForm->ListBoxInfo;
    auto over = [&](int y) {
        cursor = list->ClientToScreen(POINT{20, y});
        SendMessageA(list->Handle(), WM_MOUSEMOVE, 0, Point(20, y));
    };

    over(2);
    EXPECT_EQ(list->Hint, "20.03.2024:09.05\n" + kHyphens + "\n     Dentist");
    EXPECT_TRUE(MainForm->TimerShowHint->Enabled());
    MainForm->TimerShowHint->Tick();
    ASSERT_NE(Application->HintWindow(), nullptr);
    EXPECT_TRUE(Application->HintWindow()->IsShowing());
    EXPECT_EQ(Application->HintWindow()->Caption(), list->Hint);
    EXPECT_EQ(Application->HintControl(), list);

    over(13 + 2);
    EXPECT_EQ(list->Hint, "20.03.2024:14.30\n" + kHyphens + "\n     Call");
    EXPECT_EQ(LastListHintIndex, 1);
    // Below the last row the pending hint goes; the same row again prepares it anew.
    over(2 * 13 + 2);
    EXPECT_EQ(LastListHintIndex, -1);
    EXPECT_FALSE(MainForm->TimerShowHint->Enabled());
    EXPECT_FALSE(Application->ShowHint());
    over(13 + 2);
    EXPECT_EQ(LastListHintIndex, 1);
    EXPECT_TRUE(MainForm->TimerShowHint->Enabled());

    // The list's hints follow the calendar's group.
    Hint_Settings.Hint_Group_Index = 1;
    over(2);
    EXPECT_FALSE(Application->ShowHint());
    EXPECT_TRUE(errors.empty());
}

TEST_F(CalendarMouseTest, ArrowsWrapAtTheEndsOfTheRangeAndEmptyTheDayList) {
    AddReminder(Date(2024, 3, 20, 9, 5), "Dentist");
    gCalendarView->Refresh();
    Hover(EmptyOf(20));
    Click(EmptyOf(20));
    ASSERT_EQ(DayList().size(), 1u);
    const int width = MainForm->ClientWidth();
    auto press = [&](TExtnImage* arrow, bool upper) {
        const LPARAM point = Point(arrow->Left() + 9, 40 + (upper ? 3 : 15));
        SendMessageA(MainForm->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageA(MainForm->Handle(), WM_LBUTTONUP, 0, point);
    };
    EXPECT_EQ(MainForm->ExtnImageYear->Left(), width - 98);

    ShownYear = 2035;
    press(MainForm->ExtnImageYear, true);
    EXPECT_EQ(ShownYear, 1970);
    EXPECT_EQ(DayList(), Lines{});
    press(MainForm->ExtnImageYear, false);
    EXPECT_EQ(ShownYear, 2035);
    ShownYear = 1970;
    ShownMonth = 0;
    press(MainForm->ExtnImageMonth, false);
    EXPECT_EQ(ShownMonth, 11);
    EXPECT_EQ(ShownYear, 2035);
    press(MainForm->ExtnImageMonth, true);
    EXPECT_EQ(ShownMonth, 0);
    EXPECT_EQ(ShownYear, 1970);
    // January 1970 begins in December 1969; its first cell still has a date.
    EXPECT_EQ(gConverter->Cells[0][0].GetDateOnly().tm_year, 69);
    EXPECT_TRUE(errors.empty());
}

TEST_F(CalendarMouseTest, NoPointerToAReleasedRecordSurvivesADeletionARebuildOrALoad) {
    Eintrag* dentist = AddReminder(Date(2024, 3, 20, 9, 5), "Dentist");
    Eintrag* call = AddReminder(Date(2024, 3, 20, 14, 30), "Call", 1);
    gCalendarView->Refresh();

    // The selection, the drag and the last click all name the dentist.
    Hover(PictureOf(20));
    Click(PictureOf(20));
    ASSERT_EQ(LastClickEntry, dentist);
    ASSERT_EQ(DragEntry, dentist);
    ASSERT_EQ(SelectedEntry, dentist);
    gConverter->DeleteEntry(dentist);
    EXPECT_EQ(SelectedEntry, nullptr);
    EXPECT_EQ(DragEntry, nullptr);
    EXPECT_FALSE(Dragging);
    EXPECT_EQ(LastClickEntry, nullptr);
    // The call now stands in the first slot: a quick click on it is a single click.
    Later(100);
    Run([&] { Click(PictureOf(20)); }, {});
    EXPECT_EQ(SelectedEntry, call);

    // The day list's double click selects a day copy; once the grid is built
    // again the selection names the master.
    Later(1000);
    SendMessageA(MainForm->ListBoxInfo->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 2));
    Run([&] { SendMessageA(MainForm->ListBoxInfo->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, Point(5, 2)); },
        {[&] { ClickButton(FormModifyItem->CancelButton()); }});
    SendMessageA(MainForm->ListBoxInfo->Handle(), WM_LBUTTONUP, 0, Point(5, 2));
    ASSERT_NE(SelectedEntry, call);
    ASSERT_EQ(SelectedEntry->GetMaster(), call);
    gCalendarView->Refresh();
    EXPECT_EQ(SelectedEntry, call);
    // The same over a month change, and a copy of a deleted master is let go.
    SelectedEntry = gConverter->Cells[CellOf(20).y][CellOf(20).x].First();
    BuildMonthGrid(2024 - 1900, 3, true);
    EXPECT_EQ(SelectedEntry, call);
    ShowMonth(2024, 3);
    SelectedEntry = gConverter->Cells[CellOf(20).y][CellOf(20).x].First();
    DragEntry = call;
    Dragging = true;
    gConverter->DeleteEntry(call);
    EXPECT_EQ(SelectedEntry, nullptr);
    EXPECT_EQ(DragEntry, nullptr);

    // A load replaces every record: nothing of the old list is kept.
    Eintrag* walk = AddReminder(Date(2024, 3, 20, 7, 0), "Walk");
    gCalendarView->Refresh();
    gConverter->SaveToFile(folder + "backup.qbr");
    Later(1000);
    Hover(PictureOf(20));
    Click(PictureOf(20));
    ASSERT_EQ(LastClickEntry, walk);
    ASSERT_EQ(SelectedEntry, walk);
    gConverter->LoadFromFile(folder + "backup.qbr");
    EXPECT_EQ(Titles(), (Lines{"Walk"}));
    EXPECT_NE(gConverter->First(), walk);
    EXPECT_EQ(SelectedEntry, nullptr);
    EXPECT_EQ(DragEntry, nullptr);
    EXPECT_EQ(LastClickEntry, nullptr);
    EXPECT_TRUE(errors.empty());
}

TEST_F(CalendarMouseTest, TheDeleteDialogShowsTheDateLineAndTitleTheSameOnEveryPainting) {
    Eintrag* untitled = AddReminder(Date(2024, 3, 5, 9, 7), "");
    EXPECT_EQ(DeleteItemText(PromptDeleteItem, untitled),
              "Do you really want to delete the following item:\n\n05.03.2024:09.07\n" + kHyphens);
    EXPECT_EQ(DeleteItemText(PromptDeleteItem, nullptr), PromptDeleteItem);

    Eintrag* dentist = AddReminder(Date(2024, 3, 20, 9, 5), "Dentist");
    dentist->SetText("not shown");
    SelectedEntry = dentist;
    FormDeleteItem->Prompt = PromptDeleteItem;
    Text_Settings.Font_Color = 0x0000FF;         // red
    Text_Settings.Font_Shadow_Color = 0x00FF00;  // green
    FormDeleteItem->HandleNeeded();
    auto paint = [&] {
        auto bitmap = std::make_unique<TBitmap>(FormDeleteItem->ClientWidth(), FormDeleteItem->ClientHeight());
        auto* canvas = static_cast<TControlCanvas*>(FormDeleteItem->Canvas());
        canvas->UsePaintDC(bitmap->Canvas()->Handle());
        FormDeleteItem->FormPaint(FormDeleteItem);
        canvas->FreeDeviceContext();
        return bitmap;
    };
    const auto first = paint();
    EXPECT_EQ(FormDeleteItem->ClientWidth(), 400);
    EXPECT_EQ(FormDeleteItem->ClientHeight(), 221);
    // The text, red over its green shadow, inside its rectangle below the title strip.
    int red = 0, green = 0;
    for (int y = 0; y < first->Height(); ++y)
        for (int x = 0; x < first->Width(); ++x) {
            const COLORREF c = first->GetPixel(x, y);
            if (c != RGB(255, 0, 0) && c != RGB(0, 255, 0)) continue;
            c == RGB(255, 0, 0) ? ++red : ++green;
            // The title strip has the title's own colours.
            if (y < 20) continue;
            EXPECT_GE(x, 19);
            EXPECT_LE(x, 400 - 20);
            EXPECT_LE(y, 221 - 60);
        }
    EXPECT_GT(red, 50);
    EXPECT_GT(green, 50);
    // Painted again (a drag of the dialog repaints it): the same picture.
    const auto second = paint();
    int differences = 0;
    for (int y = 0; y < first->Height(); ++y)
        for (int x = 0; x < first->Width(); ++x)
            if (first->GetPixel(x, y) != second->GetPixel(x, y)) ++differences;
    EXPECT_EQ(differences, 0);
    // The title as typed: "&&" is two ampersands.
    dentist->SetTitle("&");
    const auto one = paint();
    dentist->SetTitle("&&");
    const auto two = paint();
    differences = 0;
    for (int y = 20; y < first->Height(); ++y)
        for (int x = 0; x < first->Width(); ++x)
            if (one->GetPixel(x, y) != two->GetPixel(x, y)) ++differences;
    EXPECT_GT(differences, 5);
    EXPECT_TRUE(errors.empty());
}
