// Helpers shared by the component library's tests.
#include "kelTestSupport.h"

#include <new>

#include "classlib/Registry.h"
#include "components/kelPlatformHooks.h"

void* FencedAllocate(size_t size) {
    void* memory = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!memory) throw std::bad_alloc();
    return memory;
}

void FencedFree(void* memory) noexcept {
    // Decommitted but still reserved: the addresses fault and are not reused.
    if (memory) VirtualFree(memory, 0, MEM_DECOMMIT);
}

RunRecorder::RunRecorder() {
    kelPlatformHooks().RunProcess = [this](const std::string& commandLine, bool wait) {
        runs.push_back({commandLine, wait});
    };
}

RunRecorder::~RunRecorder() {
    kelPlatformHooks().RunProcess = nullptr;
}

namespace {

void DeleteTestKey(const std::string& key) {
    TRegistry registry;
    registry.RootKey = HKEY_CURRENT_USER;
    registry.DeleteKey(key);
}

}  // namespace

RegistryRedirect::RegistryRedirect()
    : m_base("Software\\kelTest_" + std::to_string(GetCurrentProcessId()) + "_redirect") {
    DeleteTestKey(m_base);
    kelPlatformHooks().RedirectRegistryKey = [this](HKEY& root, std::string& key) {
        key = Moved(root, key);
        root = HKEY_CURRENT_USER;
    };
}

RegistryRedirect::~RegistryRedirect() {
    kelPlatformHooks().RedirectRegistryKey = nullptr;
    DeleteTestKey(m_base);
}

std::string RegistryRedirect::Moved(HKEY root, const std::string& key) const {
    const char* name = root == HKEY_LOCAL_MACHINE ? "HKLM" : root == HKEY_CURRENT_USER ? "HKCU" : "OTHER";
    return m_base + "\\" + name + "\\" + key;
}
