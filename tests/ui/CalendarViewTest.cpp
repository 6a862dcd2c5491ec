// The calendar view's drawing: which cells are in the month and how they look,
// where each day's reminder pictures land, the month title and the weekday
// headings for either first weekday, and the picture collection it draws from.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "model/Uconverter.h"
#include "model/Ufunction.h"
#include "model/Uglobals.h"
#include "ui/UMain.h"
#include "ui/Ugraphic.h"
#include "ui/Upictures.h"

namespace {

// Colours nothing in the test skin uses (its blue channel is 7, 47 or 87).
constexpr COLORREF kTextColour = RGB(255, 0, 255);
constexpr COLORREF kShadowColour = RGB(0, 255, 255);
constexpr COLORREF kNumberColour = RGB(250, 250, 255);

// Test picture k: its left 8 columns white (transparent), the rest one colour.
COLORREF PictureColour(int k) {
    return RGB(30 + 20 * k, 200 - 15 * k, 160 + 9 * k);
}

void AddTestPicture(TImageList& list, COLORREF colour) {
    TBitmap picture(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) picture.SetPixel(x, y, x < 8 ? RGB(255, 255, 255) : colour);
    list.AddMasked(&picture, clWhite);
}

// A pixel mask: the points of one colour inside a rectangle of a DC, relative to
// the rectangle's corner.
using Points = std::vector<std::pair<int, int>>;
Points ColourPoints(HDC dc, const RECT& rect, COLORREF colour) {
    Points points;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (GetPixel(dc, x, y) == colour) points.emplace_back(x - rect.left, y - rect.top);
    return points;
}

class CalendarViewTest : public ProgramFolderTest {
protected:
    void SetUp() override {
        EnterProgramFolder("qr-calendar", &host, [] { return EncodeDate(2024, 3, 15) + 0.5; });
        General_Settings = TGeneralSettingValues{};
        FirstShow = true;
        pictures.SetSize(32, 32);
        pictures.SetMasked(false);
        for (int k = 0; k < 8; ++k) AddTestPicture(pictures, PictureColour(k));
        SetPictureCollection(&pictures);
        keptCalendar = Calendar_Settings;
        keptText = Text_Settings;
        Calendar_Settings.Font_Color = kNumberColour;
        Text_Settings.Font_Color = kTextColour;
        Text_Settings.Font_Shadow_Color = kShadowColour;
        IconWidth = IconHeight = 32;

        Application->CreateForm(MainForm);
        MainForm->Show();
        // Cells of 101 x 110 pixels with a day band of 37: 3 x 2 slots of 32 pixels.
        MainForm->SetBounds(0, 0, 100, 100);
        const int frameWidth = MainForm->Width() - MainForm->ClientWidth();
        const int frameHeight = MainForm->Height() - MainForm->ClientHeight();
        MainForm->SetBounds(0, 0, 180 + 7 * 101 + frameWidth, 130 + 6 * 110 + frameHeight);
        PumpUntilIdle();
    }

    void TearDown() override {
        if (MainForm) FreeForm(MainForm);
        PumpUntilIdle();
        gConverter->Clear();
        SetPictureCollection(nullptr);
        Calendar_Settings = keptCalendar;
        Text_Settings = keptText;
        IconWidth = IconHeight = 32;
        HoverColumn = HoverRow = -1;
        MouseOverGrid = false;
        LeaveProgramFolder();
        EXPECT_TRUE(errors.empty()) << errors.front();
    }

    // Lays out a month with the first weekday and refreshes the view.
    void ShowMonth(int year, int month, bool sundayFirst) {
        ShownYear = year;
        ShownMonth = month - 1;
        Calendar_Settings.Calendar_First_Column = sundayFirst ? 1 : 0;
        BuildMonthGrid(year - 1900, month - 1, sundayFirst);
        gCalendarView->Refresh();
    }

    Eintrag* AddReminder(tm start, int picture, int count = 0, int kind = kIntervalOnce) {
        auto* e = new Eintrag;
        e->StartTime = start;
        e->PictureIndex = picture;
        e->IntervalCount = count;
        e->IntervalKind = kind;
        e->SetTitle("reminder");
        gConverter->Append(e);
        return e;
    }

    // A copy of the composed grid.
    std::unique_ptr<TBitmap> Grid() {
        auto copy = std::make_unique<TBitmap>();
        copy->Assign(*MainForm->BitmapCalendar);
        return copy;
    }

    // The cell of a date in the grid laid out, or {-1, -1}.
    POINT CellOf(int year, int month, int day) {
        for (int r = 0; r < kGridRows; ++r)
            for (int c = 0; c < kGridColumns; ++c) {
                const tm d = gConverter->Cells[r][c].GetDateOnly();
                if (d.tm_year == year - 1900 && d.tm_mon == month - 1 && d.tm_mday == day) return POINT{c, r};
            }
        return POINT{-1, -1};
    }

    // Every slot of every cell: the expected picture's colour on its opaque part and
    // the empty grid on its transparent part; slots without a picture show the empty grid.
    void ExpectPictures(const TBitmap& empty, const std::map<std::pair<int, int>, std::vector<int>>& expected) {
        TBitmap* grid = MainForm->BitmapCalendar.get();
        const TPictureSlots slots = ComputePictureSlots(CellWidth, CellHeight, DayBand, IconWidth, IconHeight);
        for (int r = 0; r < kGridRows; ++r)
            for (int c = 0; c < kGridColumns; ++c) {
                auto it = expected.find({r, c});
                for (int i = 0; i < slots.PerRow * slots.Rows; ++i) {
                    RECT rect;
                    ASSERT_TRUE(PictureSlotRect(c, r, i, rect));
                    const int opaqueX = rect.right - 2;
                    const int opaqueY = (rect.top + rect.bottom) / 2;
                    const int clearX = rect.left + 1;
                    SCOPED_TRACE(testing::Message() << "cell " << c << "," << r << " slot " << i);
                    EXPECT_EQ(grid->GetPixel(clearX, opaqueY), empty.GetPixel(clearX, opaqueY));
                    if (it != expected.end() && i < static_cast<int>(it->second.size())) {
                        EXPECT_EQ(grid->GetPixel(opaqueX, opaqueY), PictureColour(it->second[i]));
                    } else {
                        EXPECT_EQ(grid->GetPixel(opaqueX, opaqueY), empty.GetPixel(opaqueX, opaqueY));
                    }
                }
            }
    }

    // The cells in the shown month, by the look of their top-left pixel.
    void ExpectCellLooks(const std::vector<POINT>& inMonthFirstLast) {
        TBitmap* grid = MainForm->BitmapCalendar.get();
        const POINT first = inMonthFirstLast[0];
        const POINT last = inMonthFirstLast[1];
        for (int r = 0; r < kGridRows; ++r)
            for (int c = 0; c < kGridColumns; ++c) {
                const int index = r * 7 + c;
                const bool inMonth = index >= first.y * 7 + first.x && index <= last.y * 7 + last.x;
                EXPECT_EQ(gConverter->Cells[r][c].IsInMonth(), inMonth) << c << "," << r;
                const COLORREF look = inMonth ? TopPixel(170, 100) : TopPixel(264, 100);
                EXPECT_EQ(grid->GetPixel(c * CellWidth, r * CellHeight), look) << c << "," << r;
                // The stretched picture ends at the cell's last pixel (the last column
                // and row take up the remainder).
                const int right = c == 6 ? grid->Width() - 1 : (c + 1) * CellWidth - 1;
                const int bottom = r == 5 ? grid->Height() - 1 : (r + 1) * CellHeight - 1;
                EXPECT_EQ(grid->GetPixel(right, bottom), inMonth ? TopPixel(216, 143) : TopPixel(310, 143))
                    << c << "," << r;
            }
    }

    RecordingHost host;
    TImageList pictures{nullptr};
    TCalendarSettingValues keptCalendar;
    TTextSettingValues keptText;
};

}  // namespace

TEST_F(CalendarViewTest, LayoutGivesThreeByTwoSlotsOfThirtyTwoPixels) {
    EXPECT_EQ(CellWidth, 101);
    EXPECT_EQ(CellHeight, 110);
    EXPECT_EQ(DayBand, 37);
    const TPictureSlots slots = ComputePictureSlots(CellWidth, CellHeight, DayBand, IconWidth, IconHeight);
    EXPECT_EQ(slots.PerRow, 3);
    EXPECT_EQ(slots.Rows, 2);
    RECT rect;
    ASSERT_TRUE(PictureSlotRect(2, 1, 4, rect));  // second row, second picture
    EXPECT_EQ(rect.left, 2 * 101 + 32 + 2);
    EXPECT_EQ(rect.top, 110 + 37 + 32);
    EXPECT_EQ(rect.right - rect.left, 32);
    EXPECT_FALSE(PictureSlotRect(2, 1, 6, rect));
}

TEST_F(CalendarViewTest, March2024WithSundayAndMondayFirst) {
    for (const bool sundayFirst : {true, false}) {
        SCOPED_TRACE(sundayFirst ? "Sunday first" : "Monday first");
        gConverter->Clear();
        ShowMonth(2024, 3, sundayFirst);
        const std::unique_ptr<TBitmap> empty = Grid();
        // 1 March 2024 is a Friday, 31 March a Sunday.
        const POINT first = CellOf(2024, 3, 1);
        const POINT last = CellOf(2024, 3, 31);
        EXPECT_EQ(first.x, sundayFirst ? 5 : 4);
        EXPECT_EQ(first.y, 0);
        EXPECT_EQ(last.x, sundayFirst ? 0 : 6);
        EXPECT_EQ(last.y, sundayFirst ? 5 : 4);
        ExpectCellLooks({first, last});

        // Seven reminders on the 20th fill its six slots in list order; a weekly one
        // from Thursday 29 February shows in the month and on both out-of-month
        // Thursdays; one on the 13th.
        for (int k = 0; k < 7; ++k) AddReminder(Date(2024, 3, 20, 8 + k), k);
        AddReminder(Date(2024, 2, 29), 7, 1, kIntervalWeeks);
        AddReminder(Date(2024, 3, 13, 23, 59), 5);
        gCalendarView->Refresh();

        std::map<std::pair<int, int>, std::vector<int>> expected;
        const POINT twentieth = CellOf(2024, 3, 20);
        expected[{twentieth.y, twentieth.x}] = {0, 1, 2, 3, 4, 5};
        for (int day : {29, 7, 14, 21, 28}) {
            const POINT cell = CellOf(2024, day == 29 ? 2 : 3, day);
            expected[{cell.y, cell.x}] = {7};
        }
        const POINT april4 = CellOf(2024, 4, 4);
        if (april4.x >= 0) expected[{april4.y, april4.x}] = {7};
        EXPECT_GE(april4.x, 0);  // both grids reach the first Thursday of April
        const POINT thirteenth = CellOf(2024, 3, 13);
        expected[{thirteenth.y, thirteenth.x}] = {5};
        ExpectPictures(*empty, expected);
        // The cell looks stay with pictures on them.
        ExpectCellLooks({first, last});
        // The grid image shows what was composed.
        TBitmap* shown = MainForm->ExtnImageGrid->Picture()->Bitmap();
        RECT slot;
        ASSERT_TRUE(PictureSlotRect(twentieth.x, twentieth.y, 5, slot));
        EXPECT_EQ(shown->GetPixel(slot.right - 2, slot.top + 5), PictureColour(5));
    }
}

TEST_F(CalendarViewTest, February2015WithSundayAndMondayFirst) {
    for (const bool sundayFirst : {true, false}) {
        SCOPED_TRACE(sundayFirst ? "Sunday first" : "Monday first");
        gConverter->Clear();
        ShowMonth(2015, 2, sundayFirst);
        const std::unique_ptr<TBitmap> empty = Grid();
        // 1 February 2015 is a Sunday: with Sunday first the month fills exactly four rows.
        const POINT first = CellOf(2015, 2, 1);
        const POINT last = CellOf(2015, 2, 28);
        EXPECT_EQ(first.x, sundayFirst ? 0 : 6);
        EXPECT_EQ(first.y, 0);
        EXPECT_EQ(last.x, sundayFirst ? 6 : 5);
        EXPECT_EQ(last.y, sundayFirst ? 3 : 4);
        EXPECT_EQ(gConverter->Cells[0][0].GetDay(), sundayFirst ? 1 : 26);  // or Monday 26 January
        ExpectCellLooks({first, last});

        // A daily reminder every 9 days from 25 January, and two on the 1st.
        AddReminder(Date(2015, 1, 25), 3, 9, kIntervalDays);
        AddReminder(Date(2015, 2, 1, 9), 1);
        AddReminder(Date(2015, 2, 1, 8), 2);
        gCalendarView->Refresh();
        std::map<std::pair<int, int>, std::vector<int>> expected;
        auto add = [&](int month, int day, std::vector<int> list) {
            const POINT cell = CellOf(2015, month, day);
            if (cell.x >= 0) expected[{cell.y, cell.x}] = list;
        };
        add(1, 25, {3});
        add(2, 3, {3});
        add(2, 12, {3});
        add(2, 21, {3});
        add(3, 2, {3});
        add(3, 11, {3});
        // Same day: the chain keeps the list order, not the time of day.
        add(2, 1, {1, 2});
        ExpectPictures(*empty, expected);
        EXPECT_EQ(CellOf(2015, 1, 25).x, -1);  // 25 January lies before both grids
    }
}

TEST_F(CalendarViewTest, SmallerPicturesFitMoreSlotsAndTheMinimumSizeShowsNone) {
    ShowMonth(2024, 3, true);
    const std::unique_ptr<TBitmap> empty = Grid();
    for (int k = 0; k < 8; ++k) AddReminder(Date(2024, 3, 6, 6 + k), k);
    IconWidth = IconHeight = 18;
    gCalendarView->Refresh();
    const TPictureSlots slots = ComputePictureSlots(CellWidth, CellHeight, DayBand, IconWidth, IconHeight);
    EXPECT_EQ(slots.PerRow, 5);
    EXPECT_EQ(slots.Rows, 4);
    const POINT cell = CellOf(2024, 3, 6);
    std::map<std::pair<int, int>, std::vector<int>> expected;
    expected[{cell.y, cell.x}] = {0, 1, 2, 3, 4, 5, 6, 7};
    ExpectPictures(*empty, expected);
    // The sixth picture starts the second row, at the cell's left.
    RECT rect;
    ASSERT_TRUE(PictureSlotRect(cell.x, cell.y, 5, rect));
    EXPECT_EQ(rect.left, cell.x * CellWidth + 2);
    EXPECT_EQ(rect.top, cell.y * CellHeight + DayBand + 18);

    // At the window's minimum size the cells have no room below the day band.
    MainForm->SetBounds(0, 0, 520, 400);
    PumpUntilIdle();
    IconWidth = IconHeight = 32;
    gCalendarView->DrawCells();
    EXPECT_EQ(ComputePictureSlots(CellWidth, CellHeight, DayBand, 32, 32).Rows, 0);
    TBitmap* grid = MainForm->BitmapCalendar.get();
    for (int y = 0; y < CellHeight; ++y)
        for (int x = 0; x < CellWidth; ++x)
            ASSERT_NE(grid->GetPixel(cell.x * CellWidth + x, cell.y * CellHeight + y), PictureColour(0)) << x << "," << y;
}

TEST_F(CalendarViewTest, RefreshRebuildsTheGridFromTheList) {
    ShowMonth(2024, 3, true);
    const std::unique_ptr<TBitmap> empty = Grid();
    Eintrag* e = AddReminder(Date(2024, 3, 27), 4);
    const POINT cell = CellOf(2024, 3, 27);
    RECT rect;
    ASSERT_TRUE(PictureSlotRect(cell.x, cell.y, 0, rect));
    gCalendarView->DrawCells();  // no rebuild: the cells do not know the reminder yet
    EXPECT_EQ(MainForm->BitmapCalendar->GetPixel(rect.right - 2, rect.top + 3),
              empty->GetPixel(rect.right - 2, rect.top + 3));
    gCalendarView->Refresh();
    EXPECT_EQ(MainForm->BitmapCalendar->GetPixel(rect.right - 2, rect.top + 3), PictureColour(4));
    // A picture index past the collection draws nothing in its place.
    e->PictureIndex = 40;
    gCalendarView->Refresh();
    EXPECT_EQ(MainForm->BitmapCalendar->GetPixel(rect.right - 2, rect.top + 3),
              empty->GetPixel(rect.right - 2, rect.top + 3));
    gConverter->Clear();
    gCalendarView->Refresh();
    EXPECT_EQ(MainForm->BitmapCalendar->GetPixel(rect.right - 2, rect.top + 3),
              empty->GetPixel(rect.right - 2, rect.top + 3));
}

TEST_F(CalendarViewTest, HoverLookOnlyOnTheHoveredInMonthCellWhileOverTheGrid) {
    ShowMonth(2024, 3, false);
    TBitmap* grid = MainForm->BitmapCalendar.get();
    HoverColumn = 2;
    HoverRow = 3;
    MouseOverGrid = false;
    gCalendarView->DrawCells();
    EXPECT_EQ(grid->GetPixel(2 * CellWidth, 3 * CellHeight), TopPixel(170, 100));
    MouseOverGrid = true;
    gCalendarView->DrawCells();
    EXPECT_EQ(grid->GetPixel(2 * CellWidth, 3 * CellHeight), TopPixel(217, 100));
    int hovered = 0;
    for (int r = 0; r < kGridRows; ++r)
        for (int c = 0; c < kGridColumns; ++c) hovered += grid->GetPixel(c * CellWidth, r * CellHeight) == TopPixel(217, 100);
    EXPECT_EQ(hovered, 1);
}

TEST_F(CalendarViewTest, TodaysNumberIsLargerThanTheOthers) {
    ShowMonth(2024, 3, true);
    TBitmap* grid = MainForm->BitmapCalendar.get();
    // The bounding box of the number's pixels in a cell.
    auto numberBox = [&](int year, int month, int day) {
        const POINT cell = CellOf(year, month, day);
        RECT box{10000, 10000, -1, -1};
        for (int y = cell.y * CellHeight; y < cell.y * CellHeight + DayBand; ++y)
            for (int x = cell.x * CellWidth; x < (cell.x + 1) * CellWidth; ++x)
                if (grid->GetPixel(x, y) == kNumberColour) {
                    box.left = std::min<LONG>(box.left, x - cell.x * CellWidth);
                    box.top = std::min<LONG>(box.top, y - cell.y * CellHeight);
                    box.right = std::max<LONG>(box.right, x - cell.x * CellWidth);
                    box.bottom = std::max<LONG>(box.bottom, y - cell.y * CellHeight);
                }
        return box;
    };
    const RECT today = numberBox(2024, 3, 15);
    const RECT other = numberBox(2024, 3, 14);
    const RECT another = numberBox(2024, 3, 16);
    ASSERT_GE(other.right, 0) << "no day number drawn";
    EXPECT_EQ(other.bottom - other.top, another.bottom - another.top);
    EXPECT_GT(today.bottom - today.top, other.bottom - other.top);
    EXPECT_GT(today.right - today.left, other.right - other.left);
    // Moved up and left by a sixteenth of the cell.
    EXPECT_LT(today.top, other.top);
    EXPECT_LT(today.left, other.left);
}

TEST_F(CalendarViewTest, WeekdayHeadingsFollowTheFirstWeekday) {
    HWND window = MainForm->Handle();
    TExtnImage* grid = MainForm->ExtnImageGrid;
    const int columnWidth = grid->Width() / 7;
    auto headingPoints = [&](int column) {
        const RECT rect{grid->Left() + column * columnWidth - 1, grid->Top() - 21,
                        grid->Left() + (column + 1) * columnWidth, grid->Top()};
        HDC dc = GetDC(window);
        Points points = ColourPoints(dc, rect, kTextColour);
        ReleaseDC(window, dc);
        return points;
    };
    ShowMonth(2024, 3, true);
    std::vector<Points> sundayFirst;
    for (int i = 0; i < 7; ++i) {
        sundayFirst.push_back(headingPoints(i));
        EXPECT_FALSE(sundayFirst.back().empty()) << i;
    }
    ShowMonth(2024, 3, false);
    for (int i = 0; i < 7; ++i) {
        // Monday first: column i shows what column i + 1 showed with Sunday first, "SUN" last.
        EXPECT_TRUE(headingPoints(i) == sundayFirst[(i + 1) % 7]) << i;
    }
    EXPECT_FALSE(sundayFirst[0] == sundayFirst[1]);
}

TEST_F(CalendarViewTest, MonthTitleShowsTheMonthAndYearInBoldTextFont) {
    ShowMonth(2015, 2, true);
    HWND window = MainForm->Handle();
    const int W = MainForm->ClientWidth();
    const RECT monthRect{W - 280, 38, W - 190, 63};
    const RECT yearRect{W - 164, 38, W - 98, 63};
    // The same texts drawn by hand in the same font.
    TBitmap expected(W, 70);
    TCanvas* canvas = expected.Canvas();
    canvas->Font()->Assign(*MainForm->Canvas()->Font());
    EXPECT_EQ(canvas->Font()->Style(), fsBold);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetColor(kTextColour);
    RECT m = monthRect;
    RECT y = yearRect;
    DrawTextA(canvas->Handle(), "FEBRUARY", -1, &m, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    DrawTextA(canvas->Handle(), "2015", -1, &y, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    HDC dc = GetDC(window);
    const Points shownMonth = ColourPoints(dc, monthRect, kTextColour);
    const Points shownYear = ColourPoints(dc, yearRect, kTextColour);
    ReleaseDC(window, dc);
    const Points wantedMonth = ColourPoints(canvas->Handle(), monthRect, kTextColour);
    const Points wantedYear = ColourPoints(canvas->Handle(), yearRect, kTextColour);
    EXPECT_FALSE(wantedMonth.empty());
    EXPECT_TRUE(shownMonth == wantedMonth);
    EXPECT_TRUE(shownYear == wantedYear);
    // The shadow lies one pixel right of and below the text.
    const RECT shadowRect{monthRect.left + 1, monthRect.top + 1, monthRect.right + 1, monthRect.bottom + 1};
    HDC windowDC = GetDC(window);
    const Points shadow = ColourPoints(windowDC, shadowRect, kShadowColour);
    ReleaseDC(window, windowDC);
    EXPECT_FALSE(shadow.empty());
    for (const auto& point : shadow)
        EXPECT_TRUE(std::find(wantedMonth.begin(), wantedMonth.end(), point) != wantedMonth.end())
            << point.first << "," << point.second;
}

TEST(PictureCollection, BuiltInPicturesComeFromTheProgramFile) {
    TImageList list(nullptr);
    EXPECT_EQ(LoadBuiltInPictures(&list), kBuiltInPictureCount);
    EXPECT_EQ(list.Count(), 10);
    EXPECT_EQ(list.Width(), 32);
    EXPECT_FALSE(list.Masked());
    // Each picture has white (transparent) pixels and a drawing of its own.
    TBitmap previous;
    for (int i = 0; i < 10; ++i) {
        TBitmap picture;
        list.GetBitmap(i, &picture);
        int white = 0;
        int differing = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                white += picture.GetPixel(x, y) == RGB(255, 255, 255);
                if (i > 0) differing += picture.GetPixel(x, y) != previous.GetPixel(x, y);
            }
        EXPECT_GT(white, 0) << i;
        EXPECT_LT(white, 32 * 32) << i;
        if (i > 0) {
            EXPECT_GT(differing, 0) << i;
        }
        previous.Assign(picture);
    }
    // The collection is the built-in list until another is installed, and again after.
    TImageList* builtIn = PictureCollection();
    EXPECT_EQ(builtIn->Count(), 10);
    TImageList mine(nullptr);
    SetPictureCollection(&mine);
    EXPECT_EQ(PictureCollection(), &mine);
    SetPictureCollection(nullptr);
    EXPECT_EQ(PictureCollection(), builtIn);
}

TEST(IconMask, WhiteBecomesBlackAndEverythingElseWhite) {
    TBitmap picture(3, 2);
    picture.SetPixel(0, 0, RGB(0, 0, 0));
    picture.SetPixel(1, 0, RGB(254, 255, 255));
    picture.SetPixel(2, 1, RGB(10, 200, 30));
    TBitmap mask;
    MakeIconMask(&picture, &mask);
    ASSERT_EQ(mask.Width(), 3);
    ASSERT_EQ(mask.Height(), 2);
    EXPECT_EQ(mask.GetPixel(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(mask.GetPixel(1, 0), RGB(255, 255, 255));  // almost white is opaque
    EXPECT_EQ(mask.GetPixel(2, 0), RGB(0, 0, 0));        // white is transparent
    EXPECT_EQ(mask.GetPixel(2, 1), RGB(255, 255, 255));
    EXPECT_EQ(picture.GetPixel(2, 0), RGB(255, 255, 255));  // the picture stays
}
