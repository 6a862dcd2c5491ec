// The start button, colour picker, autorun, shutdown, single-instance and wave
// player components.
#include "components/kelDesktopComponents.h"

#include <mmsystem.h>

#include <cstring>

#include "classlib/Forms.h"
#include "components/kelClassLibLink.h"
#include "components/kelGraphics.h"
#include "components/kelPlatformHooks.h"
#include "components/kelVclConsts.h"
#include "components/kelVclUtils.h"

namespace {

// SWP_NOZORDER | SWP_NOACTIVATE.
constexpr UINT kMoveFlags = 20;

const std::vector<std::string> kAutoExecKindNames = {"aekMachineRun", "aekMachineRunOnce", "aekUserRun",
                                                     "aekUserRunOnce", "aekServiceRun",     "aekServiceRunOnce"};
const std::vector<std::string> kPlayFromNames = {"pfFile", "pfResource", "pfDFM", "pfSystemEvent"};
const std::vector<std::string> kShutdownActionNames = {"aatPowerOff", "aatShutdown", "aatReboot",
                                                       "aatLogOff",   "aatSuspend",  "aatHibernate"};

}  // namespace

//=== TkelStartButtonProperties

const TClassInfo& TkelStartButtonProperties::StaticClassInfo() {
    using T = TkelStartButtonProperties;
    static const TClassInfo info(
        "TkelStartButtonProperties", &TkelComponent::StaticClassInfo(), &CreateComponentOf<T>, [](TPropList& list) {
            TPublished<T> published(list);
            PublishAbout(published)
                .Integer("ButtonLeft", &T::ButtonLeft, &T::SetButtonLeft, 0)
                .NoDefault()
                .Integer("ButtonTop", &T::ButtonTop, &T::SetButtonTop, 0)
                .NoDefault()
                .Integer("ButtonWidth", &T::ButtonWidth, &T::SetButtonWidth, 0)
                .NoDefault()
                .Integer("ButtonHeight", &T::ButtonHeight, &T::SetButtonHeight, 0)
                .NoDefault()
                .Boolean("Enabled", &T::Enabled, &T::SetEnabled, true)
                .Boolean("Visible", &T::Visible, &T::SetVisible, true);
        });
    return info;
}

TkelStartButtonProperties::TkelStartButtonProperties(TComponent* owner)
    : TkelComponent(owner), m_button(kelFindStartButton()) {}

void TkelStartButtonProperties::UpdateBounds() const {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!m_button || !GetWindowPlacement(m_button, &placement)) return;
    const RECT& r = placement.rcNormalPosition;
    m_left = r.left;
    m_top = r.top;
    m_width = r.right - r.left;
    m_height = r.bottom - r.top;
}

void TkelStartButtonProperties::SetBounds(int left, int top, int width, int height) {
    // Against the button's present bounds: a cache last read long ago would let a
    // change through as no change, or hold it back.
    UpdateBounds();
    if (left == m_left && top == m_top && width == m_width && height == m_height) return;
    if (m_button) SetWindowPos(m_button, nullptr, left, top, width, height, kMoveFlags);
}

int TkelStartButtonProperties::ButtonLeft() const {
    UpdateBounds();
    return m_left;
}

int TkelStartButtonProperties::ButtonTop() const {
    UpdateBounds();
    return m_top;
}

int TkelStartButtonProperties::ButtonWidth() const {
    UpdateBounds();
    return m_width;
}

int TkelStartButtonProperties::ButtonHeight() const {
    UpdateBounds();
    return m_height;
}

// Each single setter keeps the other three as they are now: the cache is read
// first, so that setting the left of a button whose bounds were never asked for
// does not shrink it to nothing.
void TkelStartButtonProperties::SetButtonLeft(int value) {
    UpdateBounds();
    SetBounds(value, m_top, m_width, m_height);
}

void TkelStartButtonProperties::SetButtonTop(int value) {
    UpdateBounds();
    SetBounds(m_left, value, m_width, m_height);
}

void TkelStartButtonProperties::SetButtonWidth(int value) {
    UpdateBounds();
    SetBounds(m_left, m_top, value, m_height);
}

void TkelStartButtonProperties::SetButtonHeight(int value) {
    UpdateBounds();
    SetBounds(m_left, m_top, m_width, value);
}

RECT TkelStartButtonProperties::BoundsRect() const {
    UpdateBounds();
    return RECT{m_left, m_top, m_left + m_width, m_top + m_height};
}

void TkelStartButtonProperties::SetBoundsRect(const RECT& rect) {
    SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

std::string TkelStartButtonProperties::Caption() const {
    char text[256] = {};
    if (m_button) GetWindowTextA(m_button, text, sizeof text);
    return text;
}

void TkelStartButtonProperties::SetCaption(const std::string& value) {
    if (m_button) SetWindowTextA(m_button, value.c_str());
}

bool TkelStartButtonProperties::Enabled() const {
    return m_button && IsWindowEnabled(m_button);
}

void TkelStartButtonProperties::SetEnabled(bool value) {
    if (m_button) EnableWindow(m_button, value);
}

bool TkelStartButtonProperties::Visible() const {
    return m_button && IsWindowVisible(m_button);
}

void TkelStartButtonProperties::SetVisible(bool value) {
    if (m_button) ShowWindow(m_button, value ? SW_SHOW : SW_HIDE);
}

//=== TkelColorPicker

const TClassInfo& TkelColorPicker::StaticClassInfo() {
    using T = TkelColorPicker;
    static const TClassInfo info("TkelColorPicker", &TkelCustomTimer::StaticClassInfo(), &CreateComponentOf<T>,
                                 [](TPropList& list) {
                                     TPublished<T> published(list);
                                     PublishAbout(published)
                                         .Boolean("Enabled", &T::Enabled, &T::SetEnabled, true)
                                         .Cardinal("Interval", &T::Interval, &T::SetInterval, 100);
                                 });
    return info;
}

TkelColorPicker::TkelColorPicker(TComponent* owner) : TkelCustomTimer(owner) {
    SetInterval(100);
}

void TkelColorPicker::Timer() {
    TkelCustomTimer::Timer();
    UpdateCursor();
}

void TkelColorPicker::UpdateCursor() {
    if (m_cursor != 0) ::SetCursor(Screen->Cursors(m_cursor));
}

TColor TkelColorPicker::GetColor() const {
    return kelGetColorUnderCursor();
}

void TkelColorPicker::SetCursor(int16_t value) {
    if (value == m_cursor) return;
    m_cursor = value;
    UpdateCursor();
}

//=== TkelAutoRun

const TClassInfo& TkelAutoRun::StaticClassInfo() {
    using T = TkelAutoRun;
    static const TClassInfo info("TkelAutoRun", &TkelComponent::StaticClassInfo(), &CreateComponentOf<T>,
                                 [](TPropList& list) {
                                     TPublished<T> published(list);
                                     PublishAbout(published)
                                         .Boolean("AutoRun", &T::AutoRun, &T::SetAutoRun, false)
                                         .String("FileName", &T::FileName, &T::SetFileName)
                                         .Enumeration("Kind", &T::Kind, &T::SetKind, kAutoExecKindNames,
                                                      aekMachineRun);
                                 });
    return info;
}

TkelAutoRun::TkelAutoRun(TComponent* owner) : TkelComponent(owner) {
    // Only a running program names itself: a component placed on a form in the
    // designer would otherwise store the designer's own path in the form.
    if (!HasState(csDesigning)) m_fileName = kelAppExeName();
}

void TkelAutoRun::Register() {
    if (HasState(csDesigning)) return;
    UnRegister();
    if (m_isAutoRun) kelRegisterAutoExec(m_kind, m_fileName);
}

void TkelAutoRun::UnRegister() {
    if (HasState(csDesigning)) return;
    kelUnregisterAutoExec(m_kind, m_fileName);
}

void TkelAutoRun::Loaded() {
    TkelComponent::Loaded();
    Register();
}

void TkelAutoRun::Change(const std::function<void()>& store) {
    // While the stream is read the entry waits for Loaded: the properties read so
    // far (say, the default kind with the stream's file name) would remove or add
    // an entry that is none of this component's.
    const bool isLoading = HasState(csLoading);
    if (!isLoading) UnRegister();
    store();
    if (!isLoading) Register();
}

void TkelAutoRun::SetAutoRun(bool value) {
    if (value != m_isAutoRun) Change([&] { m_isAutoRun = value; });
}

void TkelAutoRun::SetFileName(const std::string& value) {
    if (value != m_fileName) Change([&] { m_fileName = value; });
}

void TkelAutoRun::SetKind(TkelAutoExecKind value) {
    if (value != m_kind) Change([&] { m_kind = value; });
}

//=== TkelShutdown

const TClassInfo& TkelShutdown::StaticClassInfo() {
    using T = TkelShutdown;
    static const TClassInfo info("TkelShutdown", &TkelComponent::StaticClassInfo(), &CreateComponentOf<T>,
                                 [](TPropList& list) {
                                     TPublished<T> published(list);
                                     PublishAbout(published)
                                         .Enumeration("ActionType", &T::ActionType, &T::SetActionType,
                                                      kShutdownActionNames, aatPowerOff)
                                         .Boolean("Force", &T::Force, &T::SetForce, false);
                                 });
    return info;
}

void TkelShutdown::DoQueryShutdown(bool& canShutdown) {
    if (OnQueryShutdown) OnQueryShutdown(this, canShutdown);
}

bool TkelShutdown::Execute() {
    if (IsWinNT && !kelEnableShutdownPrivilege()) return false;
    bool canShutdown = true;
    DoQueryShutdown(canShutdown);
    if (!canShutdown) return false;
    const UINT force = m_isForced ? EWX_FORCE : 0;
    switch (m_actionType) {
        case aatPowerOff: return kelExitWindows(EWX_POWEROFF | force) != FALSE;
        case aatShutdown: return kelExitWindows(EWX_SHUTDOWN | force) != FALSE;
        case aatReboot: return kelExitWindows(EWX_REBOOT | force) != FALSE;
        case aatLogOff: return kelExitWindows(EWX_LOGOFF | force) != FALSE;
        case aatSuspend: return kelSetSystemPowerState(TRUE, m_isForced) != FALSE;
        case aatHibernate: return kelSetSystemPowerState(FALSE, m_isForced) != FALSE;
    }
    return false;
}

//=== TkelOneInstance

const TClassInfo& TkelOneInstance::StaticClassInfo() {
    using T = TkelOneInstance;
    static const TClassInfo info(
        "TkelOneInstance", &TkelComponent::StaticClassInfo(), &CreateComponentOf<T>, [](TPropList& list) {
            TPublished<T> published(list);
            PublishAbout(published)
                .Boolean("ActivatePrevInstance", &T::ActivatePrevInstance, &T::SetActivatePrevInstance, true)
                .Boolean("ExeNameAsIdentifier", &T::ExeNameAsIdentifier, &T::SetExeNameAsIdentifier, false)
                .String("Identifier", &T::Identifier, &T::SetIdentifier)
                .String("Message", &T::Message, &T::SetMessage)
                .Boolean("ShowMessage", &T::ShowMessage, &T::SetShowMessage, false);
        });
    return info;
}

namespace {

// A 64-bit FNV-1a hash of the key in hexadecimal digits.
std::string KeyHash(const std::string& key) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : key) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    std::string digits(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4) digits[size_t(i)] = "0123456789abcdef"[hash & 15];
    return digits;
}

}  // namespace

bool TkelOneInstance::AlreadyRun() {
    if (HasState(csDesigning)) return false;
    std::string key = m_isExeNameIdentifier ? AnsiUpperCase(kelAppExeName()) : kelAppTitle();
    key += m_identifier + ".OneInstance.";
    // A "\" would name a kernel object namespace.
    for (char& c : key)
        if (c == '\\') c = '/';
    // A name longer than the system takes makes every mutex call fail: a long
    // key (a deep program path) is replaced by a hash of it, the same in every copy.
    if (key.size() + std::strlen("CriticalSection") >= MAX_PATH) key = "kel." + KeyHash(key) + ".OneInstance.";

    // Two copies starting at the same moment: the later one finds this mutex.
    // Only that counts as another copy; a mutex that cannot be made at all says
    // nothing about one.
    HANDLE critical = CreateMutexA(nullptr, TRUE, (key + "CriticalSection").c_str());
    if (critical && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(critical);
        return true;
    }
    HANDLE instance = CreateMutexA(nullptr, FALSE, (key + "Default").c_str());
    const bool isOtherOwner = WaitForSingleObject(instance, 0) == WAIT_TIMEOUT;
    // A mutex held from an earlier check is let go: only the latest stays, so
    // none leaks and none stays owned twice.
    if (kelOneInstanceMutex) {
        ReleaseMutex(kelOneInstanceMutex);
        CloseHandle(kelOneInstanceMutex);
    }
    kelOneInstanceMutex = instance;
    if (critical) {
        ReleaseMutex(critical);
        CloseHandle(critical);
    }
    return isOtherOwner;
}

bool TkelOneInstance::Check() {
    if (!AlreadyRun()) return false;
    m_isTerminating = true;
    const bool isShowingMainForm = kelAppShowMainForm();
    kelAppSetShowMainForm(false);
    if (m_isShowingMessage) DoShowMessage();
    if (m_isActivatingPrevInstance) DoActivatePrevInstance();
    if (m_isTerminating)
        kelAppTerminate();
    else
        kelAppSetShowMainForm(isShowingMainForm);
    return true;
}

void TkelOneInstance::DoShowMessage() {
    if (OnShowMessage) {
        OnShowMessage(this, m_isTerminating);
        return;
    }
    const std::string text =
        m_message.empty() ? Format(LoadResString(SkelOneInstance_AppAlreadyRun), kelAppTitle()) : m_message;
    kelMessageBoxEx(kelAppHandle(), text, kelAppTitle(), MB_OK | MB_ICONWARNING);
}

void TkelOneInstance::DoActivatePrevInstance() {
    kelActivatePrevInstance();
}

void TkelOneInstance::Loaded() {
    TkelComponent::Loaded();
    Check();
}

//=== TkelWav

const TClassInfo& TkelWav::StaticClassInfo() {
    using T = TkelWav;
    static const TClassInfo info(
        "TkelWav", &TkelCustomFileStorage::StaticClassInfo(), &CreateComponentOf<T>, [](TPropList& list) {
            TPublished<T> published(list);
            // The source first: the other properties' setters act by it.
            PublishAbout(published)
                .Enumeration("PlayFrom", &T::PlayFrom, &T::SetPlayFrom, kPlayFromNames, pfFile)
                .Boolean("AsyncPlay", &T::AsyncPlay, &T::SetAsyncPlay, true)
                .Boolean("Looped", &T::Looped, &T::SetLooped, false)
                .Boolean("NoDefaultSound", &T::NoDefaultSound, &T::SetNoDefaultSound, true)
                .Boolean("NoStopSound", &T::NoStopSound, &T::SetNoStopSound, false)
                .Boolean("NoWaitIfBusy", &T::NoWaitIfBusy, &T::SetNoWaitIfBusy, true)
                .String("FileName", &T::FileName, [](T& wav, const std::string& v) { wav.SetFileName(v); })
                .Stored([](const T& wav) { return wav.PlayFrom() == pfFile; })
                .String("ResourceName", &T::ResourceName, &T::SetResourceName)
                .Stored([](const T& wav) { return wav.PlayFrom() == pfResource; })
                .String("EventAlias", &T::EventAlias, &T::SetEventAlias)
                .Stored([](const T& wav) { return wav.PlayFrom() == pfSystemEvent; });
        });
    return info;
}

TkelWav::TkelWav(TComponent* owner) : TkelCustomFileStorage(owner) {}

TkelWav::~TkelWav() {
    Stop();
}

void TkelWav::UpdateSoundOptions() {
    m_soundFlags = 0;
    if (m_isAsync) m_soundFlags |= SND_ASYNC;
    // A looped sound played synchronously would never return.
    if (m_isLooped) m_soundFlags |= SND_LOOP | SND_ASYNC;
    if (m_isNoDefaultSound) m_soundFlags |= SND_NODEFAULT;
    if (m_isNoStopSound) m_soundFlags |= SND_NOSTOP;
    if (m_isNoWaitIfBusy) m_soundFlags |= SND_NOWAIT;
    m_sound = nullptr;
    m_module = nullptr;
    switch (m_playFrom) {
        case pfFile:
            m_soundFlags |= SND_FILENAME;
            m_sound = FileName().c_str();
            break;
        case pfResource:
            m_soundFlags |= SND_RESOURCE;
            m_sound = m_resourceName.c_str();
            m_module = GetModuleHandleA(nullptr);
            break;
        case pfDFM:
            m_soundFlags |= SND_MEMORY;
            m_sound = reinterpret_cast<const char*>(Data().Memory());
            break;
        case pfSystemEvent:
            m_soundFlags |= SND_ALIAS;
            m_sound = m_eventAlias.c_str();
            break;
    }
}

namespace {

// Whether the bytes hold a whole wave image: the system reads a wave from memory
// by the sizes written in it, its own and each chunk's, and trusts every one of
// them. A chunk that claims more than the image holds would have it read past
// the data (on the sound's own thread, where nothing can catch it), and so
// would its search for a format or data chunk the image lacks: it walks on
// past the end. The format, at least a PCM format's 16 bytes, comes before the
// data, where the player looks for them.
bool IsWholeRiffImage(const TMemoryStream& data, uint32_t size) {
    const uint8_t* bytes = data.Memory();
    if (size < 12 || !bytes || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return false;
    uint32_t riffSize = 0;
    std::memcpy(&riffSize, bytes + 4, 4);
    if (riffSize > size - 8 || riffSize < 4) return false;
    // The chunks follow the form type, each a name, a size and its bytes, padded
    // to an even length.
    const uint64_t end = uint64_t(riffSize) + 8;
    uint64_t at = 12;
    bool hasFormat = false;
    bool hasData = false;
    while (at + 8 <= end) {
        uint32_t chunkSize = 0;
        std::memcpy(&chunkSize, bytes + at + 4, 4);
        if (chunkSize > end - at - 8) return false;
        if (!hasFormat && std::memcmp(bytes + at, "fmt ", 4) == 0) {
            if (chunkSize < 16) return false;
            hasFormat = true;
        } else if (hasFormat && std::memcmp(bytes + at, "data", 4) == 0) {
            hasData = true;
        }
        at += 8 + uint64_t(chunkSize) + (chunkSize & 1);
    }
    return hasFormat && hasData;
}

}  // namespace

void TkelWav::Play() {
    UpdateSoundOptions();
    m_isPlaying = true;
    try {
        if (OnPlayBefore) OnPlayBefore(this);
        if (m_playFrom != pfDFM || IsWholeRiffImage(Data(), DataSize())) {
            m_isPlayingFromData = m_playFrom == pfDFM;
            kelPlaySound(m_sound, m_module, m_soundFlags);
        }
        if (OnPlayAfter) OnPlayAfter(this);
    } catch (...) {
        m_isPlaying = false;
        throw;
    }
    m_isPlaying = false;
}

void TkelWav::Stop() {
    m_isPlaying = false;
    m_isPlayingFromData = false;
    kelPlaySound(nullptr, nullptr, 0);
}

void TkelWav::SetAsyncPlay(bool value) {
    if (value == m_isAsync) return;
    m_isAsync = value;
    if (value && m_isPlaying) Stop();
}

void TkelWav::SetLooped(bool value) {
    if (value == m_isLooped) return;
    m_isLooped = value;
    if (!m_isPlaying) return;
    Stop();
    if (value) Play();
}

void TkelWav::SetNoWaitIfBusy(bool value) {
    if (value == m_isNoWaitIfBusy) return;
    m_isNoWaitIfBusy = value;
    if (value && m_isPlaying) {
        Stop();
        Play();
    }
}

void TkelWav::SetEventAlias(const std::string& value) {
    if (value == m_eventAlias) return;
    m_eventAlias = value;
    if (m_playFrom != pfSystemEvent) return;
    if (m_isPlaying)
        Play();
    else
        Stop();
}

void TkelWav::SetResourceName(const std::string& value) {
    if (value == m_resourceName) return;
    m_resourceName = value;
    if (m_playFrom == pfResource && m_isPlaying) Play();
}

void TkelWav::SetFileName(const std::string& value) {
    if (value == FileName()) return;
    // Stores it, and loads it while designing.
    TkelCustomFileStorage::SetFileName(value);
    if (m_playFrom != pfDFM) return;
    if (!HasState(csDesigning)) LoadFrom(FileName());
    if (m_isPlaying)
        Play();
    else
        Stop();
}

void TkelWav::SetPlayFrom(TkelWavPlayFrom value) {
    if (value == m_playFrom) return;
    m_playFrom = value;
    if (value == pfDFM)
        LoadFrom(FileName());
    else
        Clear();
}

bool TkelWav::LoadFrom(const std::string& fileName) {
    if (m_isPlayingFromData) Stop();
    return TkelCustomFileStorage::LoadFrom(fileName);
}

void TkelWav::ReadFileData(TStream& stream) {
    if (m_isPlayingFromData) Stop();
    TkelCustomFileStorage::ReadFileData(stream);
}

void TkelWav::Clear() {
    if (m_isPlayingFromData) Stop();
    TkelCustomFileStorage::Clear();
}
