// The folder and registry monitor components.
#include "components/kelMonitors.h"

#include <vector>

namespace {

const std::vector<std::string> kFolderFilterNames = {"fmfFileNameChange", "fmfDirNameChange", "fmfAttributeChange",
                                                     "fmfSizeChange",     "fmfWriteChange",   "fmfSecurityChange"};
const std::vector<std::string> kRegistryFilterNames = {"rmfSubTreeChange", "rmfAttributeChange", "rmfValueChange",
                                                       "rmfSecurityChange"};
const std::vector<std::string> kRootKeyNames = {"rrkClassesRoot", "rrkCurrentUser",   "rrkLocalMachine",
                                                "rrkUsers",       "rrkCurrentConfig", "rrkDynData"};

// Lets go of a monitor thread: its callback is taken away first, so that a change
// already queued for the main thread runs nothing; then it is told to end and
// frees itself when it has (at once when it has ended already).
template <class T>
void LetGo(T*& thread) {
    T* released = thread;
    thread = nullptr;
    if (!released) return;
    released->ClearChangeCallback();
    released->Terminate();
    if (released->Suspended()) released->Resume();
    released->SetFreeOnTerminate(true);
}

}  // namespace

HKEY kelRegRootKeyHandle(TkelRegRootKey root) {
    switch (root) {
        case rrkClassesRoot: return HKEY_CLASSES_ROOT;
        case rrkCurrentUser: return HKEY_CURRENT_USER;
        case rrkLocalMachine: return HKEY_LOCAL_MACHINE;
        case rrkUsers: return HKEY_USERS;
        case rrkCurrentConfig: return HKEY_CURRENT_CONFIG;
        case rrkDynData: return HKEY_DYN_DATA;
    }
    return HKEY_CURRENT_USER;
}

//=== TkelCustomFolderMonitor

const TClassInfo& TkelCustomFolderMonitor::StaticClassInfo() {
    static const TClassInfo info("TkelCustomFolderMonitor", &TkelComponent::StaticClassInfo(),
                                 &CreateComponentOf<TkelCustomFolderMonitor>, nullptr);
    return info;
}

TkelCustomFolderMonitor::TkelCustomFolderMonitor(TComponent* owner) : TkelComponent(owner) {}

TkelCustomFolderMonitor::~TkelCustomFolderMonitor() {
    // Also while being read: no thread outlives the component.
    LetGo(m_thread);
}

uint32_t TkelCustomFolderMonitor::GetNotifyOptionFlags() const {
    uint32_t flags = 0;
    if (m_notifyFilters & fmfFileNameChange) flags |= FILE_NOTIFY_CHANGE_FILE_NAME;
    if (m_notifyFilters & fmfDirNameChange) flags |= FILE_NOTIFY_CHANGE_DIR_NAME;
    if (m_notifyFilters & fmfAttributeChange) flags |= FILE_NOTIFY_CHANGE_ATTRIBUTES;
    if (m_notifyFilters & fmfSizeChange) flags |= FILE_NOTIFY_CHANGE_SIZE;
    if (m_notifyFilters & fmfWriteChange) flags |= FILE_NOTIFY_CHANGE_LAST_WRITE;
    if (m_notifyFilters & fmfSecurityChange) flags |= FILE_NOTIFY_CHANGE_SECURITY;
    return flags;
}

void TkelCustomFolderMonitor::Change() {
    if (m_isActive)
        Start();
    else
        Stop();
}

void TkelCustomFolderMonitor::Start() {
    Stop();
    if (HasState(csDesigning) || HasState(csReading) || !m_isActive || !m_onChange) return;
    auto* thread = new TkelFolderMonitorThread(m_onChange);
    // Held while the component watches; it frees itself only once let go.
    thread->SetFreeOnTerminate(false);
    thread->SetDirectoryOptions(m_folder, m_watchSubTree, GetNotifyOptionFlags());
    m_thread = thread;
    thread->Resume();
}

void TkelCustomFolderMonitor::Stop() {
    if (HasState(csDesigning) || HasState(csReading)) return;
    LetGo(m_thread);
}

void TkelCustomFolderMonitor::Loaded() {
    TkelComponent::Loaded();
    SetActive(m_isActive);
}

void TkelCustomFolderMonitor::SetActive(bool value) {
    m_isActive = value;
    Change();
}

void TkelCustomFolderMonitor::SetFolder(const std::string& value) {
    if (value == m_folder) return;
    m_folder = value;
    Change();
}

void TkelCustomFolderMonitor::SetNotifyFilters(TFolderMonitorFilters value) {
    if (value == m_notifyFilters) return;
    m_notifyFilters = value;
    Change();
}

void TkelCustomFolderMonitor::SetWatchSubTree(bool value) {
    if (value == m_watchSubTree) return;
    m_watchSubTree = value;
    Change();
}

void TkelCustomFolderMonitor::SetOnChange(TThreadMethod handler) {
    m_onChange = std::move(handler);
    Change();
}

const TClassInfo& TkelFolderMonitor::StaticClassInfo() {
    static const TClassInfo info(
        "TkelFolderMonitor", &TkelCustomFolderMonitor::StaticClassInfo(), &CreateComponentOf<TkelFolderMonitor>,
        [](TPropList& list) {
            TPublished<TkelFolderMonitor> published(list);
            PublishAbout(published)
                .Boolean("Active", &TkelFolderMonitor::Active, &TkelFolderMonitor::SetActive, false)
                .Set("NotifyFilters", &TkelFolderMonitor::NotifyFilters, &TkelFolderMonitor::SetNotifyFilters,
                     kFolderFilterNames, fmfFileNameChange | fmfDirNameChange)
                .Boolean("WatchSubTree", &TkelFolderMonitor::WatchSubTree, &TkelFolderMonitor::SetWatchSubTree, true)
                .String("Folder", &TkelFolderMonitor::Folder, &TkelFolderMonitor::SetFolder);
        });
    return info;
}

//=== TkelCustomRegistryMonitor

const TClassInfo& TkelCustomRegistryMonitor::StaticClassInfo() {
    static const TClassInfo info("TkelCustomRegistryMonitor", &TkelComponent::StaticClassInfo(),
                                 &CreateComponentOf<TkelCustomRegistryMonitor>, nullptr);
    return info;
}

TkelCustomRegistryMonitor::TkelCustomRegistryMonitor(TComponent* owner) : TkelComponent(owner) {}

TkelCustomRegistryMonitor::~TkelCustomRegistryMonitor() {
    SetState(csDestroying, true);
    LetGo(m_thread);
}

uint32_t TkelCustomRegistryMonitor::GetNotifyOptionFlags() const {
    uint32_t flags = 0;
    if (m_notifyFilters & rmfSubTreeChange) flags |= REG_NOTIFY_CHANGE_NAME;
    if (m_notifyFilters & rmfAttributeChange) flags |= REG_NOTIFY_CHANGE_ATTRIBUTES;
    if (m_notifyFilters & rmfValueChange) flags |= REG_NOTIFY_CHANGE_LAST_SET;
    if (m_notifyFilters & rmfSecurityChange) flags |= REG_NOTIFY_CHANGE_SECURITY;
    return flags;
}

void TkelCustomRegistryMonitor::Change() {
    if (m_isActive)
        Start();
    else
        Stop();
}

void TkelCustomRegistryMonitor::Start() {
    Stop();
    if (HasState(csDesigning) || HasState(csReading) || HasState(csDestroying) || !m_isActive || !m_onChange) return;
    auto* thread = new TkelRegistryMonitorThread(m_onChange);
    thread->SetFreeOnTerminate(false);
    thread->SetRegistryKeyOptions(kelRegRootKeyHandle(m_rootKey), m_registryKey, m_watchSubTree,
                                  GetNotifyOptionFlags());
    m_thread = thread;
    thread->Resume();
}

void TkelCustomRegistryMonitor::Stop() {
    if (HasState(csDesigning) || HasState(csReading)) return;
    LetGo(m_thread);
}

void TkelCustomRegistryMonitor::Loaded() {
    TkelComponent::Loaded();
    SetActive(m_isActive);
}

void TkelCustomRegistryMonitor::SetActive(bool value) {
    m_isActive = value;
    Change();
}

void TkelCustomRegistryMonitor::SetRootKey(TkelRegRootKey value) {
    if (value == m_rootKey) return;
    m_rootKey = value;
    Change();
}

void TkelCustomRegistryMonitor::SetRegistryKey(const std::string& value) {
    if (value == m_registryKey) return;
    m_registryKey = value;
    Change();
}

void TkelCustomRegistryMonitor::SetNotifyFilters(TkelRegistryMonitorFilters value) {
    if (value == m_notifyFilters) return;
    m_notifyFilters = value;
    Change();
}

void TkelCustomRegistryMonitor::SetWatchSubTree(bool value) {
    if (value == m_watchSubTree) return;
    m_watchSubTree = value;
    Change();
}

void TkelCustomRegistryMonitor::SetOnChange(TThreadMethod handler) {
    m_onChange = std::move(handler);
    Change();
}

const TClassInfo& TkelRegistryMonitor::StaticClassInfo() {
    static const TClassInfo info(
        "TkelRegistryMonitor", &TkelCustomRegistryMonitor::StaticClassInfo(), &CreateComponentOf<TkelRegistryMonitor>,
        [](TPropList& list) {
            TPublished<TkelRegistryMonitor> published(list);
            PublishAbout(published)
                .Boolean("Active", &TkelRegistryMonitor::Active, &TkelRegistryMonitor::SetActive, false)
                .Set("NotifyFilters", &TkelRegistryMonitor::NotifyFilters, &TkelRegistryMonitor::SetNotifyFilters,
                     kRegistryFilterNames, rmfSubTreeChange | rmfValueChange)
                .Boolean("WatchSubTree", &TkelRegistryMonitor::WatchSubTree, &TkelRegistryMonitor::SetWatchSubTree,
                         true)
                .String("RegistryKey", &TkelRegistryMonitor::RegistryKey, &TkelRegistryMonitor::SetRegistryKey)
                .Enumeration("RootKey", &TkelRegistryMonitor::RootKey, &TkelRegistryMonitor::SetRootKey, kRootKeyNames,
                             rrkCurrentUser);
        });
    return info;
}
