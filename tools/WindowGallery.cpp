// Renders every window of the program into BMP files, for the pictures in
// docs/screenshots. It runs the program's own forms from a copy of the program
// folder, with a few sample reminders and a fixed clock, and walks through the
// windows one after the other, closing each after its picture is taken.
//
//   WindowGallery.exe <output folder>
//
// It must run from the program folder (its skin, "icons.bin"), and it
// overwrites the reminders and settings there: give it a copy.
//
// The pictures are taken inside the process (WM_PRINT and WM_PRINTCLIENT into a
// memory bitmap) rather than from the screen: that way a window looks the same
// whatever lies above it, and the pictures do not depend on the display.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "classlib/Forms.h"
#include "classlib/SysUtils.h"
#include "components/kelLibrary.h"
#include "model/Uconverter.h"
#include "model/Ueintrag.h"
#include "model/Ufunction.h"
#include "model/Uglobals.h"
#include "ui/UAbout.h"
#include "ui/UFormDeleteItem.h"
#include "ui/UFormMessageBox.h"
#include "ui/UFormModifyItem.h"
#include "ui/UFormRemindeNow.h"
#include "ui/UMain.h"
#include "ui/Ucalenderoptions.h"
#include "ui/Uformoptions.h"
#include "ui/Ugraphic.h"
#include "ui/UprogramHost.h"

namespace {

std::string gOutput;

//--- Capturing a window with its children

void PrintFrame(HWND window, HDC dc, const RECT& bounds) {
    const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    RECT edge = bounds;
    if (exStyle & WS_EX_CLIENTEDGE) DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    if (exStyle & WS_EX_STATICEDGE) DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    if ((style & WS_CAPTION) == WS_BORDER) FrameRect(dc, &edge, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

// Draws window (and, below it, its visible children) into dc, where origin is
// the top-left corner of the top-level window's frame. Every window paints into
// a bitmap of its own at the origin: controls clip their painting to their
// client rectangle taken as device points, which a moved origin would defeat.
void PrintTree(HWND window, HDC dc, const POINT& origin, const RECT& clip) {
    RECT frame;
    GetWindowRect(window, &frame);
    OffsetRect(&frame, -origin.x, -origin.y);
    RECT visible;
    if (!IntersectRect(&visible, &frame, &clip)) return;

    POINT client = {0, 0};
    ClientToScreen(window, &client);
    client.x -= origin.x;
    client.y -= origin.y;
    RECT clientRect;
    GetClientRect(window, &clientRect);
    const int width = clientRect.right, height = clientRect.bottom;

    const int saved = SaveDC(dc);
    IntersectClipRect(dc, visible.left, visible.top, visible.right, visible.bottom);
    if (GetParent(window) && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) PrintFrame(window, dc, frame);
    if (width > 0 && height > 0) {
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
        HGDIOBJ old = SelectObject(memory, bitmap);
        // What lies below shows through where the window paints nothing.
        BitBlt(memory, 0, 0, width, height, dc, client.x, client.y, SRCCOPY);
        SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
        BitBlt(dc, client.x, client.y, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }
    RestoreDC(dc, saved);

    OffsetRect(&clientRect, client.x, client.y);
    RECT childClip;
    if (!IntersectRect(&childClip, &clientRect, &visible)) return;
    // Bottom of the z-order first, so that the children on top are drawn last.
    HWND child = GetWindow(window, GW_CHILD);
    if (!child) return;
    for (child = GetWindow(child, GW_HWNDLAST); child; child = GetWindow(child, GW_HWNDPREV))
        if (IsWindowVisible(child)) PrintTree(child, dc, origin, childClip);
}

bool SaveBitmap(HBITMAP bitmap, HDC dc, int width, int height, const std::string& file) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<char> bits(static_cast<size_t>(stride) * height);
    if (!GetDIBits(dc, bitmap, 0, height, bits.data(), &info, DIB_RGB_COLORS)) return false;
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(header) + sizeof(info.bmiHeader);
    header.bfSize = header.bfOffBits + static_cast<DWORD>(bits.size());
    FILE* out = std::fopen(file.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(&header, sizeof header, 1, out) == 1 &&
              std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
              std::fwrite(bits.data(), bits.size(), 1, out) == 1;
    ok = std::fclose(out) == 0 && ok;
    return ok;
}

bool CaptureWindow(HWND window, const std::string& file) {
    RECT frame;
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT all = {0, 0, width, height};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    // The frame of a top-level window with a caption comes from the system.
    if (GetWindowLongA(window, GWL_STYLE) & WS_CAPTION)
        SendMessageA(window, WM_PRINT, reinterpret_cast<WPARAM>(memory), PRF_NONCLIENT);
    PrintTree(window, memory, POINT{frame.left, frame.top}, all);
    SelectObject(memory, old);
    const bool ok = SaveBitmap(bitmap, memory, width, height, file);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::printf("%s %s (%dx%d)\n", ok ? "wrote" : "FAILED", file.c_str(), width, height);
    return ok;
}

//--- The walk through the windows

struct FindData {
    const char* className;
    HWND found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
    auto* data = reinterpret_cast<FindData*>(param);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (IsWindowVisible(window) && std::string(name) == data->className) {
        data->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK ListVisible(HWND window, LPARAM) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (IsWindowVisible(window)) std::printf("  visible: %s\n", name);
    return TRUE;
}

HWND FindOwnWindow(const char* className) {
    FindData data = {className, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindVisible, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

struct Step {
    std::function<void()> open;  // may run a modal loop; the walk goes on inside it
    const char* windowClass;
    const char* file;
    bool closeAfter;
    int settleTicks;  // ticks to wait after the window appears (hints, layout)
};

std::vector<Step> gSteps;
size_t gStep = 0;
bool gOpened = false;
int gWaited = 0;
int gFailures = 0;
UINT_PTR gTimer = 0;

void CALLBACK Walk(HWND, UINT, UINT_PTR, DWORD) {
    try {
        if (gStep >= gSteps.size()) {
            KillTimer(nullptr, gTimer);
            Application->Terminate();
            return;
        }
        Step& step = gSteps[gStep];
        if (!gOpened) {
            gOpened = true;
            gWaited = 0;
            if (step.open) step.open();
            return;
        }
        HWND window = FindOwnWindow(step.windowClass);
        ++gWaited;
        if (window ? gWaited <= step.settleTicks : gWaited < 30) return;
        ++gStep;
        gOpened = false;
        if (!window) {
            std::printf("FAILED %s: no window of class %s\n", step.file, step.windowClass);
            EnumThreadWindows(GetCurrentThreadId(), ListVisible, 0);
            ++gFailures;
            return;
        }
        if (!CaptureWindow(window, gOutput + step.file)) ++gFailures;
        if (step.closeAfter) PostMessageA(window, WM_CLOSE, 0, 0);
    } catch (const std::exception& error) {
        std::printf("FAILED: %s\n", error.what());
        ++gFailures;
        ++gStep;
        gOpened = false;
    }
}

//--- Sample reminders

tm At(int day, int hour, int minute) {
    tm t;
    ClearDateRecord(&t);
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    return t;
}

void AddSample(std::string& image, tm start, int count, int kind, int picture, const char* title, const char* text) {
    Eintrag reminder;
    reminder.StartTime = start;
    reminder.IntervalCount = count;
    reminder.IntervalKind = kind;
    reminder.PictureIndex = picture;
    // At the minute, not from the start of the day: nothing falls due while the gallery runs.
    reminder.ExactlyAt = true;
    reminder.SetTitle(title);
    reminder.SetText(text);
    std::string record(Eintrag::kImageSize, '\0');
    reminder.WriteImage(reinterpret_cast<uint8_t*>(&record[0]));
    image += record;
}

void WriteSampleReminders(const std::string& folder) {
    std::string image;
    // All of them lie ahead of the gallery's clock, so that none falls due.
    AddSample(image, At(10, 9, 0), 1, kIntervalWeeks, 3, "Team meeting", "Room 2, bring the figures of the month.");
    AddSample(image, At(9, 12, 30), 0, kIntervalOnce, 1, "Lunch with Anna", "At the Italian place on the corner.");
    AddSample(image, At(9, 18, 0), 1, kIntervalDays, 5, "Evening walk", "");
    AddSample(image, At(14, 9, 0), 1, kIntervalYears, 7, "Mother's birthday", "Call her in the morning.");
    AddSample(image, At(24, 16, 0), 0, kIntervalOnce, 9, "Christmas Eve", "Pick up the goose at the butcher's.");
    AddSample(image, At(18, 10, 0), 1, kIntervalMonths, 2, "Pay the rent", "");
    HANDLE file = CreateFileA((folder + "index.dat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, image.data(), static_cast<DWORD>(image.size()), &written, nullptr);
    CloseHandle(file);
}

Eintrag* FindReminder(const char* title) {
    for (Eintrag* e = gConverter->First(); e; e = e->Next)
        if (std::string(e->GetTitle()) == title) return e;
    return nullptr;
}

void ClickToolButton(TToolButton* button) {
    if (button && button->OnClick) button->OnClick(button);
}

void BuildSteps() {
    gSteps.push_back({nullptr, "TMainForm", "main-window.bmp", false, 3});
    gSteps.push_back({[] {
                          // The pointer rests on the first picture of the 9th.
                          const TExtnImage* grid = MainForm->ExtnImageGrid;
                          for (int row = 0; row < kGridRows; ++row)
                              for (int column = 0; column < kGridColumns; ++column) {
                                  const TWeekDay& cell = gConverter->Cells[row][column];
                                  RECT slot;
                                  if (!cell.IsInMonth() || cell.GetDay() != 9 || !PictureSlotRect(column, row, 0, slot))
                                      continue;
                                  POINT at = {grid->Left() + (slot.left + slot.right) / 2,
                                              grid->Top() + (slot.top + slot.bottom) / 2};
                                  ClientToScreen(MainForm->Handle(), &at);
                                  SetCursorPos(at.x, at.y);
                                  ScreenToClient(MainForm->Handle(), &at);
                                  // The first move enters the cell, the second finds the picture.
                                  PostMessageA(MainForm->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
                                  PostMessageA(MainForm->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
                              }
                      },
                      "TMyHint", "hint.bmp", false, 2});
    gSteps.push_back({[] {
                          if (Eintrag* e = FindReminder("Lunch with Anna")) SelectedEntry = e;
                          OpenModifyItemForEdit();
                      },
                      "TFormModifyItem", "modify-reminder.bmp", true, 2});
    gSteps.push_back({[] {
                          if (Eintrag* e = FindReminder("Lunch with Anna")) SelectedEntry = e;
                          MainForm->Delete1Click(nullptr);
                      },
                      "TFormDeleteItem", "delete-reminder.bmp", true, 2});
    gSteps.push_back({[] {
                          if (Eintrag* e = FindReminder("Evening walk")) gConverter->ShowReminder(e, At(9, 18, 0));
                      },
                      "TFormRemindeNow", "alarm-window.bmp", true, 2});
    gSteps.push_back({[] { ShowMessageBox(L"The backup has been written.", L"Quib Reminder", 0); }, "TFormMessageBox",
                      "message-box.bmp", true, 2});
    gSteps.push_back({[] { MainForm->Options1Click(nullptr); }, "TFormOptions", "settings-general.bmp", false, 2});
    gSteps.push_back({[] { ClickToolButton(FormOptions->ToolButtonFont); }, "TFormOptions", "settings-font.bmp", false, 2});
    gSteps.push_back({[] { ClickToolButton(FormOptions->ToolButtonHint); }, "TFormOptions", "settings-hints.bmp", false, 2});
    gSteps.push_back({[] { ClickToolButton(FormOptions->ToolButtonIcons); }, "TFormOptions", "settings-pictures.bmp", true, 2});
    gSteps.push_back({[] { MainForm->CalenderOptions1Click(nullptr); }, "TFormCalenderOptions", "calendar-settings.bmp", true, 2});
    gSteps.push_back({[] { MainForm->About1Click(nullptr); }, "TFormAbout", "about.bmp", true, 2});
}

}  // namespace

int main(int argc, char** argv) {
    gOutput = argc > 1 ? argv[1] : ".";
    if (gOutput.back() != '\\' && gOutput.back() != '/') gOutput += '\\';

    // The pictures show the 9th of December 2026, ten in the morning.
    SetClock([] { return EncodeDate(2026, 12, 9) + 10.0 / 24.0; });

    kelInitialize();
    InitGlobals();

    gCalendarView = new TCalendarView;
    static TProgramHost host;
    SetModelHost(&host);
    try {
        Application->Initialize();
        Application->SetTitle("Quib Reminder ");
        const std::string folder = ProgramFolder(Application->ExeName());
        WriteSampleReminders(folder);
        DeleteFileA((folder + SettingsFileName).c_str());
        Application->CreateForm(MainForm);
        Application->CreateForm(FormModifyItem);
        Application->CreateForm(FormDeleteItem);
        Application->CreateForm(FormRemindeNow);
        Application->CreateForm(FormOptions);
        // The pointer away from the windows: no cell has the hovered look.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        BuildSteps();
        gTimer = SetTimer(nullptr, 0, 250, Walk);
        Application->Run();
    } catch (const std::exception& error) {
        std::printf("FAILED: %s\n", error.what());
        ++gFailures;
    }
    Application->DestroyForms();
    DoneGlobals();
    kelFinalize();
    return gFailures == 0 ? 0 : 1;
}
