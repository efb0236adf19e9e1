#include "framework/Sleep.h"

#include <windows.h>

#include <mutex>

namespace {
std::mutex hookLock;
SleepHook& Hook() {
    static SleepHook hook;
    return hook;
}
}  // namespace

void SleepFor(unsigned milliseconds) {
    SleepHook hook;
    {
        std::lock_guard<std::mutex> lock(hookLock);
        hook = Hook();
    }
    if (hook) {
        hook(milliseconds);
    } else {
        ::Sleep(milliseconds);
    }
}

SleepHook SetSleepHook(SleepHook hook) {
    std::lock_guard<std::mutex> lock(hookLock);
    auto previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}
