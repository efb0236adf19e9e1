#pragma once

#include <windows.h>

#include <functional>

// Every message box of the wizard goes through ShowMessageBox so that tests can
// answer it without a person: a test installs a hook, the product never does.
using MessageBoxHook =
    std::function<int(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)>;

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// Replaces the platform's MessageBoxW for the whole process; an empty hook
// restores it. Returns the previous hook.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);
