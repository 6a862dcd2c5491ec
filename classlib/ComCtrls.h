// Bars of the class library: the cool bar (a strip with a background bitmap
// holding one band), the tool bar and its flat buttons, which may drop down a
// menu item's submenu or stay down as check buttons.
#pragma once

#include <memory>

#include "classlib/Controls.h"
#include "classlib/Graphics.h"
#include "classlib/ImgList.h"
#include "classlib/Menus.h"

// A strip that paints its background bitmap (tiled) behind its band.
class TCoolBar : public TCustomControl {
public:
    explicit TCoolBar(TComponent* owner);
    const char* ClassName() const override { return "TCoolBar"; }
    // The background; Assign a bitmap to it.
    TBitmap* Bitmap() { return &m_bitmap; }
    void BitmapChanged() { Invalidate(); }
    bool AutoSize = false;
    bool FixedOrder = false;
    bool BandBorders = true;
    // Puts a control into the strip as its one band, at the strip's top-left.
    void AddBand(TWinControl* control);
    void PaintBackground(HDC dc, const RECT& rect) override;

private:
    TBitmap m_bitmap;
};

class TToolButton;

// Rows of tool buttons; with Transparent the parent's background shows.
class TToolBar : public TCustomControl {
public:
    explicit TToolBar(TComponent* owner);
    const char* ClassName() const override { return "TToolBar"; }
    bool Flat = true;
    bool List = false;
    bool ShowCaptions = false;
    bool Transparent = false;
    // The pictures of the buttons (not owned), or null.
    TCustomImageList* Images = nullptr;
    int ButtonWidth() const { return m_buttonWidth; }
    int ButtonHeight() const { return m_buttonHeight; }
    void SetButtonSize(int width, int height);
    // Lays the buttons out left to right in the order they were added; a
    // button that would stick out on the right starts the next row.
    void ArrangeButtons();
    void PaintBackground(HDC dc, const RECT& rect) override;

private:
    int m_buttonWidth = 23;
    int m_buttonHeight = 22;
};

enum TToolButtonStyle { tbsButton, tbsCheck };

// A flat button of a tool bar: raised while the pointer is over it, sunken
// while pressed; with a MenuItem a press drops that item's submenu below it. A
// check button stays down after a click; among Grouped check buttons next to
// each other one is down at a time. With the bar's Images and ShowCaptions the
// picture shows above the caption.
class TToolButton : public TGraphicControl {
public:
    explicit TToolButton(TComponent* owner);
    const char* ClassName() const override { return "TToolButton"; }
    void SetParent(TWinControl* parent) override;
    TMenuItem* MenuItem = nullptr;
    bool Grouped = false;
    TToolButtonStyle Style = tbsButton;
    // The picture of the bar's Images shown; -1 for none.
    int ImageIndex = -1;
    bool IsHot() const { return m_isHot; }
    // Shown pressed: during a menu's drop-down, or a check button that is down.
    bool IsDown() const { return m_isDown || m_isChecked; }
    // Whether a check button is down. Putting a Grouped one down lets the others
    // of its group up.
    bool Down() const { return m_isChecked; }
    void SetDown(bool down);
    // Opens the menu item's submenu as a press would.
    void DropDownMenu();

    void WndProc(TMessage& message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void Click() override;

private:
    bool m_isHot = false;
    bool m_isDown = false;
    bool m_isChecked = false;
};

// A date picker over the common controls' date-time picker: the date only, in
// the short date format, with a drop-down calendar. Date is read from the
// window every time it is asked for.
class TDateTimePicker : public TWinControl {
public:
    explicit TDateTimePicker(TComponent* owner);
    const char* ClassName() const override { return "TDateTimePicker"; }
    // The date as whole days (the time of day is not kept).
    TDateTime Date() const;
    void SetDate(TDateTime date);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandle() override;

private:
    TDateTime m_date = 0;
};
