// The library's start and end, its class registration and the component base.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "components/kelComponents.h"
#include "components/kelLibrary.h"
#include "components/kelSysUtils.h"

namespace {

DWORD WINAPI TakeAndRelease(LPVOID handle) {
    const DWORD result = WaitForSingleObject(static_cast<HANDLE>(handle), 0);
    if (result == WAIT_OBJECT_0) ReleaseMutex(static_cast<HANDLE>(handle));
    return result;
}

// A class no stream knows yet.
class TkelLateComponent : public TkelComponent {
public:
    using TkelComponent::TkelComponent;
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info("TkelLateComponent", &TkelComponent::StaticClassInfo(),
                                     &CreateComponentOf<TkelLateComponent>,
                                     [](TPropList& list) {
                                         TPublished<TkelLateComponent> published(list);
                                         PublishAbout(published);
                                     });
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelLateComponent"; }
};

}  // namespace

TEST(kelComponents, StartUpRegisteredTheLibrarysClassesInItsOrderAndTheTaskbarMessage) {
    const std::vector<std::string> order = {"TkelComponent",
                                            "TkelCustomThreadComponent",
                                            "TkelCustomTimer",
                                            "TkelCustomThreadTimer",
                                            "TkelCustomWndProcHook",
                                            "TkelCustomFileStorage",
                                            "TkelAutoRun",
                                            "TkelOneInstance",
                                            "TkelShutdown",
                                            "TkelTrayIcon",
                                            "TkelWndProcHook",
                                            "TkelFileStorage",
                                            "TkelWav",
                                            "TkelThreadComponent",
                                            "TkelThreadTimer",
                                            "TkelFileOperation",
                                            "TkelFileAssociation",
                                            "TkelCustomFolderMonitor",
                                            "TkelFolderMonitor",
                                            "TkelCustomRegistryMonitor",
                                            "TkelRegistryMonitor",
                                            "TkelStartButtonProperties",
                                            "TkelColorPicker"};
    // Registered afresh, the classes join the register in the order the start names them.
    for (const std::string& name : order) UnRegisterPersistentClass(FindClass(name));
    kelComponentsInitialize();
    std::vector<std::string> registered;
    for (const TClassInfo* info : RegisteredClasses())
        if (std::find(order.begin(), order.end(), info->Name()) != order.end()) registered.push_back(info->Name());
    EXPECT_EQ(order, registered);
    EXPECT_EQ(RegisterWindowMessageA("TaskbarCreated"), kelTaskbarCreatedMsg);
    EXPECT_NE(0u, kelTaskbarCreatedMsg);
    EXPECT_EQ(nullptr, kelOneInstanceMutex);

    // A stream naming the classes reads back without further registration.
    TMemoryStream stream;
    {
        TkelComponent root(nullptr);
        root.SetName("Form1");
        (new TkelCustomTimer(&root))->SetName("Timer1");
        WriteComponent(stream, &root);
    }
    stream.SetPosition(0);
    std::unique_ptr<TComponent> read(ReadComponent(stream, nullptr));
    EXPECT_STREQ("TkelComponent", read->ClassName());
    ASSERT_EQ(1, read->ComponentCount());
    EXPECT_STREQ("TkelCustomTimer", read->Components(0)->ClassName());
}

TEST(kelComponents, RegisteringIsQuietAboutKnownNamesAndMissingClasses) {
    kelRegisterClass(nullptr);
    kelRegisterClass(&TkelComponent::StaticClassInfo());
    // Another class under a known name: ignored, the first one stays.
    static const TClassInfo impostor("TkelComponent", &TComponent::StaticClassInfo(), nullptr, nullptr);
    kelRegisterClasses({&impostor, &TkelLateComponent::StaticClassInfo()});
    EXPECT_EQ(&TkelComponent::StaticClassInfo(), GetClass("TkelComponent"));
    EXPECT_EQ(&TkelLateComponent::StaticClassInfo(), GetClass("TkelLateComponent"));
    UnRegisterPersistentClass(TkelLateComponent::StaticClassInfo());
}

TEST(kelComponents, AboutIsPublishedFirstAndNeverStored) {
    const TPropList& props = TkelLateComponent::StaticClassInfo().Properties();
    EXPECT_EQ("About", props[2].Name);  // after the base component's Name and Tag
    TkelLateComponent component(nullptr);
    component.SetName("C");
    component.About = "written by somebody";
    TMemoryStream stream;
    WriteComponent(stream, &component);
    const std::string bytes(stream.Bytes().begin(), stream.Bytes().end());
    EXPECT_EQ(std::string::npos, bytes.find("About"));
    EXPECT_EQ(std::string::npos, bytes.find("somebody"));
}

TEST(kelComponents, NestedStartsCountAndTheEndReleasesAHeldMutex) {
    const std::string name = "kelTestMutex_" + std::to_string(GetCurrentProcessId());
    HANDLE held = CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_NE(nullptr, held);
    kelOneInstanceMutex = held;
    HANDLE other = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    ASSERT_NE(nullptr, other);
    // A nested pair inside the test program's own start: neither the start's
    // reset nor the end's release reaches the held mutex.
    kelInitialize();
    kelFinalize();
    EXPECT_EQ(held, kelOneInstanceMutex);
    EXPECT_NE(nullptr, GetClass("TkelCustomTimer"));

    kelComponentsFinalize();
    EXPECT_EQ(nullptr, kelOneInstanceMutex);
    // Another thread can take it now: it was released, not abandoned.
    DWORD result = 0;
    HANDLE thread = CreateThread(nullptr, 0, TakeAndRelease, other, 0, nullptr);
    WaitForSingleObject(thread, 5000);
    GetExitCodeThread(thread, &result);
    CloseHandle(thread);
    CloseHandle(other);
    EXPECT_EQ(WAIT_OBJECT_0, result);
    kelComponentsInitialize();
}
