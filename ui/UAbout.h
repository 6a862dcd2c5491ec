// The about box: the product name, the version, the copyright line and the
// home page's link, which opens the page in the user's browser.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

class TImageButton;

// Made by the Help menu's "About" for each use, owned by the main window and
// shown modally; it releases itself when it is closed.
class TFormAbout : public TForm {
public:
    explicit TFormAbout(TComponent* owner);
    ~TFormAbout() override;
    const char* ClassName() const override { return "TFormAbout"; }

    //--- Components (the form's resource)
    TLabel* LabelQuibReminder = nullptr;
    TLabel* LabelVersion = nullptr;
    TLabel* LabelCopyright = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* LabelHome = nullptr;

    // The close button, made by FormShow.
    TImageButton* ButtonClose = nullptr;

    //--- Form events
    void FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void FormMouseMove(TObject* sender, TShiftState shift, int x, int y);
    void FormMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void FormPaint(TObject* sender);
    void FormShow(TObject* sender);

    //--- Component events
    void LabelHomeMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void LabelHomeMouseEnter(TObject* sender);
    void LabelHomeMouseLeave(TObject* sender);

private:
    // The form's resource.
    void CreateComponents();
};

//--- Opening documents and web pages through the shell

// ShellExecuteA's arguments (null pointers as empty texts).
struct TShellExecuteRequest {
    HWND Owner = nullptr;
    std::string Verb;
    std::string File;
    std::string Parameters;
    std::string Directory;
    int Show = SW_SHOWNORMAL;
};
// Hands a request to the shell (ShellExecuteA), which opens the file or web
// address with the program the user chose for it. Tests replace it to record
// the request instead.
void ShellExecuteRequest(const TShellExecuteRequest& request);
using ShellExecuteFunction = std::function<void(const TShellExecuteRequest& request)>;
// Installs a replacement; an empty function restores the shell.
void SetShellExecuteFunction(ShellExecuteFunction function);
