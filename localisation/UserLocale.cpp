#include "localisation/UserLocale.h"

#include <windows.h>

namespace {
UserLocaleHook& Hook() {
    static UserLocaleHook hook;
    return hook;
}
}  // namespace

bool GetUserLocaleName(std::wstring& name) {
    if (Hook()) {
        return Hook()(name);
    }
    wchar_t buffer[85] = {};
    if (::GetUserDefaultLocaleName(buffer, 85) == 0) {
        return false;
    }
    name = buffer;
    return true;
}

UserLocaleHook SetUserLocaleHook(UserLocaleHook hook) {
    UserLocaleHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}
