// The taskbar button (the application window) and the main form, shown and hidden together.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "../TestFolder.h"
#include "classlib/FileUtils.h"
#include "components/kelFileComponents.h"
#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"
#include "components/kelVclConsts.h"
#include "components/kelVclUtils.h"
#include "kelTestSupport.h"

namespace {

bool AppVisible() {
    return IsWindowVisible(Application->Handle()) != 0;
}

bool FormVisible(TForm* form) {
    return form->Visible() && IsWindowVisible(form->Handle());
}

// A share "\\server\share" that exists: under Wine, a folder of the prefix's
// "dosdevices\unc". Server() is empty where there is none.
class TestShare {
public:
    TestShare() {
        char prefix[MAX_PATH] = {};
        const DWORD length = GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return;
        std::string unc = "Z:" + std::string(prefix) + "/dosdevices/unc";
        std::replace(unc.begin(), unc.end(), '/', '\\');
        CreateDirectoryA(unc.c_str(), nullptr);
        m_server = "kelsrv" + std::to_string(GetCurrentProcessId());
        m_folder = unc + "\\" + m_server;
        TestFolder::Remove(m_folder);  // left by a run that ended early
        if (!CreateDirectoryA(m_folder.c_str(), nullptr) || !CreateDirectoryA((m_folder + "\\share").c_str(), nullptr))
            m_server.clear();
    }
    ~TestShare() {
        if (!m_folder.empty()) TestFolder::Remove(m_folder);
    }
    TestShare(const TestShare&) = delete;
    TestShare& operator=(const TestShare&) = delete;
    const std::string& Server() const { return m_server; }

private:
    std::string m_server;
    std::string m_folder;
};

}  // namespace

TEST(TaskbarRoutines, ShowAndHideTheButtonWithTheMainForm) {
    TForm* form = nullptr;
    Application->CreateForm(form);
    ASSERT_EQ(form, Application->MainForm());
    kelMainFormShow();
    EXPECT_TRUE(AppVisible());
    EXPECT_TRUE(FormVisible(form));
    kelMainFormHide();
    EXPECT_FALSE(AppVisible());
    EXPECT_FALSE(FormVisible(form));

    // A hidden application window stays as it is; only the form goes.
    ShowWindow(form->Handle(), SW_SHOW);
    form->SetVisible(true);
    ShowWindow(Application->Handle(), SW_HIDE);
    kelMainFormHide();
    EXPECT_FALSE(AppVisible());
    EXPECT_FALSE(FormVisible(form));

    kelApplicationTaskBarButtonShow();
    EXPECT_TRUE(AppVisible());
    EXPECT_FALSE(FormVisible(form));
    kelApplicationTaskBarButtonHide();
    EXPECT_FALSE(AppVisible());
    FreeForm(form);
}

TEST(TaskbarRoutines, WithoutAMainFormOnlyTheButtonChanges) {
    ASSERT_EQ(nullptr, Application->MainForm());
    TForm* other = NewForm<TForm>(nullptr);  // a form, but not the main form
    kelMainFormShow();
    EXPECT_TRUE(AppVisible());
    EXPECT_FALSE(other->Visible());
    kelMainFormHide();
    EXPECT_FALSE(AppVisible());
    FreeForm(other);
}

TEST(PrevInstance, FindsAndRestoresAnotherWindowOfTheApplicationsClassAndTitle) {
    const std::string savedTitle = Application->Title();
    const std::string title = "kelPrevInstance " + std::to_string(GetCurrentProcessId());
    Application->SetTitle(title);
    EXPECT_EQ(nullptr, kelFindPrevInstance());  // our own window does not count
    EXPECT_FALSE(kelActivatePrevInstance());

    char className[256] = {};
    ASSERT_NE(0, GetClassNameA(Application->Handle(), className, sizeof className));
    // Another copy's application window: same class and title.
    HWND other = CreateWindowExA(0, className, title.c_str(), WS_POPUP | WS_CAPTION | WS_MINIMIZEBOX, 10, 10, 100, 50,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, other);
    EXPECT_EQ(other, kelFindPrevInstance());

    ShowWindow(other, SW_SHOWMINIMIZED);
    ASSERT_TRUE(IsIconic(other));
    EXPECT_TRUE(kelActivatePrevInstance());
    PumpMessages();
    EXPECT_FALSE(IsIconic(other));

    DestroyWindow(other);
    Application->SetTitle(savedTitle);
}

namespace {

// Records what would go to the shell (ShellExecuteA and WinExec) instead of starting it.
class ShellRecorder {
public:
    struct Call {
        std::string Verb, File, Parameters;
        int Show;
    };
    ShellRecorder() {
        kelPlatformHooks().ShellExecute = [this](HWND, const std::string& verb, const std::string& file,
                                                 const std::string& parameters, const std::string&, int show) {
            calls.push_back({verb, file, parameters, show});
            return reinterpret_cast<HINSTANCE>(42);
        };
        kelPlatformHooks().WinExec = [this](const std::string& commandLine, UINT) {
            commandLines.push_back(commandLine);
            return 33u;
        };
    }
    ~ShellRecorder() {
        kelPlatformHooks().ShellExecute = nullptr;
        kelPlatformHooks().WinExec = nullptr;
    }
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;
    std::vector<Call> calls;
    std::vector<std::string> commandLines;
};

}  // namespace

TEST(FormPlacement, FitsCentresAndNeverResizes) {
    RECT work{};
    kelGetWorkAreaRect(work);
    RECT byPoint{};
    kelGetWorkAreaRectByPoint(work.left + 5, work.top + 5, byPoint);
    EXPECT_TRUE(EqualRect(&work, &byPoint));

    std::unique_ptr<TForm> form(NewForm<TForm>(nullptr));
    form->SetBounds(work.right - 100, work.bottom - 50, 300, 200);  // over the right and bottom edges
    const int width = form->Width();
    const int height = form->Height();
    kelFormFitToScreen(form.get());
    EXPECT_EQ(work.right - width, form->Left());
    EXPECT_EQ(work.bottom - height, form->Top());
    EXPECT_EQ(width, form->Width());
    EXPECT_EQ(height, form->Height());

    form->SetBounds(work.left - 40, work.top - 30, 300, 200);  // over the left and top edges
    kelFormFitToScreen(form.get());
    EXPECT_EQ(work.left, form->Left());
    EXPECT_EQ(work.top, form->Top());

    kelFormCenterScreen(form.get());
    EXPECT_EQ(work.left + (work.right - work.left - width) / 2, form->Left());
    EXPECT_EQ(work.top + (work.bottom - work.top - height) / 2, form->Top());

    // Centred over a visible form, or on the screen when it is hidden.
    std::unique_ptr<TForm> over(NewForm<TForm>(nullptr));
    over->SetBounds(work.left + 200, work.top + 200, 400, 300);
    over->Show();
    kelFormCenterForm(form.get(), over.get());
    EXPECT_EQ(work.left + 200 + (400 - width) / 2, form->Left());
    EXPECT_EQ(work.top + 200 + (300 - height) / 2, form->Top());
    over->Hide();
    kelFormCenterForm(form.get(), over.get());
    EXPECT_EQ(work.left + (work.right - work.left - width) / 2, form->Left());

    // A form larger than the work area ends at its left and top, keeping its size.
    form->SetBounds(work.left + 50, work.top + 60, work.right - work.left + 20, work.bottom - work.top + 20);
    const int bigWidth = form->Width();
    const int bigHeight = form->Height();
    kelFormFitToScreen(form.get());
    EXPECT_EQ(work.left, form->Left());
    EXPECT_EQ(work.top, form->Top());
    EXPECT_EQ(bigWidth, form->Width());
    EXPECT_EQ(bigHeight, form->Height());
}

TEST(ShellRoutines, WebAddressesMailAndFilesGoToTheShell) {
    ShellRecorder shell;
    kelGotoUrl("example.com/a");
    kelGotoUrl("ftp://files.example.com");
    kelSendEmail("MAILTO:someone@example.com", "");
    kelSendEmail("someone@example.com", "Hello");
    kelSendEmailEx("mailto:someone@example.com", "S", "B");
    kelShellExecute("readme.txt");
    ASSERT_EQ(6u, shell.calls.size());
    EXPECT_EQ("http://example.com/a", shell.calls[0].File);
    EXPECT_EQ("open", shell.calls[0].Verb);
    EXPECT_EQ(SW_SHOW, shell.calls[0].Show);
    EXPECT_EQ("ftp://files.example.com", shell.calls[1].File);
    EXPECT_EQ("MAILTO:someone@example.com", shell.calls[2].File);
    EXPECT_EQ("mailto:someone@example.com?subject=Hello", shell.calls[3].File);
    EXPECT_EQ("mailto:someone@example.com?subject=S&body=B", shell.calls[4].File);
    EXPECT_EQ("", shell.calls[5].Verb);  // the default verb
    EXPECT_EQ("readme.txt", shell.calls[5].File);

    // The registered browser is started directly when its program exists.
    TestFolder folder;
    RegistryRedirect redirect;
    const std::string browser = folder.File("browser.exe");
    TestFolder::WriteBytes(browser, "MZ");
    kelRegWriteString(HKEY_CURRENT_USER, redirect.Moved(HKEY_CLASSES_ROOT, "http\\shell\\open\\command"), "",
                      "\"" + browser + "\" -nohome \"%1\"");
    kelGotoUrlEx("example.com", true);
    ASSERT_EQ(7u, shell.calls.size());
    EXPECT_EQ(browser, shell.calls[6].File);
    EXPECT_EQ(" -nohome  \"http://example.com\"", shell.calls[6].Parameters);
    DeleteFileA(browser.c_str());
    kelGotoUrlEx("example.com", true);
    ASSERT_EQ(8u, shell.calls.size());
    EXPECT_EQ("http://example.com", shell.calls[7].File);
    EXPECT_EQ("", shell.calls[7].Parameters);

    EXPECT_TRUE(kelRunShortcutWizard(folder.Path() + "\\"));
    EXPECT_FALSE(kelRunShortcutWizard(folder.File("missing")));
    EXPECT_EQ((std::vector<std::string>{"rundll32 appwiz.cpl,NewLinkHere " + folder.Path() + "\\"}),
              shell.commandLines);
}

TEST(ShellRoutines, TheBrowserGetsTheAddressAsOneQuotedArgument) {
    TestFolder folder;
    RegistryRedirect redirect;
    const std::string browser = folder.File("browser.exe");
    TestFolder::WriteBytes(browser, "MZ");
    const std::string key = redirect.Moved(HKEY_CLASSES_ROOT, "http\\shell\\open\\command");
    const struct {
        std::string command, address, file, parameters;
    } cases[] = {
        {"\"" + browser + "\" -nohome \"%1\"", "example.com/a b\"c", browser,
         " -nohome  \"http://example.com/a b%22c\""},
        {browser, "example.com/a b\\", browser, "\"http://example.com/a b\\\\\""},
        // Unsplit, the command keeps its quote, names no file and the shell opens the address.
        {"\"" + browser, "example.com", "http://example.com", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        ShellRecorder shell;
        kelRegWriteString(HKEY_CURRENT_USER, key, "", c.command);
        kelGotoUrlEx(c.address, true);
        ASSERT_EQ(1u, shell.calls.size());
        EXPECT_EQ(c.file, shell.calls[0].File);
        EXPECT_EQ(c.parameters, shell.calls[0].Parameters);
    }
}

TEST(ShellRoutines, ShellLinksRoundTripWithTheirHotKey) {
    TestFolder folder;
    const std::string link = folder.File("Editor.lnk");
    const std::string target = folder.File("editor.exe");
    TestFolder::WriteBytes(target, "MZ");
    ASSERT_TRUE(kelCreateShellLink(link, target, "/a \"b c\"", folder.Path(), "Edits things", target, 3, 0,
                                   "Ctrl+Alt+K", SW_SHOWMAXIMIZED));
    std::string readTarget, arguments, workingDir, description, iconFile, hotKeyText;
    int iconIndex = 0, showCmd = 0;
    uint16_t hotKey = 0;
    ASSERT_TRUE(kelReadShellLink(link, readTarget, arguments, workingDir, description, iconFile, iconIndex, hotKey,
                                 hotKeyText, showCmd));
    EXPECT_TRUE(SameFileName(target, readTarget)) << readTarget;
    EXPECT_EQ("/a \"b c\"", arguments);
    EXPECT_TRUE(SameFileName(folder.Path(), workingDir)) << workingDir;
    EXPECT_EQ("Edits things", description);
    EXPECT_TRUE(SameFileName(target, iconFile)) << iconFile;
    EXPECT_EQ(3, iconIndex);
    // Wine keeps no show command in the file (it reads back SW_SHOWNORMAL); Windows does.
    EXPECT_TRUE(showCmd == SW_SHOWMAXIMIZED || showCmd == SW_SHOWNORMAL) << showCmd;
    EXPECT_EQ(((HOTKEYF_CONTROL | HOTKEYF_ALT) << 8) | 'K', hotKey);
    EXPECT_EQ("Ctrl+Alt+K", hotKeyText);

    // Without a text the shell's own hot key form is taken as it is.
    ASSERT_TRUE(kelCreateShellLink(link, target, "", "", "", "", 0, (HOTKEYF_SHIFT << 8) | VK_F5, "", SW_SHOWNORMAL));
    ASSERT_TRUE(kelReadShellLink(link, readTarget, arguments, workingDir, description, iconFile, iconIndex, hotKey,
                                 hotKeyText, showCmd));
    EXPECT_EQ("Shift+F5", hotKeyText);
    EXPECT_FALSE(kelReadShellLink(folder.File("none.lnk"), readTarget, arguments, workingDir, description, iconFile,
                                  iconIndex, hotKey, hotKeyText, showCmd));
    EXPECT_FALSE(kelGetSendToDir().empty());
}

TEST(FileRoutines, CopyWithEventsReportsProgressFinishAndErrors) {
    TestFolder folder;
    std::vector<uint32_t> errors;
    std::vector<std::string> messages;
    int finishes = 0;
    const auto onError = [&](TObject*, uint32_t code, const std::string& message) {
        errors.push_back(code);
        messages.push_back(message);
    };
    const auto onFinish = [&](TObject*) { ++finishes; };

    const std::string missing = folder.File("missing.bin");
    EXPECT_FALSE(kelCopyFileWithEvents(missing, folder.File("x.bin"), onError, nullptr, onFinish));
    EXPECT_EQ(std::vector<uint32_t>{2}, errors);
    EXPECT_EQ(Format(LoadResString(SkelNoFile), missing), messages.at(0));
    EXPECT_EQ(0, finishes);  // no thread was started

    const std::string bytes(300000, 'q');
    TestFolder::WriteBytes(folder.File("big.bin"), bytes);
    std::vector<uint32_t> progress;
    EXPECT_TRUE(kelCopyFileWithEvents(
        folder.File("big.bin"), folder.File("sub\\copy.bin"), onError,
        [&](TObject*, uint32_t copied, uint32_t total, bool&) {
            progress.push_back(copied);
            EXPECT_EQ(300000u, total);
        },
        onFinish));
    EXPECT_EQ(1, finishes);
    EXPECT_EQ(bytes, TestFolder::ReadBytes(folder.File("sub\\copy.bin")));
    ASSERT_GE(progress.size(), 3u);
    EXPECT_EQ(300000u, progress.back());
    EXPECT_EQ(1u, errors.size());

    // Cancelled at the first progress: the copy ends, still finishes, and has not copied.
    int calls = 0;
    EXPECT_FALSE(kelCopyFileWithEvents(
        folder.File("big.bin"), folder.File("cancelled.bin"), onError,
        [&](TObject*, uint32_t, uint32_t, bool& cancel) {
            ++calls;
            cancel = true;
        },
        onFinish));
    EXPECT_EQ(1, calls);
    EXPECT_EQ(2, finishes);

    // A folder stands where the copy should go: the thread's error is the result too.
    CreateDirectoryA(folder.File("taken").c_str(), nullptr);
    EXPECT_FALSE(kelCopyFileWithEvents(folder.File("big.bin"), folder.File("taken"), onError, nullptr, onFinish));
    EXPECT_EQ(2u, errors.size());
    EXPECT_EQ(3, finishes);
}

TEST(FileRoutines, ClearDirLeavesTheFolderEmptyAndCopyFilesUsesTheShell) {
    TestFolder folder;
    const std::string dir = folder.File("work");
    kelForceDirectories(dir + "\\deep\\er");
    TestFolder::WriteBytes(dir + "\\a.txt", "a");
    TestFolder::WriteBytes(dir + "\\deep\\er\\b.txt", "b");
    kelClearDir(dir + "\\");
    EXPECT_TRUE(kelDirectoryExists(dir));
    EXPECT_FALSE(kelDirectoryExists(dir + "\\deep"));
    EXPECT_FALSE(FileExists(dir + "\\a.txt"));
    kelRemoveDir(dir);
    EXPECT_FALSE(kelDirectoryExists(dir));

    // The shell's call as the routines make it (recorded, so no window can show).
    std::vector<SHFILEOPSTRUCTA> operations;
    std::vector<std::string> sources;
    kelPlatformHooks().FileOperation = [&](SHFILEOPSTRUCTA& operation) {
        operations.push_back(operation);
        sources.push_back(operation.pFrom);
        return 0;
    };
    TStringList list;
    list.Add(folder.File("one.txt"));
    EXPECT_TRUE(kelCopyFiles(&list));
    kelForceDirectories(dir);
    kelRemoveDir(dir + "\\");
    kelPlatformHooks().FileOperation = nullptr;
    ASSERT_EQ(2u, operations.size());
    EXPECT_EQ(FO_COPY, operations[0].wFunc);
    EXPECT_EQ(FOF_ALLOWUNDO | FOF_FILESONLY | FOF_RENAMEONCOLLISION, operations[0].fFlags);
    EXPECT_EQ(FO_DELETE, operations[1].wFunc);
    EXPECT_EQ(FOF_RENAMEONCOLLISION | FOF_NOCONFIRMATION | FOF_SILENT, operations[1].fFlags);
    EXPECT_EQ(dir, sources[1]);
}

TEST(FileRoutines, RootsAreNeverRemovedAndShortNamesAreMadeAgain) {
    TestFolder folder;
    TestShare share;
    ASSERT_FALSE(share.Server().empty());
    const std::string server = share.Server();
    const std::string drive = ExtractFileDrive(folder.Path());
    const std::string saved = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    std::vector<std::string> sources;
    kelPlatformHooks().FileOperation = [&](SHFILEOPSTRUCTA& operation) {
        sources.push_back(operation.pFrom);
        return 0;
    };
    // "X:\" less its separator would be the current folder of the drive. The
    // system takes a "\\?\" path as it is, ".." and all.
    const std::string up = "\\..\\..\\..\\..\\..\\..";
    for (const std::string& root :
         {drive + "\\", drive, drive + "\\.", folder.Path() + up, std::string("\\"), std::string(),
          "\\\\" + server + "\\share", "\\\\?\\UNC\\" + server + "\\share", "\\\\?\\unc\\" + server + "\\share\\",
          "\\\\?\\UNC\\" + server + "\\share\\x\\..", "\\\\?\\" + drive + "\\", "\\\\?\\" + folder.Path() + up,
          "\\\\.\\" + folder.Path() + up}) {
        kelRemoveDir(root);
        kelClearDir(root);
    }
    EXPECT_EQ(std::vector<std::string>(), sources);
    kelPlatformHooks().FileOperation = nullptr;

    // A short relative name is made again like any other.
    kelClearDir("ab");
    EXPECT_TRUE(kelDirectoryExists(folder.File("ab")));
    SetCurrentDirectoryA(saved.c_str());
}
