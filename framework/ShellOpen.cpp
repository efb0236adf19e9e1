#include "framework/ShellOpen.h"

#include <windows.h>

#include <shellapi.h>

#include <mutex>

namespace {
std::mutex hookLock;
ShellOpenHook& Hook() {
    static ShellOpenHook hook;
    return hook;
}
}  // namespace

void ShellOpen(const CString& target, const CString& parameters) {
    ShellOpenHook hook;
    {
        std::lock_guard<std::mutex> lock(hookLock);
        hook = Hook();
    }
    if (hook) {
        hook(target, parameters);
    } else {
        ::ShellExecuteW(nullptr, L"open", target,
                        parameters.IsEmpty() ? nullptr : parameters.GetString(), nullptr,
                        SW_SHOWNORMAL);
    }
}

ShellOpenHook SetShellOpenHook(ShellOpenHook hook) {
    std::lock_guard<std::mutex> lock(hookLock);
    auto previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}
