#include "framework/MessageBox.h"

#include <mutex>

namespace {
std::mutex hookLock;
MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}
}  // namespace

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    MessageBoxHook hook;
    {
        std::lock_guard<std::mutex> lock(hookLock);
        hook = Hook();
    }
    if (hook) {
        return hook(owner, text, caption, type);
    }
    return MessageBoxW(owner, text, caption, type);
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
    std::lock_guard<std::mutex> lock(hookLock);
    MessageBoxHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}
