// The HTML Help loader.
#include "components/HtmlHelpLoader.h"

#include <string>

#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"

HMODULE HHCtrlHandle = nullptr;
THtmlHelpAProc HtmlHelpAEntry = nullptr;

namespace {

constexpr UINT kHHCloseAll = 0x12;

}  // namespace

bool LoadHH() {
    if (!HHCtrlHandle) {
        HtmlHelpAEntry = nullptr;
        try {
            // From the system's folder by its full name: by its bare name a copy
            // in the program's folder (or the current one) would be loaded first.
            const std::string systemDir = kelGetSystemDir();
            if (systemDir.size() > 1) HHCtrlHandle = kelLoadHelpLibrary((systemDir + "HHCTRL.OCX").c_str());
            if (HHCtrlHandle)
                HtmlHelpAEntry = reinterpret_cast<THtmlHelpAProc>(
                    reinterpret_cast<void*>(GetProcAddress(HHCtrlHandle, "HtmlHelpA")));
        } catch (...) {
            // A viewer that cannot be had means no HTML Help, nothing worse.
        }
    }
    return HHCtrlHandle != nullptr;
}

bool HHLoaded() {
    return HHCtrlHandle != nullptr;
}

void UnLoadHH() {
    if (!HHCtrlHandle) return;
    // Its windows would call into the freed library: they go first.
    if (HtmlHelpAEntry) HtmlHelpCall(nullptr, nullptr, kHHCloseAll, 0);
    FreeLibrary(HHCtrlHandle);
    HHCtrlHandle = nullptr;
    HtmlHelpAEntry = nullptr;
}

HWND HtmlHelpCall(HWND caller, const char* file, UINT command, DWORD_PTR data) {
    if (kelPlatformHooks().HtmlHelpCall) return kelPlatformHooks().HtmlHelpCall(caller, file, command, data);
    return HtmlHelpAEntry ? HtmlHelpAEntry(caller, file, command, data) : nullptr;
}

void HtmlHelpLoaderInitialize() {
    HHCtrlHandle = nullptr;
    HtmlHelpAEntry = nullptr;
}

void HtmlHelpLoaderFinalize() {
    UnLoadHH();
}
