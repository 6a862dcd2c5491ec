// The general settings dialog, opened from the main window's menu and driven
// with messages inside its modal loop: loading on every showing, the choices
// taken at once, OK with both files written, the keys, the picture list, and
// the pages painted from the working copies.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../FileDialogAnswer.h"
#include "SkinTestSupport.h"
#include "UiTestSupport.h"
#include "classlib/Dialogs.h"
#include "classlib/FileUtils.h"
#include "classlib/Streaming.h"
#include "model/Uconverter.h"
#include "model/Uglobals.h"
#include "ui/UFormModifyItem.h"
#include "ui/UMain.h"
#include "ui/Uformoptions.h"
#include "ui/Umainbutton.h"
#include "ui/Upictures.h"

namespace {

// The program's host as far as the dialog needs it, with the messages recorded.
class OptionsHost : public RecordingHost {
public:
    std::string RunPictureDialog() override { return RunOptionsPictureDialog(); }
    TImageList* WorkingPictureList() override { return OptionsWorkingPictures(); }
    void WorkingPicturesChanged() override { OptionsWorkingPicturesChanged(); }
};

class OptionsDialogTest : public ProgramFolderTest {
protected:
    void SetUp() override {
        keptText = Text_Settings;
        keptHint = Hint_Settings;
        keptGeneral = General_Settings;
        keptHidePause = Application->HintHidePause;
        EnterProgramFolder("qr-options", &host, [] { return EncodeDate(2024, 3, 15) + 0.5; });
        Application->CreateForm(MainForm);
        MainForm->TimerCheckForReminders->SetEnabled(false);
        MainForm->Show();
        // The add/modify dialog holds the picture collection (the built-in pictures).
        Application->CreateForm(FormModifyItem);
        Application->CreateForm(FormOptions);
        PumpUntilIdle();
        gConverter->SetAutostart(false);
        AutostartEnabled = false;
        Application->OnIdle = [this](TObject*) { RunNextStep(); };
    }

    void TearDown() override {
        Application->OnIdle = nullptr;
        SetChooseColorFunction(nullptr);
        if (FormOptions) FreeForm(FormOptions);
        if (FormModifyItem) FreeForm(FormModifyItem);
        if (MainForm) FreeForm(MainForm);
        PumpUntilIdle();
        // No test leaves a Run value behind.
        gConverter->SetAutostart(false);
        AutostartEnabled = false;
        Text_Settings = keptText;
        Hint_Settings = keptHint;
        General_Settings = keptGeneral;
        Application->HintHidePause = keptHidePause;
        LeaveProgramFolder();
        EXPECT_TRUE(errors.empty()) << errors.front();
    }

    // Opens the dialog from the main window's menu; the steps run one at a
    // time inside its loop. A dialog still open after the steps is a failure.
    void RunDialog(std::vector<std::function<void()>> script) {
        steps.assign(script.begin(), script.end());
        MainForm->Options1->Click();
        EXPECT_TRUE(steps.empty()) << steps.size() << " steps left";
        steps.clear();
    }

    void RunNextStep() {
        if (!FormOptions || !FormOptions->IsModal()) return;
        if (steps.empty()) {
            ADD_FAILURE() << "the dialog is still open";
            FormOptions->SetModalResult(1);
        } else {
            const std::function<void()> step = steps.front();
            steps.pop_front();
            step();
        }
        PostMessageA(Application->Handle(), WM_NULL, 0, 0);
    }

    //--- Driving the controls with messages

    static void Click(TWinControl* control) { SendMessageA(control->Handle(), BM_CLICK, 0, 0); }
    static void Choose(TComboBox* list, int index) {
        SendMessageA(list->Handle(), CB_SETCURSEL, index, 0);
        SendMessageA(list->Parent()->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list->Handle()), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list->Handle()));
    }
    static void Type(TWinControl* control, const std::string& text) {
        for (char ch : text) SendMessageA(control->Handle(), WM_CHAR, static_cast<unsigned char>(ch), 0);
    }
    static void SetText(TWinControl* control, const std::string& text) {
        SendMessageA(control->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    static std::string Text(TWinControl* control) {
        char text[256] = {0};
        GetWindowTextA(control->Handle(), text, sizeof(text));
        return text;
    }
    // A click on a windowless control, at a point of its parent.
    static void ClickAt(TWinControl* parent, int x, int y) {
        SendMessageA(parent->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y));
        SendMessageA(parent->Handle(), WM_LBUTTONUP, 0, Point(x, y));
    }
    // The colour dialog answers with this colour, or is cancelled for clNone.
    static void AnswerColour(TColor colour) {
        SetChooseColorFunction([colour](CHOOSECOLORA& choice) {
            if (colour == clNone) return FALSE;
            choice.rgbResult = static_cast<COLORREF>(colour);
            return TRUE;
        });
    }
    // A click on a page's button of the tool bar (0 General .. 3 Icons).
    static void ShowPage(int page) { ClickAt(FormOptions->ToolBarSettings, 30, 52 * page + 20); }
    static std::string ReadAll(const std::string& fileName) {
        std::string bytes;
        if (FILE* file = std::fopen(fileName.c_str(), "rb")) {
            char buffer[4096];
            for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
            std::fclose(file);
        }
        return bytes;
    }
    bool IsOpen() { return FormOptions->IsModal() && IsWindowVisible(FormOptions->Handle()); }
    std::string FileInFolder(const std::string& name) { return folder + name; }

    OptionsHost host;
    std::deque<std::function<void()>> steps;
    TTextSettingValues keptText;
    THintSettingValues keptHint;
    TGeneralSettingValues keptGeneral;
    int keptHidePause = 0;
};

}  // namespace

TEST_F(OptionsDialogTest, EveryShowingLoadsTheControlsFromTheSettingsAndStartsOnTheGeneralPage) {
    const std::string someFont = Screen->Fonts().back();
    General_Settings.MainForm_Position_Flag = 2;
    General_Settings.AlertForm_Position_Flag = 5;
    General_Settings.Hide_Window_at_Start = 1;
    AutostartEnabled = true;
    Text_Settings.Font_Name = someFont;
    Text_Settings.Font_Color = RGB(1, 2, 3);
    Hint_Settings.Font_Name = "No Such Face";
    Hint_Settings.Hint_Background_Color = RGB(4, 5, 6);
    Hint_Settings.Hint_Group_Index = 3;
    Hint_Settings.Hint_Delay = 250;
    Hint_Settings.Hint_Hide_Pause = 4000;
    TFormOptions* form = FormOptions;
    const int pictures = PictureCollection()->Count();
    ASSERT_GT(pictures, 1);

    RunDialog({
        [&] {
            EXPECT_TRUE(IsOpen());
            EXPECT_EQ(form->ComboBoxMainWindowPosition->ItemIndex(), 2);
            EXPECT_EQ(form->ComboBoxRemindeWindowPosition->ItemIndex(), 5);
            EXPECT_EQ(form->ComboBoxMainWindowPosition->Items()->Strings(5), "Bottom Right");
            EXPECT_TRUE(form->CheckBoxAutoStart->Checked());
            EXPECT_TRUE(form->CheckBoxHideWindow->Checked());
            EXPECT_EQ(form->LabelAutoStart->Caption(), "   Start Quib Reminder at Windows Startup");
            EXPECT_EQ(form->LabelHideWindow->Caption(), "   Hide Main Window at Program Start");
            // Fonts: the exact name, or no selection.
            EXPECT_EQ(form->ComboBoxFonts->Text(), someFont);
            EXPECT_EQ(form->ComboBoxFontsForHint->ItemIndex(), -1);
            EXPECT_EQ(form->HintSampleFont->Name(), "No Such Face");
            EXPECT_EQ(form->WorkingTextColor, static_cast<TColor>(RGB(1, 2, 3)));
            EXPECT_EQ(form->WorkingHintBackground, static_cast<TColor>(RGB(4, 5, 6)));
            EXPECT_EQ(form->ComboBoxSelectHintGroups->Text(), "Disable All Hints");
            EXPECT_EQ(Text(form->EditHintPause), "250");
            EXPECT_EQ(Text(form->EditHintHidePause), "4000");
            EXPECT_EQ(form->StringGridImages->ColCount(), pictures);
            EXPECT_EQ(form->WorkingPictures->Count(), pictures);
            EXPECT_EQ(form->NotebookSettings->PageIndex(), 0);
            EXPECT_TRUE(form->ToolButtonGeneral->Down());
            EXPECT_EQ(form->ActiveControl(), form->ButtonOK);
            // The tool bar chooses the page; one of its buttons is down.
            ShowPage(3);
            EXPECT_EQ(form->NotebookSettings->ActivePage(), "Icons");
            EXPECT_TRUE(form->ToolButtonIcons->Down());
            EXPECT_FALSE(form->ToolButtonGeneral->Down());
            // Working copies left by this showing go with it.
            Click(form->ButtonDeleteIcon);
            EXPECT_EQ(form->WorkingPictures->Count(), pictures - 1);
            Click(form->ButtonCancel);
        },
    });
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(PictureCollection()->Count(), pictures);

    RunDialog({
        [&] {
            EXPECT_EQ(form->WorkingPictures->Count(), pictures);
            EXPECT_EQ(form->StringGridImages->ColCount(), pictures);
            EXPECT_EQ(form->NotebookSettings->ActivePage(), "General");
            EXPECT_TRUE(form->ToolButtonGeneral->Down());
            EXPECT_FALSE(form->ToolButtonIcons->Down());
            // The close glyph cancels.
            SendMessageA(form->Handle(), WM_LBUTTONUP, 0, Point(form->ClientWidth() - 12, 10));
        },
    });
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    // Nothing was confirmed: the registry was not asked.
    EXPECT_FALSE(gConverter->IsAutostart());
    EXPECT_FALSE(FileExists(FileInFolder("Settings.xml")));
}

TEST_F(OptionsDialogTest, ControlsAndLabelsStandWhereTheResourcePutsThemAndTheDefaultFaceIsListed) {
    TFormOptions* form = FormOptions;
    // The default face of the texts is among the screen's fonts, so the lists
    // show it as the chosen one.
    Text_Settings.Font_Name = "Arial";
    Hint_Settings.Font_Name = "Arial";
    Text_Settings.Font_Color = RGB(255, 0, 0);
    form->FormShow(form);
    EXPECT_EQ(form->ComboBoxFonts->Text(), "Arial");
    EXPECT_EQ(form->ComboBoxFontsForHint->Text(), "Arial");

    struct Place {
        TControl* control;
        int left, top, width;
    };
    const Place places[] = {
        {form->ComboBoxMainWindowPosition, 216, 38, 145},
        {form->ComboBoxRemindeWindowPosition, 216, 70, 145},
        {form->ButtonTextColor, 215, 32, 145},
        {form->ButtonShadowColor, 215, 72, 145},
        {form->ButtonHintColor, 215, 32, 145},
        {form->ButtonHintBackground, 215, 72, 145},
        {form->ButtonAddIcon, 215, 132, 145},
        {form->ButtonDeleteIcon, 215, 172, 145},
    };
    for (const Place& place : places) {
        EXPECT_EQ(place.control->Left(), place.left) << place.control->Name();
        EXPECT_EQ(place.control->Top(), place.top) << place.control->Name();
        EXPECT_EQ(place.control->Width(), place.width) << place.control->Name();
    }

    // The time labels are drawn from 90 to 10 pixels left of their fields.
    TBitmap page(form->PaintBoxHint->Width(), form->PaintBoxHint->Height());
    auto* canvas = static_cast<TControlCanvas*>(form->PaintBoxHint->Canvas());
    canvas->UsePaintDC(page.Canvas()->Handle());
    form->PaintBoxHintPaint(form->PaintBoxHint);
    canvas->FreeDeviceContext();
    for (TEdit* field : {form->EditHintPause, form->EditHintHidePause}) {
        const RECT place = field->BoundsRect();
        int left = INT_MAX, right = INT_MIN;
        for (int y = place.top; y < place.bottom; ++y)
            for (int x = 212; x < place.left; ++x)
                if (page.GetPixel(x, y) == RGB(255, 0, 0)) {
                    left = std::min(left, x);
                    right = std::max(right, x + 1);
                }
        ASSERT_LT(left, right) << field->Name();
        EXPECT_GE(left, place.left - 90) << field->Name();
        EXPECT_LE(right, place.left - 10) << field->Name();
    }
}

TEST_F(OptionsDialogTest, ChoicesTakenAtOnceOutliveCancelWhileColoursFontsAndTheRegistryWaitForOK) {
    TFormOptions* form = FormOptions;
    const TColor textColor = Text_Settings.Font_Color;
    const std::string textFont = Text_Settings.Font_Name;
    RunDialog({
        [&] {
            Choose(form->ComboBoxMainWindowPosition, 3);
            Choose(form->ComboBoxRemindeWindowPosition, 4);
            // The label beside the box toggles it.
            ClickAt(form->NotebookSettings->Pages(0), form->LabelHideWindow->Left() + 20,
                    form->LabelHideWindow->Top() + 5);
            Click(form->CheckBoxAutoStart);
            ShowPage(2);
            Choose(form->ComboBoxSelectHintGroups, 2);
            ShowPage(1);
            AnswerColour(RGB(10, 20, 30));
            Click(form->ButtonTextColor);
            Choose(form->ComboBoxFonts, 0);
            EXPECT_EQ(form->WorkingTextColor, static_cast<TColor>(RGB(10, 20, 30)));
            EXPECT_EQ(form->TextSampleFont->Name(), form->ComboBoxFonts->Items()->Strings(0));
            // A cancelled colour dialog changes nothing.
            AnswerColour(clNone);
            Click(form->ButtonShadowColor);
            EXPECT_EQ(form->WorkingShadowColor, Text_Settings.Font_Shadow_Color);
            Click(form->ButtonCancel);
        },
    });
    EXPECT_EQ(General_Settings.MainForm_Position_Flag, 3);
    EXPECT_EQ(General_Settings.AlertForm_Position_Flag, 4);
    EXPECT_EQ(General_Settings.Hide_Window_at_Start, 1);
    EXPECT_EQ(Hint_Settings.Hint_Group_Index, 2);
    EXPECT_EQ(Text_Settings.Font_Color, textColor);
    EXPECT_EQ(Text_Settings.Font_Name, textFont);
    // The autostart choice is kept, the registry waits for OK.
    EXPECT_TRUE(AutostartEnabled);
    EXPECT_FALSE(gConverter->IsAutostart());
    EXPECT_FALSE(FileExists(FileInFolder("Settings.xml")));
    EXPECT_FALSE(FileExists(FileInFolder("icons.bin")));

    RunDialog({
        [&] {
            EXPECT_TRUE(form->CheckBoxAutoStart->Checked());
            EXPECT_EQ(form->ComboBoxMainWindowPosition->ItemIndex(), 3);
            Click(form->ButtonCancel);
        },
    });
}

TEST_F(OptionsDialogTest, OKAppliesTheWorkingCopiesSavesBothFilesAndSetsTheHintTimes) {
    TFormOptions* form = FormOptions;
    const int pictures = PictureCollection()->Count();
    std::string chosenFont;
    RunDialog({
        [&] {
            AnswerColour(RGB(1, 2, 3));
            Click(form->ButtonTextColor);
            AnswerColour(RGB(4, 5, 6));
            Click(form->ButtonShadowColor);
            AnswerColour(RGB(7, 8, 9));
            Click(form->ButtonHintColor);
            AnswerColour(RGB(10, 11, 12));
            Click(form->ButtonHintBackground);
            Choose(form->ComboBoxFonts, 0);
            Choose(form->ComboBoxFontsForHint, 1);
            chosenFont = form->ComboBoxFontsForHint->Text();
            SetText(form->EditHintPause, "");
            SetText(form->EditHintHidePause, "0");
            Click(form->CheckBoxAutoStart);
            form->StringGridImages->SetCol(2);
            Click(form->ButtonDeleteIcon);
            EXPECT_EQ(form->StringGridImages->ColCount(), pictures - 1);
            Click(form->ButtonOK);
            EXPECT_EQ(form->ModalResult(), 1);
        },
    });
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(Text_Settings.Font_Color, static_cast<TColor>(RGB(1, 2, 3)));
    EXPECT_EQ(Text_Settings.Font_Shadow_Color, static_cast<TColor>(RGB(4, 5, 6)));
    EXPECT_EQ(Text_Settings.Font_Name, form->ComboBoxFonts->Items()->Strings(0));
    EXPECT_EQ(Hint_Settings.Hint_Font_Color, static_cast<TColor>(RGB(7, 8, 9)));
    EXPECT_EQ(Hint_Settings.Hint_Background_Color, static_cast<TColor>(RGB(10, 11, 12)));
    EXPECT_EQ(Hint_Settings.Font_Name, chosenFont);
    // An empty delay is saved as 1 and shows so; a display time of 0 stays.
    EXPECT_EQ(Hint_Settings.Hint_Delay, 1);
    EXPECT_EQ(Text(form->EditHintPause), "1");
    EXPECT_EQ(MainForm->TimerShowHint->Interval(), 1u);
    EXPECT_EQ(Hint_Settings.Hint_Hide_Pause, 0);
    EXPECT_EQ(Application->HintHidePause, 0);
    EXPECT_TRUE(gConverter->IsAutostart());
    // The window's rectangle is taken along.
    EXPECT_EQ(General_Settings.MainForm_Left, MainForm->Left());
    EXPECT_EQ(General_Settings.MainForm_Height, MainForm->Height());

    // "Settings.xml" holds the new values, "icons.bin" the pictures less the removed one.
    const std::string settings = ReadAll(FileInFolder("Settings.xml"));
    EXPECT_NE(settings.find("<Font_Color>197121</Font_Color>"), std::string::npos) << settings;
    EXPECT_NE(settings.find("<Hint_Delay>1</Hint_Delay>"), std::string::npos);
    ASSERT_EQ(PictureCollection()->Count(), pictures - 1);
    RegisterPersistentClass(TImageList::StaticClassInfo());
    std::unique_ptr<TComponent> read(ReadComponentResFile(FileInFolder("icons.bin"), nullptr));
    const auto* written = dynamic_cast<const TImageList*>(read.get());
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(written->Count(), pictures - 1);
    EXPECT_EQ(written->Name(), "ImageListForMessages");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(OptionsDialogTest, EnterAppliesEscCancelsAndTheListsAndTimeFieldsDropOtherCharacters) {
    TFormOptions* form = FormOptions;
    RunDialog({
        [&] {
            SetText(form->EditHintPause, "0");
            Type(form->EditHintPause, "x-");
            EXPECT_EQ(Text(form->EditHintPause), "0");
            const int font = form->ComboBoxFonts->ItemIndex();
            Type(form->ComboBoxFonts, "bz");
            EXPECT_EQ(form->ComboBoxFonts->ItemIndex(), font);
            // Enter in a time field works as OK.
            Type(form->EditHintPause, "\r");
        },
    });
    EXPECT_EQ(form->ModalResult(), 1);
    EXPECT_EQ(Hint_Settings.Hint_Delay, 1);  // "0" is saved as 1
    EXPECT_TRUE(FileExists(FileInFolder("Settings.xml")));
    DeleteFileA(FileInFolder("Settings.xml").c_str());

    const TColor textColor = Text_Settings.Font_Color;
    RunDialog({
        [&] {
            AnswerColour(RGB(1, 1, 1));
            Click(form->ButtonTextColor);
            Type(form->ComboBoxSelectHintGroups, "\x1b");
        },
    });
    EXPECT_EQ(Text_Settings.Font_Color, textColor);
    EXPECT_FALSE(FileExists(FileInFolder("Settings.xml")));

    // Enter on a check box (the form's own handler) applies too.
    RunDialog({
        [&] { Type(form->CheckBoxHideWindow, "\r"); },
    });
    EXPECT_TRUE(FileExists(FileInFolder("Settings.xml")));
}

TEST_F(OptionsDialogTest, TheLastPictureStaysAnAddedOneShowsAndAFailedWriteIsToldAfterTheSave) {
    TFormOptions* form = FormOptions;
    const std::string bitmap = FileInFolder("new.bmp");
    {
        TBitmap picture(32, 32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) picture.SetPixel(x, y, RGB(200, 10, 10));
        picture.SaveToFile(bitmap);
    }
    // A folder in the way: "icons.bin" cannot be written.
    CreateDirectoryA(FileInFolder("icons.bin").c_str(), nullptr);
    RunDialog({
        [&] {
            ShowPage(3);
            while (form->WorkingPictures->Count() > 1) Click(form->ButtonDeleteIcon);
            Click(form->ButtonDeleteIcon);
            EXPECT_EQ(host.messages, std::vector<std::wstring>{L"Warning: You can't remove all Icons!"});
            EXPECT_EQ(form->WorkingPictures->Count(), 1);
            {
                DialogAnswer answer(bitmap);
                Click(form->ButtonAddIcon);
                EXPECT_TRUE(DialogAnswer::Answered());
            }
            EXPECT_EQ(form->WorkingPictures->Count(), 2);
            EXPECT_EQ(form->StringGridImages->ColCount(), 2);
            Click(form->ButtonOK);
        },
    });
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1], L"Error: Error writing the file \"icons.bin\"");
    // The settings were saved first, the collection replaced in memory.
    EXPECT_TRUE(FileExists(FileInFolder("Settings.xml")));
    EXPECT_EQ(PictureCollection()->Count(), 2);
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

TEST_F(OptionsDialogTest, PagesPaintSwatchesSampleAndPreviewFromTheWorkingCopies) {
    TFormOptions* form = FormOptions;
    form->FormShow(form);
    form->WorkingTextColor = RGB(200, 0, 0);
    form->WorkingShadowColor = RGB(0, 200, 0);
    form->WorkingHintColor = RGB(0, 0, 200);
    form->WorkingHintBackground = RGB(250, 250, 0);
    // One known picture: white on its left, coloured elsewhere.
    form->WorkingPictures->Clear();
    TBitmap picture(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) picture.SetPixel(x, y, x < 8 ? RGB(255, 255, 255) : RGB(0, 120, 240));
    form->WorkingPictures->Add(&picture);
    const auto paint = [](TPaintBox* box, const std::function<void()>& handler) {
        auto page = std::make_unique<TBitmap>(box->Width(), box->Height());
        auto* canvas = static_cast<TControlCanvas*>(box->Canvas());
        canvas->UsePaintDC(page->Canvas()->Handle());
        handler();
        canvas->FreeDeviceContext();
        return page;
    };
    const auto inSwatch = [](const TBitmap& page, TImageButton* button) {
        return page.GetPixel(button->Left() - 28, button->Top() + 12);
    };

    // Covers the swatches, so that only the sample keeps their colours.
    const auto coverSwatches = [](TBitmap& page, TImageButton* button) {
        PatBlt(page.Canvas()->Handle(), button->Left() - 45, button->Top() - 5, 35, 80, BLACKNESS);
    };

    auto text = paint(form->PaintBoxText, [form] { form->PaintBoxTextPaint(form->PaintBoxText); });
    EXPECT_EQ(inSwatch(*text, form->ButtonTextColor), RGB(200, 0, 0));
    EXPECT_EQ(inSwatch(*text, form->ButtonShadowColor), RGB(0, 200, 0));
    coverSwatches(*text, form->ButtonTextColor);
    // The sample sentence in the working colours, its shadow to the right and below.
    const RECT sample = BoundsWhere(*text, [](COLORREF c) { return c == RGB(200, 0, 0); });
    const RECT shadow = BoundsWhere(*text, [](COLORREF c) { return c == RGB(0, 200, 0); });
    EXPECT_GE(sample.top, 180);
    EXPECT_LE(sample.bottom, 200);
    EXPECT_EQ(shadow.right, sample.right + 1);

    auto hint = paint(form->PaintBoxHint, [form] { form->PaintBoxHintPaint(form->PaintBoxHint); });
    EXPECT_EQ(inSwatch(*hint, form->ButtonHintColor), RGB(0, 0, 200));
    EXPECT_EQ(inSwatch(*hint, form->ButtonHintBackground), RGB(250, 250, 0));
    EXPECT_EQ(hint->GetPixel(30, 230), RGB(250, 250, 0));
    coverSwatches(*hint, form->ButtonHintColor);
    const RECT hintText = BoundsWhere(*hint, [](COLORREF c) { return c == RGB(0, 0, 200); });
    EXPECT_GE(hintText.left, 25);
    EXPECT_GE(hintText.top, 195);
    EXPECT_LE(hintText.bottom, 235);

    // The preview: the picture's white part shows the skin under it.
    auto icons = paint(form->PaintBoxIcons, [form] { form->PaintBoxIconsPaint(form->PaintBoxIcons); });
    EXPECT_EQ(icons->GetPixel(50 + 20, 150 + 16), RGB(0, 120, 240));
    // (The test skin's blue is 100 wherever the page shows it.)
    EXPECT_EQ(GetBValue(icons->GetPixel(50 + 2, 150 + 16)), 100);
    EXPECT_EQ(GetBValue(icons->GetPixel(50 + 2, 150 + 30)), 100);
}
