// Extra controls of the class library: the image control with its picture, the
// paint box, the notebook with its pages, and the window timer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "classlib/Controls.h"
#include "classlib/Graphics.h"

// The picture an image control shows: a bitmap.
class TPicture final : public TPersistent {
public:
    const char* ClassName() const override { return "TPicture"; }
    void Assign(const TPersistent& source) override;
    // The bitmap (made empty when first asked for).
    TBitmap* Bitmap();
    int Width() const { return m_bitmap ? m_bitmap->Width() : 0; }
    int Height() const { return m_bitmap ? m_bitmap->Height() : 0; }
    void LoadFromFile(const std::string& fileName) { Bitmap()->LoadFromFile(fileName); }

private:
    std::unique_ptr<TBitmap> m_bitmap;
};

// A windowless control showing a bitmap, unscaled at its top-left corner. Its
// canvas is the bitmap's, made at the control's size when first asked for.
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);
    const char* ClassName() const override { return "TImage"; }
    TPicture* Picture() { return &m_picture; }
    // The picture's canvas. Drawing on it shows after the next painting.
    TCanvas* Canvas();
    bool Stretch = false;

protected:
    void Paint() override;

private:
    TPicture m_picture;
};

// A windowless control whose painting is its OnPaint event.
class TPaintBox : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    const char* ClassName() const override { return "TPaintBox"; }
    TNotifyEvent OnPaint;

protected:
    void Paint() override {
        if (OnPaint && CanFireEvents()) OnPaint(this);
    }
};

// One page of a notebook: the parent of the controls that show while it is
// the notebook's active page. It fills its notebook; its caption names it.
class TPage : public TCustomControl {
public:
    explicit TPage(TComponent* owner);
    const char* ClassName() const override { return "TPage"; }
};

// Pages stacked in one place, of which the active one shows. The notebook
// makes its pages (AddPage) and they go with it.
class TNotebook : public TCustomControl {
public:
    explicit TNotebook(TComponent* owner);
    const char* ClassName() const override { return "TNotebook"; }

    // Adds a page after the others; the first page added becomes the active one.
    TPage* AddPage(const std::string& caption);
    int PageCount() const { return static_cast<int>(m_pages.size()); }
    TPage* Pages(int index) const { return m_pages.at(static_cast<size_t>(index)); }
    // The index of the page shown. Another index shows that page and hides the
    // one before; an index outside the pages changes nothing.
    int PageIndex() const { return m_pageIndex; }
    void SetPageIndex(int index);
    // The caption of the page shown; empty without pages.
    std::string ActivePage() const;
    // Shows the first page of that caption (compared without regard to case).
    void SetActivePage(const std::string& caption);
    TNotifyEvent OnPageChanged;

    void SetBounds(int left, int top, int width, int height) override;

private:
    std::vector<TPage*> m_pages;
    int m_pageIndex = -1;
};

// A timer on the library's utility window: OnTimer runs every Interval
// milliseconds while Enabled, also inside modal loops and message boxes.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    const char* ClassName() const override { return "TTimer"; }

    bool Enabled() const { return m_isEnabled; }
    // Enabling starts a fresh interval.
    void SetEnabled(bool enabled);
    unsigned Interval() const { return m_interval; }
    // A new interval restarts a running timer.
    void SetInterval(unsigned interval);
    TNotifyEvent OnTimer;

    // Runs OnTimer as a tick would (tests call it instead of waiting).
    void Tick();
    // The timer's identifier on the utility window (WM_TIMER's WPARAM).
    UINT_PTR Id() const { return m_id; }

private:
    void UpdateTimer();

    bool m_isEnabled = true;
    unsigned m_interval = 1000;
    UINT_PTR m_id = 0;
    bool m_isRunning = false;
};
