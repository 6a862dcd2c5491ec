// THelpRouter: the routing table and the direct help calls.
#include "components/HelpRouter.h"

#include <algorithm>
#include <cstring>

#include "components/HtmlHelpLoader.h"
#include "components/kelPlatformHooks.h"

namespace {

// The unit's state, shared by every call (they run one at a time on the GUI thread).
THelpRouter* gInstance = nullptr;
std::string gCurrentHelpFile;
std::string gKeywords;
THHPopup gPopup = {};
THHAKLink gLink = {};
// The texts the records point at.
std::string gPopupText;

constexpr size_t kMacroLimit = 255;
constexpr char kDefaultPopupTopics[] = "CSHelp.txt";
constexpr char kPopupFont[] = "MS Sans Serif, 8";
constexpr char kEmpty[] = "";

std::string WinHelpFileOf(const std::string& file) {
    return ChangeFileExt(file, ".hlp");
}

std::string HtmlHelpFileOf(const std::string& file) {
    return ChangeFileExt(file, ".chm");
}

// A WinHelp macro with its argument, cut to what WinHelp takes.
std::string Macro(const char* format, const std::string& argument) {
    std::string macro = Format(format, argument);
    if (macro.size() > kMacroLimit) macro.resize(kMacroLimit);
    return macro;
}

// Opens the current WinHelp file's contents, then runs the macro in it.
bool RunWinHelpMacro(HWND window, const std::string& macro) {
    if (!kelWinHelp(window, gCurrentHelpFile.c_str(), kelHelpContents, 0)) return false;
    return kelWinHelp(window, gCurrentHelpFile.c_str(), kelHelpCommand, reinterpret_cast<ULONG_PTR>(macro.c_str())) !=
           FALSE;
}

}  // namespace

//--- Unit start and end

void HelpRouterInitialize() {}

void HelpRouterFinalize() {
    gCurrentHelpFile.clear();
    gCurrentHelpFile.shrink_to_fit();
    gKeywords.clear();
    gKeywords.shrink_to_fit();
    gPopupText.clear();
    gPopupText.shrink_to_fit();
}

//--- Class and construction

const TClassInfo& THelpRouter::StaticClassInfo() {
    static const TClassInfo info(
        "THelpRouter", &TComponent::StaticClassInfo(), &CreateComponentOf<THelpRouter>, [](TPropList& list) {
            TPublished<THelpRouter>(list)
                .Enumeration(
                    "HelpType", [](const THelpRouter& r) { return r.HelpType; },
                    [](THelpRouter& r, THelpType v) { r.HelpType = v; }, {"htWinhelp", "htHTMLhelp", "htMixedMode"},
                    htWinhelp)
                .NoDefault()
                .Enumeration(
                    "ShowType", [](const THelpRouter& r) { return r.ShowType; },
                    [](THelpRouter& r, TShowType v) { r.ShowType = v; }, {"stDefault", "stMain", "stPopup"},
                    stDefault)
                .String(
                    "Helpfile", [](const THelpRouter& r) { return r.Helpfile; },
                    [](THelpRouter& r, const std::string& v) { r.Helpfile = v; })
                .String(
                    "CHMPopupTopics", [](const THelpRouter& r) { return r.CHMPopupTopics; },
                    [](THelpRouter& r, const std::string& v) { r.CHMPopupTopics = v; })
                .Boolean(
                    "ValidateID", [](const THelpRouter& r) { return r.ValidateID; },
                    [](THelpRouter& r, bool v) { r.ValidateID = v; }, false);
        });
    return info;
}

THelpRouter::THelpRouter(TComponent* owner) : TComponent(owner) {
    if (gInstance) throw Exception("Multiple instances of THelpRouter are not allowed");
    if (!IsDesigning() && Application) {
        m_savedHelp = Application->OnHelp;
        Application->OnHelp = [this](uint16_t command, intptr_t data, bool& callHelp) {
            return OnRouteHelp(command, data, callHelp);
        };
        gInstance = this;
    }
    ShowType = stDefault;
    CHMPopupTopics = kDefaultPopupTopics;
}

THelpRouter::~THelpRouter() {
    // Only the router that took the application's help event gives it back; a
    // router made in design mode never took it.
    if (gInstance == this) {
        if (Application) Application->OnHelp = m_savedHelp;
        gInstance = nullptr;
    }
}

THelpRouter* THelpRouter::Instance() {
    return gInstance;
}

const std::string& THelpRouter::CurrentHelpFile() {
    return gCurrentHelpFile;
}

//--- Where help goes

TCustomForm* THelpRouter::CurrentForm() {
    if (Screen && Screen->ActiveForm()) return Screen->ActiveForm();
    if (Screen && Screen->ActiveCustomForm()) return Screen->ActiveCustomForm();
    return dynamic_cast<TCustomForm*>(Owner());
}

std::string THelpRouter::FindHelpfile() {
    if (!Helpfile.empty()) return Helpfile;
    TCustomForm* form = CurrentForm();
    if (form && form->HandleAllocated() && !form->HelpFile.empty()) return form->HelpFile;
    return Application ? Application->HelpFile : std::string();
}

HWND THelpRouter::FindHandle() {
    TCustomForm* form = CurrentForm();
    if (form && form->HandleAllocated()) return form->Handle();
    return Application ? Application->Handle() : nullptr;
}

bool THelpRouter::HTMLhelpInstalled() {
    if (!HHLoaded()) LoadHH();
    return HtmlHelpAEntry != nullptr;
}

//--- The routing table

bool THelpRouter::OnRouteHelp(uint16_t command, intptr_t data, bool& callHelp) {
    bool result = false;
    if (OnHelp) result = OnHelp(command, data, callHelp);
    if (callHelp && m_savedHelp) result = m_savedHelp(command, data, callHelp);
    if (!callHelp) return result;

    gCurrentHelpFile = FindHelpfile();
    if (ShowType == stMain) {
        if (command == kelHelpContextPopup)
            command = kelHelpContext;
        else if (command == kelHelpSetPopupPos)
            command = 0;
    }
    const bool popupCommand = command == kelHelpContextPopup || command == kelHelpSetPopupPos;
    const bool html = HelpType == htHTMLhelp || (HelpType == htMixedMode && !popupCommand);

    if (html) {
        if (!HHLoaded() && command == kelHelpQuit) {
            // Nothing is loaded just to close it.
            callHelp = false;
            return true;
        }
        // Without the viewer the class library's own help handling goes on.
        if (!HTMLhelpInstalled()) return result;
        gCurrentHelpFile = HtmlHelpFileOf(gCurrentHelpFile);
        const char* file = gCurrentHelpFile.c_str();
        HWND window = nullptr;
        switch (command) {
            case kelHelpContext:
                window = HtmlHelpCall(nullptr, file, kelHHHelpContext, static_cast<DWORD_PTR>(data));
                break;
            case kelHelpQuit: window = HtmlHelpCall(nullptr, nullptr, kelHHCloseAll, 0); break;
            case kelHelpContents:
            case kelHelpFinder: window = HtmlHelpCall(nullptr, file, kelHHDisplayToc, 0); break;
            case kelHelpTab:
                // The tab's number is no keyword: the index opens without one.
                window = HtmlHelpCall(nullptr, file, data != 0 ? kelHHDisplayIndex : kelHHDisplayToc, 0);
                break;
            case kelHelpKey:
            case kelHelpPartialKey:
                window = HtmlHelpCall(nullptr, file, kelHHDisplayIndex, static_cast<DWORD_PTR>(data));
                break;
            case kelHelpSetPopupPos:
                m_popupPos.x = static_cast<int16_t>(static_cast<uint32_t>(data) & 0xFFFF);
                m_popupPos.y = static_cast<int16_t>((static_cast<uint32_t>(data) >> 16) & 0xFFFF);
                break;
            case kelHelpContextPopup: {
                POINT position = m_popupPos;
                if (position.x == 0 && position.y == 0) GetCursorPos(&position);
                HelpPopup(position.x, position.y, static_cast<uint32_t>(data), std::string());
                m_popupPos = POINT{0, 0};
                callHelp = false;
                return true;
            }
            default: break;
        }
        callHelp = false;
        return window != nullptr;
    }

    // WinHelp.
    if (command == 0) {
        callHelp = false;
        return true;
    }
    if (command == kelHelpContextPopup && HelpType == htMixedMode &&
        LowerCase(ExtractFileExt(Helpfile)) == ".hlp") {
        gCurrentHelpFile =
            ExtractFilePath(Helpfile).empty() ? ExtractFilePath(gCurrentHelpFile) + Helpfile : Helpfile;
    }
    gCurrentHelpFile = WinHelpFileOf(gCurrentHelpFile);
    result = kelWinHelp(FindHandle(), gCurrentHelpFile.c_str(), command, static_cast<ULONG_PTR>(data)) != FALSE;
    callHelp = false;
    return result;
}

//--- Direct calls

bool THelpRouter::HelpJump(const std::string& helpFile, const std::string& topic) {
    gCurrentHelpFile = helpFile.empty() ? FindHelpfile() : helpFile;
    if (HelpType == htWinhelp) {
        gCurrentHelpFile = WinHelpFileOf(gCurrentHelpFile);
        return RunWinHelpMacro(FindHandle(), Macro("JumpID(\"\",\"%s\")", topic));
    }
    if (!HTMLhelpInstalled()) return false;
    gCurrentHelpFile = HtmlHelpFileOf(gCurrentHelpFile);
    if (!topic.empty()) {
        std::string name = topic;
        if (LowerCase(ExtractFileExt(name)).compare(0, 4, ".htm") != 0) {
            if (ValidateID) name = ValidateHTMLID(name);
            name += ".htm";
        }
        gCurrentHelpFile += "::/" + name;
    }
    return HtmlHelpCall(nullptr, gCurrentHelpFile.c_str(), kelHHDisplayTopic, 0) != nullptr;
}

bool THelpRouter::HelpPopup(int x, int y, uint32_t id, const std::string& text) {
    if (!HTMLhelpInstalled()) return false;
    gPopupText = text;
    gPopup = THHPopup{};
    gPopup.cbStruct = sizeof(THHPopup);
    gPopup.hinst = nullptr;
    gPopup.idString = text.empty() ? id : 0;
    gPopup.pszText = gPopupText.c_str();
    gPopup.pt = POINT{x, y};
    gPopup.clrForeground = static_cast<COLORREF>(-1);
    gPopup.clrBackground = static_cast<COLORREF>(-1);
    gPopup.rcMargins = RECT{-1, -1, -1, -1};
    gPopup.pszFont = kPopupFont;
    HWND window = nullptr;
    if (gPopup.idString != 0) {
        if (CHMPopupTopics.empty()) CHMPopupTopics = kDefaultPopupTopics;
        gCurrentHelpFile = HtmlHelpFileOf(FindHelpfile()) + "::/" + CHMPopupTopics;
        window = HtmlHelpCall(FindHandle(), gCurrentHelpFile.c_str(), kelHHDisplayTextPopup,
                              reinterpret_cast<DWORD_PTR>(&gPopup));
    } else {
        window = HtmlHelpCall(FindHandle(), nullptr, kelHHDisplayTextPopup, reinterpret_cast<DWORD_PTR>(&gPopup));
    }
    return window != nullptr;
}

bool THelpRouter::HelpContent() {
    return Application && Application->HelpCommand(kelHelpTab, 0);
}

bool THelpRouter::HelpKeyword(const std::string& keyword) {
    char buffer[256] = {};
    std::memcpy(buffer, keyword.data(), std::min<size_t>(keyword.size(), 255));
    return Application && Application->HelpCommand(kelHelpKey, reinterpret_cast<intptr_t>(buffer));
}

bool THelpRouter::HelpKLink(const std::string& keywords) {
    return LinkLookup(keywords, "KL(\"%s\",1)", kelHHKeywordLookup);
}

bool THelpRouter::HelpALink(const std::string& keywords) {
    return LinkLookup(keywords, "AL(\"%s\",1)", kelHHAlinkLookup);
}

bool THelpRouter::LinkLookup(const std::string& keywords, const char* macroFormat, UINT lookupCommand) {
    if (HelpType == htWinhelp) {
        gCurrentHelpFile = WinHelpFileOf(FindHelpfile());
        return RunWinHelpMacro(FindHandle(), Macro(macroFormat, keywords));
    }
    if (!HTMLhelpInstalled()) return false;
    gCurrentHelpFile = HtmlHelpFileOf(FindHelpfile());
    gKeywords = keywords;
    gKeywords.push_back('\0');
    gLink = THHAKLink{};
    gLink.cbStruct = sizeof(THHAKLink);
    gLink.fReserved = FALSE;
    gLink.pszKeywords = gKeywords.c_str();
    gLink.pszUrl = kEmpty;
    gLink.pszMsgText = kEmpty;
    gLink.pszMsgTitle = kEmpty;
    gLink.pszWindow = kEmpty;
    gLink.fIndexOnFail = TRUE;
    if (!HtmlHelpCall(nullptr, gCurrentHelpFile.c_str(), kelHHDisplayTopic, 0)) return false;
    return HtmlHelpCall(nullptr, gCurrentHelpFile.c_str(), lookupCommand, reinterpret_cast<DWORD_PTR>(&gLink)) !=
           nullptr;
}

//--- Topic identifiers

std::string THelpRouter::ValidateHTMLID(const std::string& identifier) {
    std::string result;
    result.reserve(identifier.size());
    for (const char c : identifier) {
        switch (static_cast<unsigned char>(c)) {
            case ' ':
            case '%':
            case '.': result += '_'; break;
            case '"':
            case ',':
            case '/':
            case ':':
            case '?':
            case '\\':
            case '|':
            case 0xBF: break;
            case '&':
            case '*': result += '+'; break;
            case '<':
            case '>': result += '~'; break;
            case '[': result += '('; break;
            case ']': result += ')'; break;
            case 0xC4:
            case 0xE4: result += 'a'; break;
            case 0xD6:
            case 0xF6: result += 'o'; break;
            case 0xDC:
            case 0xFC: result += 'u'; break;
            case 0xDF: result += 's'; break;
            default: result += c; break;
        }
    }
    return result;
}
