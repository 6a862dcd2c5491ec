// The folder and registry monitor components: they tell the application, through
// OnChange on the main thread, when a folder's contents or a registry key change.
// While Active (and OnChange is assigned) each owns one monitor thread; every
// change of a property starts the monitoring anew with the new options.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "classlib/Threads.h"
#include "components/kelClasses.h"
#include "components/kelComponents.h"

enum TFolderMonitorFilter : uint32_t {
    fmfFileNameChange = 1u << 0,   // FILE_NOTIFY_CHANGE_FILE_NAME
    fmfDirNameChange = 1u << 1,    // FILE_NOTIFY_CHANGE_DIR_NAME
    fmfAttributeChange = 1u << 2,  // FILE_NOTIFY_CHANGE_ATTRIBUTES
    fmfSizeChange = 1u << 3,       // FILE_NOTIFY_CHANGE_SIZE
    fmfWriteChange = 1u << 4,      // FILE_NOTIFY_CHANGE_LAST_WRITE
    fmfSecurityChange = 1u << 5,   // FILE_NOTIFY_CHANGE_SECURITY
};
using TFolderMonitorFilters = uint32_t;

enum TkelRegistryMonitorFilter : uint32_t {
    rmfSubTreeChange = 1u << 0,    // REG_NOTIFY_CHANGE_NAME
    rmfAttributeChange = 1u << 1,  // REG_NOTIFY_CHANGE_ATTRIBUTES
    rmfValueChange = 1u << 2,      // REG_NOTIFY_CHANGE_LAST_SET
    rmfSecurityChange = 1u << 3,   // REG_NOTIFY_CHANGE_SECURITY
};
using TkelRegistryMonitorFilters = uint32_t;

enum TkelRegRootKey { rrkClassesRoot, rrkCurrentUser, rrkLocalMachine, rrkUsers, rrkCurrentConfig, rrkDynData };
// The predefined key of a root.
HKEY kelRegRootKeyHandle(TkelRegRootKey root);

//=== Folder monitor

class TkelCustomFolderMonitor : public TkelComponent {
public:
    explicit TkelCustomFolderMonitor(TComponent* owner);
    ~TkelCustomFolderMonitor() override;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelCustomFolderMonitor"; }

    // The FILE_NOTIFY_CHANGE_* flags of NotifyFilters.
    uint32_t GetNotifyOptionFlags() const;

protected:
    // Start when Active, else Stop.
    virtual void Change();
    // Stop, then a new thread with the current options when running (not designed,
    // not being read), Active and OnChange assigned.
    virtual void Start();
    // Lets go of the thread: it stops, nothing more reaches OnChange, and it frees
    // itself when it has ended.
    virtual void Stop();
    // Starts the monitor read as active.
    void Loaded() override;

    bool Active() const { return m_isActive; }
    void SetActive(bool value);
    const std::string& Folder() const { return m_folder; }
    void SetFolder(const std::string& value);
    TFolderMonitorFilters NotifyFilters() const { return m_notifyFilters; }
    void SetNotifyFilters(TFolderMonitorFilters value);
    bool WatchSubTree() const { return m_watchSubTree; }
    void SetWatchSubTree(bool value);
    const TThreadMethod& OnChange() const { return m_onChange; }
    void SetOnChange(TThreadMethod handler);

    // The running monitor thread, or null.
    TkelFolderMonitorThread* MonitorThread() const { return m_thread; }

private:
    bool m_isActive = false;
    std::string m_folder = "C:\\";
    TFolderMonitorFilters m_notifyFilters = fmfFileNameChange | fmfDirNameChange;
    bool m_watchSubTree = true;
    TThreadMethod m_onChange;
    TkelFolderMonitorThread* m_thread = nullptr;
};

class TkelFolderMonitor : public TkelCustomFolderMonitor {
public:
    using TkelCustomFolderMonitor::TkelCustomFolderMonitor;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelFolderMonitor"; }

    using TkelCustomFolderMonitor::Active;
    using TkelCustomFolderMonitor::Folder;
    using TkelCustomFolderMonitor::NotifyFilters;
    using TkelCustomFolderMonitor::OnChange;
    using TkelCustomFolderMonitor::SetActive;
    using TkelCustomFolderMonitor::SetFolder;
    using TkelCustomFolderMonitor::SetNotifyFilters;
    using TkelCustomFolderMonitor::SetOnChange;
    using TkelCustomFolderMonitor::SetWatchSubTree;
    using TkelCustomFolderMonitor::WatchSubTree;
};

//=== Registry monitor

class TkelCustomRegistryMonitor : public TkelComponent {
public:
    explicit TkelCustomRegistryMonitor(TComponent* owner);
    ~TkelCustomRegistryMonitor() override;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelCustomRegistryMonitor"; }

    // The REG_NOTIFY_CHANGE_* flags of NotifyFilters.
    uint32_t GetNotifyOptionFlags() const;

protected:
    virtual void Change();
    // As the folder monitor's, and not while the component is being destroyed.
    virtual void Start();
    virtual void Stop();
    void Loaded() override;

    bool Active() const { return m_isActive; }
    void SetActive(bool value);
    TkelRegRootKey RootKey() const { return m_rootKey; }
    void SetRootKey(TkelRegRootKey value);
    const std::string& RegistryKey() const { return m_registryKey; }
    void SetRegistryKey(const std::string& value);
    TkelRegistryMonitorFilters NotifyFilters() const { return m_notifyFilters; }
    void SetNotifyFilters(TkelRegistryMonitorFilters value);
    bool WatchSubTree() const { return m_watchSubTree; }
    void SetWatchSubTree(bool value);
    const TThreadMethod& OnChange() const { return m_onChange; }
    void SetOnChange(TThreadMethod handler);

    TkelRegistryMonitorThread* MonitorThread() const { return m_thread; }

private:
    bool m_isActive = false;
    TkelRegRootKey m_rootKey = rrkCurrentUser;
    std::string m_registryKey;
    TkelRegistryMonitorFilters m_notifyFilters = rmfSubTreeChange | rmfValueChange;
    bool m_watchSubTree = true;
    TThreadMethod m_onChange;
    TkelRegistryMonitorThread* m_thread = nullptr;
};

class TkelRegistryMonitor : public TkelCustomRegistryMonitor {
public:
    using TkelCustomRegistryMonitor::TkelCustomRegistryMonitor;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelRegistryMonitor"; }

    using TkelCustomRegistryMonitor::Active;
    using TkelCustomRegistryMonitor::NotifyFilters;
    using TkelCustomRegistryMonitor::OnChange;
    using TkelCustomRegistryMonitor::RegistryKey;
    using TkelCustomRegistryMonitor::RootKey;
    using TkelCustomRegistryMonitor::SetActive;
    using TkelCustomRegistryMonitor::SetNotifyFilters;
    using TkelCustomRegistryMonitor::SetOnChange;
    using TkelCustomRegistryMonitor::SetRegistryKey;
    using TkelCustomRegistryMonitor::SetRootKey;
    using TkelCustomRegistryMonitor::SetWatchSubTree;
    using TkelCustomRegistryMonitor::WatchSubTree;
};
