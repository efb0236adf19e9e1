#pragma once

#include <functional>

#include "framework/CString.h"

// Hands a document or address to the shell's "open" verb, as a double click
// would. Tests replace the shell to see what the wizard asked it to open
// without starting a browser; the product never does.
void ShellOpen(const CString& target, const CString& parameters = CString());

// Replaces the shell call for the whole process; an empty hook restores the
// platform's. Returns the previous hook.
using ShellOpenHook = std::function<void(const CString& target, const CString& parameters)>;
ShellOpenHook SetShellOpenHook(ShellOpenHook hook);
