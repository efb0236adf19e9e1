#pragma once

#include <functional>
#include <string>

// The user's locale name ("en-US"). Goes through a process-wide hook so that
// tests can stand in for GetUserDefaultLocaleName; the product never sets it.
// Returns false when the platform cannot tell.
bool GetUserLocaleName(std::wstring& name);

using UserLocaleHook = std::function<bool(std::wstring& name)>;
// An empty hook restores the platform call. Returns the previous hook.
UserLocaleHook SetUserLocaleHook(UserLocaleHook hook);
