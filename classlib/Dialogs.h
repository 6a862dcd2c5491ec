// The common dialogs of the class library: open and save dialogs for file
// names, the picture variant of the open dialog, and the colour dialog.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <functional>
#include <string>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

// The dialog for choosing a file to open, over the system's common dialog. A
// component of its form; each Execute shows the dialog modally.
class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}
    const char* ClassName() const override { return "TOpenDialog"; }

    // Shows the dialog owned by the active window (the visible main window when
    // the active one is hidden). True when the user confirmed;
    // FileName then holds the chosen full path and FilterIndex the chosen filter.
    virtual bool Execute();

    // Pairs of a description and its patterns, all separated by '|':
    // "Text files|*.txt|All files|*.*".
    std::string Filter;
    int FilterIndex = 1;     // 1-based, the pair shown first
    std::string DefaultExt;  // appended (without the dot) to a name typed without one
    std::string InitialDir;  // empty: the system's choice
    std::string FileName;    // proposed when shown, the answer afterwards
    std::string Title;       // empty: the system's caption

protected:
    bool Run(bool forSaving);
};

// The dialog for choosing the name of a file to write.
class TSaveDialog : public TOpenDialog {
public:
    using TOpenDialog::TOpenDialog;
    const char* ClassName() const override { return "TSaveDialog"; }
    bool Execute() override;
};

// The open dialog offered for pictures; the program's picture dialogs set the
// filter of the kinds they read.
class TOpenPictureDialog : public TOpenDialog {
public:
    using TOpenDialog::TOpenDialog;
    const char* ClassName() const override { return "TOpenPictureDialog"; }
};

// The dialog for choosing a colour, over the system's common dialog. It opens
// on Color (a system colour is shown as the colour it stands for) and keeps the
// user's sixteen custom colours from one showing to the next.
class TColorDialog : public TComponent {
public:
    explicit TColorDialog(TComponent* owner);
    const char* ClassName() const override { return "TColorDialog"; }

    // Shows the dialog owned by the active window. True when the user confirmed;
    // Color then holds the chosen colour (a plain RGB value).
    bool Execute();

    TColor Color = 0;
    COLORREF CustomColors[16];
};

// The system's colour dialog as TColorDialog calls it. Tests install an answer
// instead of a dialog that needs a user; an empty function restores the system's.
using TChooseColorFunction = std::function<BOOL(CHOOSECOLORA& choice)>;
void SetChooseColorFunction(TChooseColorFunction function);

// The filter in the system's form: each part of "A|*.a|B|*.b" ends with a NUL,
// and one more NUL closes the list. An empty filter stays empty.
std::string MakeFilterString(const std::string& filter);
