// THelpRouter: takes over the application's help requests and sends them to an
// HTML Help file (".chm") or a WinHelp file (".hlp"), by its routing table, and
// offers direct calls: a jump to a topic, a text popup, keyword and
// associative-link look-ups. At most one router exists at a time at run time; it
// owns the application's help event from its construction to its destruction.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "classlib/Classes.h"
#include "classlib/Forms.h"
#include "classlib/Streaming.h"

// The help commands of the platform's help interfaces, as the router routes them.
constexpr uint16_t kelHelpContext = 0x0001;       // HELP_CONTEXT
constexpr uint16_t kelHelpQuit = 0x0002;          // HELP_QUIT
constexpr uint16_t kelHelpContents = 0x0003;      // HELP_CONTENTS
constexpr uint16_t kelHelpContextPopup = 0x0008;  // HELP_CONTEXTPOPUP
constexpr uint16_t kelHelpFinder = 0x000B;        // HELP_FINDER
constexpr uint16_t kelHelpSetPopupPos = 0x000D;   // HELP_SETPOPUP_POS
constexpr uint16_t kelHelpTab = 0x000F;           // HELP_TAB
constexpr uint16_t kelHelpKey = 0x0101;           // HELP_KEY
constexpr uint16_t kelHelpCommand = 0x0102;       // HELP_COMMAND
constexpr uint16_t kelHelpPartialKey = 0x0105;    // HELP_PARTIALKEY

// The HTML Help commands the router sends.
constexpr UINT kelHHDisplayTopic = 0x00;      // HH_DISPLAY_TOPIC
constexpr UINT kelHHDisplayToc = 0x01;        // HH_DISPLAY_TOC
constexpr UINT kelHHDisplayIndex = 0x02;      // HH_DISPLAY_INDEX
constexpr UINT kelHHKeywordLookup = 0x0D;     // HH_KEYWORD_LOOKUP
constexpr UINT kelHHDisplayTextPopup = 0x0E;  // HH_DISPLAY_TEXT_POPUP
constexpr UINT kelHHHelpContext = 0x0F;       // HH_HELP_CONTEXT
constexpr UINT kelHHCloseAll = 0x12;          // HH_CLOSE_ALL
constexpr UINT kelHHAlinkLookup = 0x13;       // HH_ALINK_LOOKUP

// HTML Help's text-popup record, naturally aligned as the viewer reads it.
struct THHPopup {
    int32_t cbStruct;
    HINSTANCE hinst;
    uint32_t idString;  // a topic number of the popup topics file, or 0 with a text
    const char* pszText;
    POINT pt;
    COLORREF clrForeground;
    COLORREF clrBackground;
    RECT rcMargins;
    const char* pszFont;
};
// HTML Help's keyword and associative-link look-up record.
struct THHAKLink {
    int32_t cbStruct;
    BOOL fReserved;
    const char* pszKeywords;  // keywords separated by ";", followed by one extra NUL
    const char* pszUrl;
    const char* pszMsgText;
    const char* pszMsgTitle;
    const char* pszWindow;
    BOOL fIndexOnFail;
};
#ifdef _WIN64
static_assert(sizeof(THHPopup) == 72, "HTML Help's popup record");
static_assert(offsetof(THHPopup, hinst) == 8 && offsetof(THHPopup, pt) == 32 && offsetof(THHPopup, pszFont) == 64,
              "popup record layout");
static_assert(sizeof(THHAKLink) == 56, "HTML Help's link record");
static_assert(offsetof(THHAKLink, pszKeywords) == 8 && offsetof(THHAKLink, fIndexOnFail) == 48, "link record layout");
#else
static_assert(sizeof(THHPopup) == 52, "HTML Help's popup record");
static_assert(offsetof(THHPopup, hinst) == 4 && offsetof(THHPopup, pt) == 16 && offsetof(THHPopup, pszFont) == 48,
              "popup record layout");
static_assert(sizeof(THHAKLink) == 32, "HTML Help's link record");
static_assert(offsetof(THHAKLink, pszKeywords) == 8 && offsetof(THHAKLink, fIndexOnFail) == 28, "link record layout");
#endif

class THelpRouter : public TComponent {
public:
    // The form's THelpType names another thing, so the router's types live in the class.
    enum THelpType { htWinhelp, htHTMLhelp, htMixedMode };
    enum TShowType { stDefault, stMain, stPopup };

    explicit THelpRouter(TComponent* owner);
    ~THelpRouter() override;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "THelpRouter"; }

    //--- Published properties

    // Which help system serves requests (always stored).
    THelpType HelpType = htWinhelp;
    // With stMain, context popups are shown as normal topics.
    TShowType ShowType = stDefault;
    // The help file; empty means the current form's or the application's.
    std::string Helpfile;
    // The text-popup topics file inside the ".chm".
    std::string CHMPopupTopics;
    // The user's handler, asked first.
    THelpEvent OnHelp;
    // HelpJump cleans topic identifiers with ValidateHTMLID.
    bool ValidateID = false;

    //--- Operations

    // The handler installed as the application's help event: the routing table.
    bool OnRouteHelp(uint16_t command, intptr_t data, bool& callHelp);
    // Opens a topic of a help file (empty: FindHelpfile); an empty topic opens the
    // file's default topic. True when the help window opened.
    bool HelpJump(const std::string& helpFile, const std::string& topic);
    // A text popup at (x, y): topic number id of the popup topics file, or the text.
    bool HelpPopup(int x, int y, uint32_t id, const std::string& text);
    // The contents (HELP_TAB) and a keyword (HELP_KEY), through the application.
    bool HelpContent();
    bool HelpKeyword(const std::string& keyword);
    // Keyword and associative-link look-ups (keywords separated by ";").
    bool HelpKLink(const std::string& keywords);
    bool HelpALink(const std::string& keywords);
    // Loads the HTML Help viewer when needed; true when its entry is known.
    bool HTMLhelpInstalled();
    // Helpfile, else the current form's help file, else the application's.
    std::string FindHelpfile();
    // The current form's window when it has one, else the application window.
    HWND FindHandle();
    // The screen's active form, else its active custom form, else the owner as a form.
    TCustomForm* CurrentForm();
    // The identifier made fit to be a topic's file name.
    static std::string ValidateHTMLID(const std::string& identifier);

    // The one router of the program (null while there is none).
    static THelpRouter* Instance();
    // The file the last operation resolved.
    static const std::string& CurrentHelpFile();
    // Where the next context popup opens; (0, 0) means at the cursor.
    POINT PopupPosition() const { return m_popupPos; }

private:
    bool IsDesigning() const { return HasState(csDesigning); }
    bool LinkLookup(const std::string& keywords, const char* macro, UINT lookupCommand);

    THelpEvent m_savedHelp;
    POINT m_popupPos = {0, 0};
};

// Start and end of the unit (run by kelInitialize and kelFinalize).
void HelpRouterInitialize();
void HelpRouterFinalize();
