// The common dialogs of the class library: open and save dialogs for file names.
#pragma once

#include <string>

#include "classlib/Classes.h"

// The dialog for choosing a file to open, over the system's common dialog. A
// component of its form; each Execute shows the dialog modally.
class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}
    const char* ClassName() const override { return "TOpenDialog"; }

    // Shows the dialog owned by the active window. True when the user confirmed;
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

// The filter in the system's form: each part of "A|*.a|B|*.b" ends with a NUL,
// and one more NUL closes the list. An empty filter stays empty.
std::string MakeFilterString(const std::string& filter);
