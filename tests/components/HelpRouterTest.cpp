// The help router: taking over the application's help event, the routing table
// for HTML Help and WinHelp, popups, jumps, look-ups and topic identifiers; the
// viewer's loader. Both viewers are replaced by recorders.
#include <gtest/gtest.h>

#include <windows.h>

#include <htmlhelp.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "components/HelpRouter.h"
#include "components/HtmlHelpLoader.h"
#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"
#include "kelTestSupport.h"

namespace {

const HWND kHelpWindow = reinterpret_cast<HWND>(0x4711);

// One call to a help viewer, with copies of what its data pointed at.
struct HelpCall {
    bool html;
    HWND window;
    std::string file;  // "<none>" for no file
    UINT command;
    uintptr_t data;
    std::string text;  // the keyword or macro data pointed at
    THHPopup popup;
    std::string popupText;
    std::string popupFont;
    THHAKLink link;
    std::string keywords;  // up to and including the extra NUL
};

class RouterForm : public TForm {
public:
    explicit RouterForm(TComponent* owner) : TForm(owner) { SetBounds(0, 0, 200, 100); }
};

class HelpRouterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(nullptr, THelpRouter::Instance());
        kelPlatformHooks().HtmlHelpCall = [this](HWND caller, const char* file, UINT command, DWORD_PTR data) {
            HelpCall call = Record(true, caller, file, command, data);
            if (command == kelHHDisplayIndex && data) call.text = reinterpret_cast<const char*>(data);
            if (command == kelHHDisplayTextPopup && data) {
                call.popup = *reinterpret_cast<const THHPopup*>(data);
                call.popupText = call.popup.pszText ? call.popup.pszText : "<null>";
                call.popupFont = call.popup.pszFont ? call.popup.pszFont : "<null>";
            }
            if ((command == kelHHKeywordLookup || command == kelHHAlinkLookup) && data) {
                call.link = *reinterpret_cast<const THHAKLink*>(data);
                const char* keywords = call.link.pszKeywords;
                call.keywords.assign(keywords, std::strlen(keywords) + 2);
            }
            calls.push_back(call);
            return htmlResult;
        };
        kelPlatformHooks().WinHelpCall = [this](HWND window, const char* file, UINT command, ULONG_PTR data) {
            HelpCall call = Record(false, window, file, command, data);
            if ((command == kelHelpCommand || command == kelHelpKey) && data) call.text = reinterpret_cast<const char*>(data);
            calls.push_back(call);
            return winHelpResult;
        };
        kelPlatformHooks().LoadHelpLibrary = [this](const char* name) -> HMODULE {
            loads.push_back(name);
            return viewerMissing ? nullptr : LoadLibraryA(name);
        };
        // The class library's own WinHelp, for what the router leaves to it.
        SetWinHelpFunction([this](HWND window, const char* file, UINT command, ULONG_PTR data) {
            appWinHelp.push_back(Record(false, window, file, command, data));
            return TRUE;
        });
        Application->HelpFile = "C:\\Prog\\Help.hlp";
    }

    void TearDown() override {
        router.reset();
        UnLoadHH();
        kelPlatformHooks().HtmlHelpCall = nullptr;
        kelPlatformHooks().WinHelpCall = nullptr;
        kelPlatformHooks().LoadHelpLibrary = nullptr;
        SetWinHelpFunction(nullptr);
        Application->OnHelp = nullptr;
        Application->HelpFile.clear();
    }

    static HelpCall Record(bool html, HWND window, const char* file, UINT command, uintptr_t data) {
        HelpCall call{};
        call.html = html;
        call.window = window;
        call.file = file ? file : "<none>";
        call.command = command;
        call.data = data;
        return call;
    }

    THelpRouter* MakeRouter(THelpRouter::THelpType type) {
        router = std::make_unique<THelpRouter>(nullptr);
        router->HelpType = type;
        return router.get();
    }

    // The router is asked through the application, as every request of the program is.
    bool Ask(uint16_t command, intptr_t data) { return Application->HelpCommand(command, data); }

    std::unique_ptr<THelpRouter> router;
    std::vector<HelpCall> calls;
    std::vector<HelpCall> appWinHelp;
    std::vector<std::string> loads;
    HWND htmlResult = kHelpWindow;
    BOOL winHelpResult = TRUE;
    bool viewerMissing = false;
};

}  // namespace

TEST_F(HelpRouterTest, TakesOverTheApplicationsHelpEventAndGivesItBack) {
    int previousAsked = 0;
    Application->OnHelp = [&](uint16_t, intptr_t, bool&) {
        ++previousAsked;
        return false;
    };
    {
        THelpRouter first(nullptr);
        EXPECT_EQ(&first, THelpRouter::Instance());
        EXPECT_EQ(THelpRouter::htWinhelp, first.HelpType);
        EXPECT_EQ(THelpRouter::stDefault, first.ShowType);
        EXPECT_EQ("CSHelp.txt", first.CHMPopupTopics);
        EXPECT_FALSE(first.ValidateID);
        // A second router is refused, and the first keeps its place.
        try {
            THelpRouter second(nullptr);
            FAIL() << "a second router was made";
        } catch (const Exception& error) {
            EXPECT_EQ("Multiple instances of THelpRouter are not allowed", error.Message());
        }
        EXPECT_EQ(&first, THelpRouter::Instance());

        // The previous handler is still asked, after the router's own user handler.
        std::vector<std::string> order;
        first.OnHelp = [&](uint16_t, intptr_t, bool&) {
            order.push_back("router's handler");
            return false;
        };
        EXPECT_TRUE(Ask(kelHelpContext, 5));
        EXPECT_EQ(1, previousAsked);
        EXPECT_EQ(1u, order.size());
        ASSERT_EQ(1u, calls.size());
        EXPECT_FALSE(calls[0].html);
        EXPECT_TRUE(appWinHelp.empty()) << "the router served it: the class library's help stays out";
    }
    EXPECT_EQ(nullptr, THelpRouter::Instance());
    ASSERT_TRUE(static_cast<bool>(Application->OnHelp)) << "the previous handler is back";
    Application->HelpCommand(kelHelpContext, 1);
    EXPECT_EQ(2, previousAsked);

    // Without a previous handler the event is cleared again.
    Application->OnHelp = nullptr;
    { THelpRouter only(nullptr); }
    EXPECT_FALSE(static_cast<bool>(Application->OnHelp));
}

TEST_F(HelpRouterTest, ARouterInDesignModeNeitherTakesTheHelpEventNorForgetsTheRunningOne) {
    TComponent designer(nullptr);
    designer.SetDesigning(true);
    auto* designed = new THelpRouter(&designer);
    EXPECT_EQ(nullptr, THelpRouter::Instance());
    EXPECT_FALSE(static_cast<bool>(Application->OnHelp));
    MakeRouter(THelpRouter::htHTMLhelp);
    EXPECT_EQ(router.get(), THelpRouter::Instance());
    // The designed router goes; the running one keeps the help event and its place.
    delete designed;
    EXPECT_EQ(router.get(), THelpRouter::Instance());
    EXPECT_TRUE(static_cast<bool>(Application->OnHelp));
    EXPECT_THROW(THelpRouter second(nullptr), Exception);
    EXPECT_TRUE(Ask(kelHelpContents, 0));
    EXPECT_EQ(1u, calls.size());
}

TEST_F(HelpRouterTest, HtmlHelpServesTheRoutingTable) {
    MakeRouter(THelpRouter::htHTMLhelp);
    EXPECT_TRUE(Ask(kelHelpContext, 1000));
    EXPECT_TRUE(Ask(kelHelpQuit, 0));
    EXPECT_TRUE(Ask(kelHelpContents, 0));
    EXPECT_TRUE(Ask(kelHelpFinder, 0));
    EXPECT_TRUE(Ask(kelHelpTab, 0));
    EXPECT_TRUE(Ask(kelHelpTab, 3));
    EXPECT_TRUE(Application->HelpKeyword("Alarms"));
    EXPECT_TRUE(router->HelpKeyword("Snooze"));
    EXPECT_TRUE(Ask(kelHelpPartialKey, reinterpret_cast<intptr_t>("Tray")));
    EXPECT_TRUE(router->HelpContent());
    const size_t answered = calls.size();
    EXPECT_FALSE(Ask(0x0004, 0)) << "a command HTML Help has no call for";
    EXPECT_EQ(answered, calls.size());
    EXPECT_TRUE(appWinHelp.empty());

    struct Expected {
        std::string file;
        UINT command;
        uintptr_t data;
        std::string text;
    };
    const std::string chm = "C:\\Prog\\Help.chm";
    const std::vector<Expected> expected = {
        {chm, kelHHHelpContext, 1000, ""},       {"<none>", kelHHCloseAll, 0, ""},
        {chm, kelHHDisplayToc, 0, ""},           {chm, kelHHDisplayToc, 0, ""},
        {chm, kelHHDisplayToc, 0, ""},           {chm, kelHHDisplayIndex, 0, ""},
        {chm, kelHHDisplayIndex, 1, "Alarms"},   {chm, kelHHDisplayIndex, 1, "Snooze"},
        {chm, kelHHDisplayIndex, 1, "Tray"},     {chm, kelHHDisplayToc, 0, ""},
    };
    ASSERT_EQ(expected.size(), calls.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(calls[i].html);
        EXPECT_EQ(nullptr, calls[i].window);
        EXPECT_EQ(expected[i].file, calls[i].file);
        EXPECT_EQ(expected[i].command, calls[i].command);
        if (expected[i].text.empty())
            EXPECT_EQ(expected[i].data, calls[i].data);
        else
            EXPECT_EQ(expected[i].text, calls[i].text);
    }
    EXPECT_EQ(chm, THelpRouter::CurrentHelpFile());

    // A viewer window that does not open is a failure, and nothing else happens.
    htmlResult = nullptr;
    EXPECT_FALSE(Ask(kelHelpContext, 1));
    EXPECT_TRUE(appWinHelp.empty());
}

TEST_F(HelpRouterTest, TheUsersHandlerComesFirstAndMayServeTheRequestItself) {
    MakeRouter(THelpRouter::htHTMLhelp);
    bool serve = true;
    router->OnHelp = [&](uint16_t command, intptr_t data, bool& callHelp) {
        EXPECT_EQ(kelHelpContext, command);
        EXPECT_EQ(12, data);
        if (serve) callHelp = false;
        return serve;
    };
    EXPECT_TRUE(Ask(kelHelpContext, 12));
    EXPECT_TRUE(calls.empty());
    serve = false;
    EXPECT_TRUE(Ask(kelHelpContext, 12));
    EXPECT_EQ(1u, calls.size());
}

TEST_F(HelpRouterTest, ContextPopupsOpenAtTheSetPositionOnceThenAtTheCursor) {
    MakeRouter(THelpRouter::htHTMLhelp);
    router->Helpfile = "D:\\Docs\\Quib.chm";
    EXPECT_FALSE(Ask(kelHelpSetPopupPos, MAKELONG(120, 340))) << "storing the position shows nothing";
    EXPECT_EQ(120, router->PopupPosition().x);
    EXPECT_EQ(340, router->PopupPosition().y);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(Ask(kelHelpContextPopup, 1000));
    ASSERT_EQ(1u, calls.size());
    const HelpCall& popup = calls[0];
    EXPECT_EQ(kelHHDisplayTextPopup, popup.command);
    EXPECT_EQ("D:\\Docs\\Quib.chm::/CSHelp.txt", popup.file);
    EXPECT_EQ(Application->Handle(), popup.window) << "no form: the application window";
    EXPECT_EQ(int(sizeof(HH_POPUP)), popup.popup.cbStruct);  // as the viewer's own header sizes it
    EXPECT_EQ(1000u, popup.popup.idString);
    EXPECT_EQ("", popup.popupText);
    EXPECT_EQ(120, popup.popup.pt.x);
    EXPECT_EQ(340, popup.popup.pt.y);
    EXPECT_EQ(static_cast<COLORREF>(-1), popup.popup.clrForeground);
    EXPECT_EQ(static_cast<COLORREF>(-1), popup.popup.clrBackground);
    EXPECT_EQ(-1, popup.popup.rcMargins.left);
    EXPECT_EQ(-1, popup.popup.rcMargins.bottom);
    EXPECT_EQ("MS Sans Serif, 8", popup.popupFont);
    EXPECT_EQ(0, router->PopupPosition().x);
    EXPECT_EQ(0, router->PopupPosition().y);

    // Without a stored position: the cursor's. The result is true whatever the viewer did.
    SetCursorPos(77, 55);
    POINT cursor = {};
    GetCursorPos(&cursor);
    htmlResult = nullptr;
    router->CHMPopupTopics.clear();
    EXPECT_TRUE(Ask(kelHelpContextPopup, 7));
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(cursor.x, calls[1].popup.pt.x);
    EXPECT_EQ(cursor.y, calls[1].popup.pt.y);
    EXPECT_EQ("CSHelp.txt", router->CHMPopupTopics) << "an empty popup file name falls back";

    // A popup with a text needs no popup file.
    htmlResult = kHelpWindow;
    EXPECT_TRUE(router->HelpPopup(5, 6, 99, "Snooze postpones the alarm."));
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ("<none>", calls[2].file);
    EXPECT_EQ(0u, calls[2].popup.idString);
    EXPECT_EQ("Snooze postpones the alarm.", calls[2].popupText);
}

TEST_F(HelpRouterTest, WithShowTypeMainAContextPopupOpensTheTopicInTheMainWindow) {
    MakeRouter(THelpRouter::htHTMLhelp);
    router->ShowType = THelpRouter::stMain;
    EXPECT_TRUE(Ask(kelHelpContextPopup, 1010));
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(kelHHHelpContext, calls[0].command);
    EXPECT_EQ(1010u, calls[0].data);
    // The position request turns into a command of nothing.
    EXPECT_FALSE(Ask(kelHelpSetPopupPos, MAKELONG(1, 2)));
    EXPECT_EQ(0, router->PopupPosition().x);
}

TEST_F(HelpRouterTest, WinHelpAndMixedModeRouting) {
    MakeRouter(THelpRouter::htWinhelp);
    EXPECT_TRUE(Ask(kelHelpContext, 33));
    ASSERT_EQ(1u, calls.size());
    EXPECT_FALSE(calls[0].html);
    EXPECT_EQ("C:\\Prog\\Help.hlp", calls[0].file);
    EXPECT_EQ(Application->Handle(), calls[0].window);
    EXPECT_EQ(33u, calls[0].data);
    winHelpResult = FALSE;
    EXPECT_FALSE(Ask(kelHelpContents, 0));
    EXPECT_TRUE(appWinHelp.empty()) << "a failed WinHelp is not handed on";
    winHelpResult = TRUE;
    // Command 0 shows nothing and succeeds.
    router->ShowType = THelpRouter::stMain;
    calls.clear();
    EXPECT_TRUE(Ask(kelHelpSetPopupPos, 0));
    EXPECT_TRUE(calls.empty());

    // Mixed: popups go to WinHelp, the rest to HTML Help.
    router->HelpType = THelpRouter::htMixedMode;
    router->ShowType = THelpRouter::stDefault;
    router->Helpfile = "Popups.HLP";
    EXPECT_TRUE(Ask(kelHelpContextPopup, 1000));
    EXPECT_TRUE(Ask(kelHelpContext, 1000));
    ASSERT_EQ(2u, calls.size());
    EXPECT_FALSE(calls[0].html);
    EXPECT_EQ("Popups.hlp", calls[0].file);
    EXPECT_EQ(kelHelpContextPopup, calls[0].command);
    EXPECT_TRUE(calls[1].html);
    EXPECT_EQ("Popups.chm", calls[1].file);
}

TEST_F(HelpRouterTest, WithoutTheViewerRequestsAreLeftToTheClassLibrary) {
    MakeRouter(THelpRouter::htHTMLhelp);
    UnLoadHH();
    viewerMissing = true;
    EXPECT_FALSE(router->HTMLhelpInstalled());
    EXPECT_TRUE(Ask(kelHelpContext, 9)) << "the class library's WinHelp served it";
    ASSERT_EQ(1u, appWinHelp.size());
    EXPECT_EQ("C:\\Prog\\Help.hlp", appWinHelp[0].file);
    EXPECT_FALSE(router->HelpJump("", "intro"));
    EXPECT_FALSE(router->HelpPopup(1, 1, 5, ""));
    EXPECT_FALSE(router->HelpKLink("alarm"));
    EXPECT_FALSE(router->HelpALink("alarm"));
    EXPECT_TRUE(calls.empty());
    // Every request tried to load the viewer again, from the system's folder: a
    // copy beside the program must not be taken for it.
    EXPECT_GE(loads.size(), 5u);
    for (const std::string& name : loads) EXPECT_EQ(kelGetSystemDir() + "HHCTRL.OCX", name);

    // Once it can be had, it is used.
    viewerMissing = false;
    EXPECT_TRUE(router->HTMLhelpInstalled());
    EXPECT_TRUE(HHLoaded());
    EXPECT_NE(nullptr, HtmlHelpAEntry);
}

TEST_F(HelpRouterTest, QuittingBeforeAnyHtmlHelpLoadsNothing) {
    MakeRouter(THelpRouter::htHTMLhelp);
    UnLoadHH();
    calls.clear();
    loads.clear();
    EXPECT_TRUE(Ask(kelHelpQuit, 0));
    EXPECT_TRUE(loads.empty());
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(HHLoaded());
    EXPECT_TRUE(appWinHelp.empty());
    // Once loaded, letting the viewer go closes its windows first.
    ASSERT_TRUE(router->HTMLhelpInstalled());
    EXPECT_EQ(1u, loads.size());
    UnLoadHH();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(kelHHCloseAll, calls[0].command);
    EXPECT_FALSE(HHLoaded());
    EXPECT_EQ(nullptr, HtmlHelpAEntry);
}

TEST_F(HelpRouterTest, HelpJumpBuildsTheTopicsAddress) {
    MakeRouter(THelpRouter::htHTMLhelp);
    router->Helpfile = "C:\\Prog\\Help.chm";
    EXPECT_TRUE(router->HelpJump("", ""));
    EXPECT_TRUE(router->HelpJump("", "intro.htm"));
    EXPECT_TRUE(router->HelpJump("", "Tray.HTML"));
    EXPECT_TRUE(router->HelpJump("", "Adding reminders"));
    router->ValidateID = true;
    EXPECT_TRUE(router->HelpJump("", "Adding reminders"));
    EXPECT_TRUE(router->HelpJump("", "Files: where?"));
    EXPECT_TRUE(router->HelpJump("D:\\Other.hlp", "settings"));
    const std::vector<std::string> files = {
        "C:\\Prog\\Help.chm",
        "C:\\Prog\\Help.chm::/intro.htm",
        "C:\\Prog\\Help.chm::/Tray.HTML",
        "C:\\Prog\\Help.chm::/Adding reminders.htm",
        "C:\\Prog\\Help.chm::/Adding_reminders.htm",
        "C:\\Prog\\Help.chm::/Files_where.htm",
        "D:\\Other.chm::/settings.htm",
    };
    ASSERT_EQ(files.size(), calls.size());
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i], calls[i].file);
        EXPECT_EQ(kelHHDisplayTopic, calls[i].command);
        EXPECT_EQ(nullptr, calls[i].window);
    }
    htmlResult = nullptr;
    EXPECT_FALSE(router->HelpJump("", "intro"));
}

TEST_F(HelpRouterTest, HelpJumpInWinHelpRunsTheJumpMacroAfterTheContents) {
    MakeRouter(THelpRouter::htWinhelp);
    EXPECT_TRUE(router->HelpJump("", "alarms"));
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(kelHelpContents, calls[0].command);
    EXPECT_EQ("C:\\Prog\\Help.hlp", calls[0].file);
    EXPECT_EQ(kelHelpCommand, calls[1].command);
    EXPECT_EQ("JumpID(\"\",\"alarms\")", calls[1].text);
    // A long topic is cut to what WinHelp takes.
    calls.clear();
    EXPECT_TRUE(router->HelpJump("", std::string(400, 't')));
    EXPECT_EQ(255u, calls[1].text.size());
    // Without the contents there is no jump.
    calls.clear();
    winHelpResult = FALSE;
    EXPECT_FALSE(router->HelpJump("", "alarms"));
    EXPECT_EQ(1u, calls.size());
}

TEST_F(HelpRouterTest, KeywordAndAssociativeLinkLookups) {
    MakeRouter(THelpRouter::htHTMLhelp);
    EXPECT_TRUE(router->HelpKLink("alarm;snooze"));
    EXPECT_TRUE(router->HelpALink("TrayIcon"));
    ASSERT_EQ(4u, calls.size());
    EXPECT_EQ(kelHHDisplayTopic, calls[0].command);
    EXPECT_EQ("C:\\Prog\\Help.chm", calls[0].file);
    EXPECT_EQ(kelHHKeywordLookup, calls[1].command);
    EXPECT_EQ(int(sizeof(HH_AKLINK)), calls[1].link.cbStruct);
    EXPECT_EQ(std::string("alarm;snooze\0\0", 14), calls[1].keywords);
    EXPECT_FALSE(calls[1].link.fReserved);
    EXPECT_TRUE(calls[1].link.fIndexOnFail);
    ASSERT_NE(nullptr, calls[1].link.pszUrl);
    EXPECT_STREQ("", calls[1].link.pszUrl);
    EXPECT_STREQ("", calls[1].link.pszMsgText);
    EXPECT_STREQ("", calls[1].link.pszMsgTitle);
    EXPECT_STREQ("", calls[1].link.pszWindow);
    EXPECT_EQ(kelHHAlinkLookup, calls[3].command);
    EXPECT_EQ(std::string("TrayIcon\0\0", 10), calls[3].keywords);
    // No window for the file: no look-up.
    calls.clear();
    htmlResult = nullptr;
    EXPECT_FALSE(router->HelpKLink("alarm"));
    EXPECT_EQ(1u, calls.size());

    // WinHelp: the contents, then the macro.
    router->HelpType = THelpRouter::htWinhelp;
    calls.clear();
    EXPECT_TRUE(router->HelpKLink("alarm"));
    EXPECT_TRUE(router->HelpALink("tray"));
    ASSERT_EQ(4u, calls.size());
    EXPECT_EQ("KL(\"alarm\",1)", calls[1].text);
    EXPECT_EQ("AL(\"tray\",1)", calls[3].text);
    EXPECT_EQ("C:\\Prog\\Help.hlp", calls[3].file);
}

TEST_F(HelpRouterTest, TheHelpFileAndWindowComeFromTheCurrentForm) {
    RouterForm* owner = NewForm<RouterForm>(nullptr);
    router = std::make_unique<THelpRouter>(owner);
    RouterForm* other = NewForm<RouterForm>(nullptr);
    // Nothing active: the owner is the current form.
    Screen->FormGone(Screen->ActiveForm());
    Screen->FormGone(Screen->ActiveCustomForm());
    EXPECT_EQ(owner, router->CurrentForm());
    EXPECT_EQ(owner->Handle(), router->FindHandle());
    EXPECT_EQ("C:\\Prog\\Help.hlp", router->FindHelpfile());
    owner->HelpFile = "C:\\Prog\\Owner.chm";
    EXPECT_EQ("C:\\Prog\\Owner.chm", router->FindHelpfile());
    // The active form wins over the owner.
    SendMessageA(other->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(other, router->CurrentForm());
    EXPECT_EQ(other->Handle(), router->FindHandle());
    EXPECT_EQ("C:\\Prog\\Help.hlp", router->FindHelpfile());
    // Helpfile wins over everything.
    router->Helpfile = "E:\\Own.chm";
    EXPECT_EQ("E:\\Own.chm", router->FindHelpfile());
    router.reset();
    FreeForm(other);
    FreeForm(owner);
}

TEST(HelpRouterIds, ValidateHtmlIdMapsEachCharacterByTheTable) {
    // "Größe: A/B?" in the Western code page.
    EXPECT_EQ("Grose_AB", THelpRouter::ValidateHTMLID("Gr\xF6\xDF" "e: A/B?"));
    EXPECT_EQ("___", THelpRouter::ValidateHTMLID(" %."));
    EXPECT_EQ("", THelpRouter::ValidateHTMLID("\",/:?\\|\xBF"));
    EXPECT_EQ("++~~()", THelpRouter::ValidateHTMLID("&*<>[]"));
    EXPECT_EQ("aaoouus", THelpRouter::ValidateHTMLID("\xC4\xE4\xD6\xF6\xDC\xFC\xDF"));
    EXPECT_EQ("Tab-1_x\xE9", THelpRouter::ValidateHTMLID("Tab-1.x\xE9"));
}

TEST(HelpRouterStreaming, HelpTypeIsAlwaysStoredAndThePropertiesReadBack) {
    RegisterPersistentClass(THelpRouter::StaticClassInfo());
    TMemoryStream stream;
    {
        THelpRouter written(nullptr);
        written.SetName("HelpRouter1");
        WriteComponent(stream, &written);
        const std::string bytes(stream.Bytes().begin(), stream.Bytes().end());
        EXPECT_NE(std::string::npos, bytes.find("htWinhelp")) << "the default type is written too";
        EXPECT_EQ(std::string::npos, bytes.find("ShowType"));
        stream.Clear();
        written.HelpType = THelpRouter::htHTMLhelp;
        written.ShowType = THelpRouter::stPopup;
        written.Helpfile = "Help.chm";
        written.ValidateID = true;
        WriteComponent(stream, &written);
    }
    stream.SetPosition(0);
    std::unique_ptr<TComponent> read(ReadComponent(stream, nullptr));
    auto* router = dynamic_cast<THelpRouter*>(read.get());
    ASSERT_NE(nullptr, router);
    EXPECT_EQ(THelpRouter::htHTMLhelp, router->HelpType);
    EXPECT_EQ(THelpRouter::stPopup, router->ShowType);
    EXPECT_EQ("Help.chm", router->Helpfile);
    EXPECT_EQ("CSHelp.txt", router->CHMPopupTopics);
    EXPECT_TRUE(router->ValidateID);
    read.reset();
    UnRegisterPersistentClass(THelpRouter::StaticClassInfo());
}

#ifdef QR_HELP_CHM
namespace {

// The build's help file as the program sees it (Wine's drive Z: is the root).
std::string HelpFileOfTheBuild() {
    std::string path = "Z:" + std::string(QR_HELP_CHM);
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

BOOL CALLBACK CountTreeItems(HWND child, LPARAM data) {
    char name[64] = {};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "SysTreeView32") == 0)
        *reinterpret_cast<int*>(data) += static_cast<int>(SendMessageA(child, TV_FIRST + 5 /* TVM_GETCOUNT */, 0, 0));
    return TRUE;
}

}  // namespace

TEST(HelpViewer, TheProgramsHelpFileOpensInTheSystemsViewer) {
    const std::string file = HelpFileOfTheBuild();
    if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no Help.chm was built";
    UnLoadHH();
    THelpRouter router(nullptr);
    router.HelpType = THelpRouter::htHTMLhelp;
    router.Helpfile = file;

    // The contents, as the help menu opens them: the default topic with the table of contents.
    ASSERT_TRUE(router.HelpJump("", ""));
    HWND viewer = HtmlHelpCall(nullptr, file.c_str(), kelHHDisplayTopic, 0);
    ASSERT_TRUE(IsWindow(viewer));
    char title[64] = {};
    GetWindowTextA(viewer, title, sizeof title);
    EXPECT_STREQ("Quib Reminder Help", title);
    int items = 0;
    EnumChildWindows(viewer, CountTreeItems, reinterpret_cast<LPARAM>(&items));
    EXPECT_EQ(8, items) << "the contents list every page";
    PumpMessages();

    // Pages by name, topic numbers through the application's help, and a keyword.
    for (const char* topic : {"reminders", "alarms.htm", "tray", "settings", "calendar", "backups", "files"})
        EXPECT_TRUE(router.HelpJump("", topic)) << topic;
    for (int context : {1000, 1100, 1200, 1300, 1400}) EXPECT_TRUE(Application->HelpContext(context)) << context;
    EXPECT_FALSE(Application->HelpContext(9999)) << "a number the file does not map";
    EXPECT_TRUE(router.HelpKeyword("Snooze"));
    EXPECT_FALSE(router.HelpJump("Z:\\no\\such\\Help.chm", ""));
    PumpMessages();

    // Quitting closes the viewer.
    EXPECT_FALSE(Application->HelpCommand(kelHelpQuit, 0)) << "closing answers with no window";
    EXPECT_FALSE(IsWindow(viewer));
    UnLoadHH();
}
#endif
