// The calendar settings dialog, opened from the Extras menu and driven with
// messages inside its modal loop: its controls and working copies, the live
// preview, the first weekday re-laying the main grid at once and "Cancel"
// undoing it, and "OK" applying every choice; the colour and file dialogs are
// answered as a user would.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "SkinTestSupport.h"
#include "classlib/FileUtils.h"
#include "classlib/Forms.h"
#include "model/Uconverter.h"
#include "tests/ColorDialogAnswer.h"
#include "tests/FileDialogAnswer.h"
#include "ui/Ucalenderoptions.h"
#include "ui/Umainbutton.h"

namespace {

constexpr COLORREF kDayColor = RGB(255, 0, 255);
constexpr COLORREF kDayShadow = RGB(0, 128, 128);

void PostKey(HWND window, WORD key) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(window, WM_KEYDOWN, key, scan | 1);
    PostMessageA(window, WM_KEYUP, key, scan | 1 | (1 << 30) | (1u << 31));
}

TFormCalenderOptions* OpenDialog() {
    HWND window = FindWindowA("TFormCalenderOptions", nullptr);
    if (!window || !IsWindowVisible(window)) return nullptr;
    return dynamic_cast<TFormCalenderOptions*>(TWinControl::FindControl(window));
}

// Whether some pixel of a rectangle of the bitmap has the colour.
bool HasColor(TBitmap& bitmap, const RECT& rect, COLORREF color) {
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (bitmap.GetPixel(x, y) == color) return true;
    return false;
}

// The blue of a skin pixel tells the sheet's column band: in-month day cells
// come from x 170..216 (blue 7), other days from x 264..310 (blue 47).
int SkinBlue(TBitmap& bitmap, int x, int y) {
    return GetBValue(bitmap.GetPixel(x, y));
}

class CalendarSettingsTest : public SkinnedTest {
protected:
    void SetUp() override {
        keptCalendar = Calendar_Settings;
        keptIconSize = IconWidth;
        SkinnedTest::SetUp();
        MainForm->TimerCheckForReminders->SetEnabled(false);
        Calendar_Settings.Font_Color = kDayColor;
        Calendar_Settings.Font_Shadow_Color = kDayShadow;
        Calendar_Settings.Calendar_First_Column = 1;
        MainForm->Show();
        PumpUntilIdle();
    }

    void TearDown() override {
        SkinnedTest::TearDown();
        Calendar_Settings = keptCalendar;
        IconWidth = IconHeight = keptIconSize;
    }

    // Opens the dialog from its menu item and, once it is up, acts on it; a
    // dialog the action left open is a failure and is closed.
    void Run(const std::function<void(TFormCalenderOptions*)>& action) {
        const int components = MainForm->ComponentCount();
        int stage = 0;
        Application->OnIdle = [&stage, &action](TObject*) {
            TFormCalenderOptions* dialog = OpenDialog();
            if (!dialog) return;
            if (stage++ == 0) {
                action(dialog);
            } else {
                ADD_FAILURE() << "the dialog stayed open";
                dialog->SetModalResult(mrOk);
                dialog->Release();
            }
            PostMessageA(dialog->Handle(), WM_NULL, 0, 0);  // the loop waits for a message after idling
        };
        MainForm->CalenderOptions1->Click();
        Application->OnIdle = nullptr;
        PumpUntilIdle();
        EXPECT_EQ(1, stage);
        // Released: the main window owns nothing more than before.
        EXPECT_EQ(nullptr, FindWindowA("TFormCalenderOptions", nullptr));
        EXPECT_EQ(components, MainForm->ComponentCount());
    }

    static void Click(TWinControl* button) { SendMessageA(button->Handle(), BM_CLICK, 0, 0); }
    static void ClickLabel(TFormCalenderOptions* dialog, TLabel* label) {
        const LPARAM point = Point(label->Left() + 3, label->Top() + 3);
        SendMessageA(dialog->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageA(dialog->Handle(), WM_LBUTTONUP, 0, point);
    }
    static void Choose(TFormCalenderOptions* dialog, TComboBox* combo, int index) {
        SendMessageA(combo->Handle(), CB_SETCURSEL, index, 0);
        SendMessageA(dialog->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo->Handle()), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo->Handle()));
    }
    static int FirstWeekday() { return gConverter->Cells[0][0].GetDate().tm_wday; }
    static void ExpectMainGeometry() {
        const TCellGeometry main = ComputeCellGeometry(MainForm->ClientWidth(), MainForm->ClientHeight());
        EXPECT_EQ(main.CellWidth, CellWidth);
        EXPECT_EQ(main.CellHeight, CellHeight);
        EXPECT_EQ(main.DayBand, DayBand);
    }

    TCalendarSettingValues keptCalendar;
    int32_t keptIconSize = 32;
};

}  // namespace

TEST(CalendarSettingsIconSizes, EvenSizesFrom18To32HaveTheirPlaceInTheList) {
    EXPECT_EQ(0, IconSizeIndex(18));
    EXPECT_EQ(3, IconSizeIndex(24));
    EXPECT_EQ(7, IconSizeIndex(32));
    for (int32_t size : {0, 16, 17, 25, 31, 34, -18}) EXPECT_EQ(-1, IconSizeIndex(size)) << size;
}

TEST_F(CalendarSettingsTest, OpensWithTheSettingsShowsThePreviewAndCancelKeepsThem) {
    const std::vector<std::string>& fonts = Screen->Fonts();
    ASSERT_FALSE(fonts.empty());
    const std::string font = fonts[fonts.size() / 2];
    Calendar_Settings.Font_Name = AnsiToWide(font);
    Calendar_Settings.Font_Size = 11;
    Calendar_Settings.Font_Bold_Style = 0;
    Calendar_Settings.Calendar_Play_Sound = 1;
    Calendar_Settings.Calendar_Sound_File_Name = L"C:\\Sounds\\bell.wav";
    IconWidth = IconHeight = 24;
    const TCalendarSettingValues before = Calendar_Settings;

    Run([&](TFormCalenderOptions* dialog) {
        EXPECT_EQ(566, dialog->ClientWidth());
        EXPECT_EQ(451, dialog->ClientHeight());
        // The working copies.
        EXPECT_EQ(AnsiToWide(font), dialog->CalFontName);
        EXPECT_EQ(11, dialog->CalFontSize);
        EXPECT_EQ(24, dialog->CalIconSize);
        EXPECT_EQ(0, dialog->CalFontBold);
        EXPECT_EQ(static_cast<TColor>(kDayColor), dialog->CalFontColor);
        EXPECT_EQ(static_cast<TColor>(kDayShadow), dialog->CalShadowColor);
        EXPECT_EQ(1, dialog->CalSundayFirst);
        EXPECT_EQ(1, dialog->CalPlaySound);
        EXPECT_EQ(L"C:\\Sounds\\bell.wav", dialog->CalSoundFile);
        // The controls show them.
        EXPECT_EQ(font, dialog->ComboBoxCalenderFonts->Text());
        EXPECT_EQ(static_cast<int>(fonts.size()), dialog->ComboBoxCalenderFonts->Items()->Count());
        EXPECT_EQ("11", dialog->CSpinEditFontSize->Text());
        EXPECT_FALSE(dialog->CheckBoxCalenderFontBold->Checked());
        EXPECT_TRUE(dialog->CheckBoxPlayMedia->Checked());
        EXPECT_EQ("Sunday", dialog->ComboBoxCalenderFirstColumn->Text());
        EXPECT_EQ("24 x 24 Pixel", dialog->ComboBoxIconSize->Text());
        EXPECT_EQ(8, dialog->ComboBoxIconSize->Items()->Count());
        EXPECT_EQ("Font Size:", dialog->LabelCalenderFontSize->Caption());
        EXPECT_EQ("Bold:", dialog->LabelCalenderFontold->Caption());
        EXPECT_EQ("   Play Sound", dialog->LabelPlayMedia->Caption());
        EXPECT_EQ(static_cast<TColor>(kTextColor), dialog->LabelPlayMedia->Font()->Color());
        // The buttons, the tab order and the focus.
        struct Place {
            TImageButton* button;
            const wchar_t* caption;
            RECT rect;
        };
        for (const Place& place :
             {Place{dialog->ButtonOK, L"OK", {300, 405, 375, 430}},
              Place{dialog->ButtonCancel, L"Cancel", {430, 405, 505, 430}},
              Place{dialog->ButtonChangeFontColor, L"Change Text Color ...", {385, 50, 530, 75}},
              Place{dialog->ButtonChangeShadowColor, L"Change Shadow Color ...", {385, 85, 530, 110}},
              Place{dialog->ButtonChooseFile, L"Load File...", {385, 305, 530, 330}},
              Place{dialog->ButtonTestSound, L"Test Sound", {385, 345, 530, 370}}}) {
            SCOPED_TRACE(std::string(WideToAnsi(place.caption)));
            EXPECT_EQ(place.caption, place.button->CaptionText);
            const RECT bounds = place.button->BoundsRect();
            EXPECT_TRUE(EqualRect(&place.rect, &bounds));
            EXPECT_EQ(place.button == dialog->ButtonCancel, place.button->Cancel);
            EXPECT_TRUE(place.button->DrawShadow);
            EXPECT_EQ(dialog, place.button->OwnerForm);
        }
        const std::vector<TWinControl*> order = {dialog->ButtonOK,
                                                 dialog->ButtonCancel,
                                                 dialog->ComboBoxCalenderFonts,
                                                 dialog->CSpinEditFontSize,
                                                 dialog->CheckBoxCalenderFontBold,
                                                 dialog->ButtonChangeFontColor,
                                                 dialog->ButtonChangeShadowColor,
                                                 dialog->ComboBoxCalenderFirstColumn,
                                                 dialog->ComboBoxIconSize,
                                                 dialog->CheckBoxPlayMedia,
                                                 dialog->ButtonChooseFile,
                                                 dialog->ButtonTestSound};
        EXPECT_EQ(order, dialog->TabStops());
        EXPECT_EQ(dialog->ButtonOK->Handle(), GetFocus());
        EXPECT_FALSE(IsWindowEnabled(MainForm->Handle()));

        // The preview: the shown month in cells of 44 x 35 with a band of 12,
        // days of other months in their own look.
        EXPECT_EQ(44, CellWidth);
        EXPECT_EQ(35, CellHeight);
        EXPECT_EQ(12, DayBand);
        TBitmap& preview = *dialog->ImageCalenderSettingsGrid->Picture()->Bitmap();
        ASSERT_EQ(310, preview.Width());
        ASSERT_EQ(210, preview.Height());
        EXPECT_FALSE(gConverter->Cells[0][0].IsInMonth());  // 25 February 2024
        EXPECT_EQ(47, SkinBlue(preview, 22, 30));
        EXPECT_TRUE(gConverter->Cells[1][0].IsInMonth());  // 3 March
        EXPECT_EQ(7, SkinBlue(preview, 22, 35 + 30));

        Click(dialog->ButtonCancel);
    });
    EXPECT_EQ(before.Font_Name, Calendar_Settings.Font_Name);
    EXPECT_EQ(before.Font_Size, Calendar_Settings.Font_Size);
    EXPECT_EQ(before.Calendar_Sound_File_Name, Calendar_Settings.Calendar_Sound_File_Name);
    EXPECT_EQ(24, IconWidth);
    EXPECT_TRUE(IsWindowEnabled(MainForm->Handle()));
    // The main calendar drew itself again in its own geometry.
    ExpectMainGeometry();
    EXPECT_TRUE(errors.empty());
}

TEST_F(CalendarSettingsTest, FirstWeekdayRelaysTheMainGridAtOnceAndEveryWayOfCancellingLaysItBack) {
    const std::function<void(TFormCalenderOptions*)> cancels[] = {
        [](TFormCalenderOptions* dialog) { Click(dialog->ButtonCancel); },
        // Esc typed into the size field, which takes no character.
        [](TFormCalenderOptions* dialog) { PostKey(dialog->CSpinEditFontSize->Handle(), VK_ESCAPE); },
        [](TFormCalenderOptions* dialog) {
            const LPARAM glyph = Point(dialog->ClientWidth() - 12, 10);
            SendMessageA(dialog->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, glyph);
            SendMessageA(dialog->Handle(), WM_LBUTTONUP, 0, glyph);
        },
        // Alt+F4 or the system menu's Close, and a close request.
        [](TFormCalenderOptions* dialog) { SendMessageA(dialog->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); },
        [](TFormCalenderOptions* dialog) { SendMessageA(dialog->Handle(), WM_CLOSE, 0, 0); },
    };
    ASSERT_EQ(0, FirstWeekday());
    for (const auto& cancel : cancels) {
        Run([&cancel](TFormCalenderOptions* dialog) {
            Choose(dialog, dialog->ComboBoxCalenderFirstColumn, 1);
            EXPECT_EQ(0, dialog->CalSundayFirst);
            // The main window's grid, which the preview draws, is Monday-first at once.
            EXPECT_EQ(1, FirstWeekday());
            EXPECT_EQ(26, gConverter->Cells[0][0].GetDay());
            // Typed characters do not reach the size field.
            SendMessageA(dialog->CSpinEditFontSize->Handle(), WM_CHAR, '9', 0);
            EXPECT_EQ("8", dialog->CSpinEditFontSize->Text());
            cancel(dialog);
        });
        EXPECT_EQ(0, FirstWeekday());
        EXPECT_EQ(1, Calendar_Settings.Calendar_First_Column);
        ExpectMainGeometry();
    }
}

TEST_F(CalendarSettingsTest, OkAppliesEveryChoiceAndRedrawsTheCalendar) {
    const std::string sound = folder + "chime.wav";
    Run([&](TFormCalenderOptions* dialog) {
        // The preview's numbers in the working colours, the shadow a pixel off.
        TBitmap& preview = *dialog->ImageCalenderSettingsGrid->Picture()->Bitmap();
        EXPECT_TRUE(HasColor(preview, RECT{0, 0, 44, 20}, kDayColor));
        EXPECT_TRUE(HasColor(preview, RECT{0, 0, 44, 20}, kDayShadow));
        // Bold off by its label, one size up, pictures of 20 pixels, Monday first.
        ClickLabel(dialog, dialog->LabelCalenderFontold);
        EXPECT_EQ(0, dialog->CalFontBold);
        dialog->CSpinEditFontSize->Step(1);
        EXPECT_EQ(9, dialog->CalFontSize);
        // A pasted text that is no whole number raises the conversion error,
        // which is shown; the size stays.
        for (const char* pasted : {"9.5", "ten", ""}) {
            SendMessageA(dialog->CSpinEditFontSize->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pasted));
            ASSERT_EQ(1u, errors.size()) << pasted;
            EXPECT_NE(std::string::npos, errors.front().find("is not a valid integer value")) << errors.front();
            errors.clear();
            EXPECT_EQ(9, dialog->CalFontSize) << pasted;
        }
        SendMessageA(dialog->CSpinEditFontSize->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("9"));
        Choose(dialog, dialog->ComboBoxIconSize, 1);
        EXPECT_EQ(20, dialog->CalIconSize);
        Choose(dialog, dialog->ComboBoxCalenderFirstColumn, 1);
        // A colour confirmed in the colour dialog, which starts at the working colour.
        {
            ColorDialogAnswer answer(RGB(1, 2, 3));
            Click(dialog->ButtonChangeFontColor);
            EXPECT_TRUE(ColorDialogAnswer::Answered());
            EXPECT_EQ(kDayColor, ColorDialogAnswer::Shown());
        }
        EXPECT_EQ(static_cast<TColor>(RGB(1, 2, 3)), dialog->CalFontColor);
        EXPECT_TRUE(HasColor(preview, RECT{0, 0, 44, 20}, RGB(1, 2, 3)));
        // One cancelled.
        {
            ColorDialogAnswer cancel;
            Click(dialog->ButtonChangeShadowColor);
            EXPECT_TRUE(ColorDialogAnswer::Answered());
        }
        EXPECT_EQ(static_cast<TColor>(kDayShadow), dialog->CalShadowColor);
        // The sound: on by its label, a file chosen (prepared at once), and tried.
        ClickLabel(dialog, dialog->LabelPlayMedia);
        EXPECT_EQ(1, dialog->CalPlaySound);
        {
            DialogAnswer answer(sound);
            Click(dialog->ButtonChooseFile);
            EXPECT_TRUE(DialogAnswer::Answered());
        }
        EXPECT_TRUE(SameFileName(sound, WideToAnsi(dialog->CalSoundFile))) << WideToAnsi(dialog->CalSoundFile);
        ASSERT_FALSE(host.sounds.empty());
        EXPECT_EQ(dialog->CalSoundFile, host.sounds.back());
        host.sounds.clear();
        Click(dialog->ButtonTestSound);
        EXPECT_EQ(std::vector<std::wstring>{dialog->CalSoundFile}, host.sounds);
        EXPECT_EQ(1, host.plays);
        // Nothing reached the settings yet.
        EXPECT_EQ(8, Calendar_Settings.Font_Size);
        EXPECT_EQ(0, Calendar_Settings.Calendar_Play_Sound);
        // Enter typed into a check box acts as "OK".
        PostKey(dialog->CheckBoxPlayMedia->Handle(), VK_RETURN);
    });
    EXPECT_EQ(9, Calendar_Settings.Font_Size);
    EXPECT_EQ(0, Calendar_Settings.Font_Bold_Style);
    EXPECT_EQ(static_cast<TColor>(RGB(1, 2, 3)), Calendar_Settings.Font_Color);
    EXPECT_EQ(static_cast<TColor>(kDayShadow), Calendar_Settings.Font_Shadow_Color);
    EXPECT_EQ(0, Calendar_Settings.Calendar_First_Column);
    EXPECT_EQ(1, Calendar_Settings.Calendar_Play_Sound);
    EXPECT_TRUE(SameFileName(sound, WideToAnsi(Calendar_Settings.Calendar_Sound_File_Name)));
    EXPECT_EQ(20, IconWidth);
    EXPECT_EQ(20, IconHeight);
    // The applied sound is prepared; the calendar is drawn again with the new
    // colour, Monday first, in its own geometry.
    ASSERT_EQ(2u, host.sounds.size());
    EXPECT_EQ(Calendar_Settings.Calendar_Sound_File_Name, host.sounds.back());
    EXPECT_EQ(1, FirstWeekday());
    ExpectMainGeometry();
    TBitmap& grid = *MainForm->ExtnImageGrid->Picture()->Bitmap();
    EXPECT_TRUE(HasColor(grid, RECT{0, 0, CellWidth, DayBand + 4}, RGB(1, 2, 3)));
}
