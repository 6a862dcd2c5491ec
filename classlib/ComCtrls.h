// Bars of the class library: the cool bar (a strip with a background bitmap
// holding one band), the tool bar and its flat buttons, which may drop down a
// menu item's submenu.
#pragma once

#include <memory>

#include "classlib/Controls.h"
#include "classlib/Graphics.h"
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

// A row of tool buttons; with Transparent the parent's background shows.
class TToolBar : public TCustomControl {
public:
    explicit TToolBar(TComponent* owner);
    const char* ClassName() const override { return "TToolBar"; }
    bool Flat = true;
    bool List = false;
    bool ShowCaptions = false;
    bool Transparent = false;
    int ButtonWidth() const { return m_buttonWidth; }
    int ButtonHeight() const { return m_buttonHeight; }
    void SetButtonSize(int width, int height);
    // Lays the buttons out left to right in the order they were added.
    void ArrangeButtons();
    void PaintBackground(HDC dc, const RECT& rect) override;

private:
    int m_buttonWidth = 23;
    int m_buttonHeight = 22;
};

// A flat button of a tool bar: raised while the pointer is over it, sunken
// while pressed; with a MenuItem a press drops that item's submenu below it.
class TToolButton : public TGraphicControl {
public:
    explicit TToolButton(TComponent* owner);
    const char* ClassName() const override { return "TToolButton"; }
    void SetParent(TWinControl* parent) override;
    TMenuItem* MenuItem = nullptr;
    bool Grouped = false;
    bool IsHot() const { return m_isHot; }
    bool IsDown() const { return m_isDown; }
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
};
