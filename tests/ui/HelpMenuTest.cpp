// The main window's help: the help router it carries, "Contents and Index"
// opening the program folder's help file, and F1 asking for the window's
// keyword there. The viewer's calls are recorded, never made.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SkinTestSupport.h"
#include "components/HelpRouter.h"
#include "components/kelPlatformHooks.h"

namespace {

struct ViewerCall {
    HWND caller;
    std::string file;
    UINT command;
    std::string keyword;
};

class HelpMenuTest : public SkinnedTest {
protected:
    void SetUp() override {
        SkinnedTest::SetUp();
        kelPlatformHooks().HtmlHelpCall = [this](HWND caller, const char* file, UINT command, DWORD_PTR data) {
            ViewerCall call{caller, file ? file : "<none>", command, ""};
            if (command == kelHHDisplayIndex && data) call.keyword = reinterpret_cast<const char*>(data);
            calls.push_back(call);
            return reinterpret_cast<HWND>(0x4711);
        };
    }
    void TearDown() override {
        kelPlatformHooks().HtmlHelpCall = nullptr;
        SkinnedTest::TearDown();
    }
    std::vector<ViewerCall> calls;
};

}  // namespace

TEST_F(HelpMenuTest, ContentsOpensTheProgramsHelpFileAndF1ItsIndexAtTheWindowsKeyword) {
    THelpRouter* router = MainForm->HelpRouter;
    ASSERT_NE(nullptr, router);
    EXPECT_EQ(router, THelpRouter::Instance());
    EXPECT_EQ(THelpRouter::htHTMLhelp, router->HelpType);
    EXPECT_EQ("CSHelp.txt", router->CHMPopupTopics);
    EXPECT_TRUE(router->ValidateID);
    // The program folder's file, whatever the current folder.
    EXPECT_EQ(folder + "Help.chm", router->Helpfile);

    MainForm->Contentsandindex1->Click();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(nullptr, calls[0].caller);
    EXPECT_EQ(folder + "Help.chm", calls[0].file);
    EXPECT_EQ(kelHHDisplayTopic, calls[0].command);

    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.hItemHandle = MainForm->Handle();
    SendMessageA(MainForm->Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(folder + "Help.chm", calls[1].file);
    EXPECT_EQ(kelHHDisplayIndex, calls[1].command);
    EXPECT_EQ("1000", calls[1].keyword);
}
