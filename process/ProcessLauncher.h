#pragma once

#include <windows.h>

#include <future>
#include <utility>

#include "framework/CString.h"

// (exit code, message). The exit code is 0xFFFFFFFF unless the process was
// waited for; the message is empty only when it ran and ended with 0.
using RunResult = std::pair<DWORD, CString>;

// Starts path with the command line "\"path\" arguments" (one space between,
// kept when arguments is empty), in the wizard's environment and folder. With
// wait, blocks until the process ends and reads its exit code. A start that
// fails gives (0xFFFFFFFF, "Error launching executable: <system text>"); a
// non-zero code gives "exit code = <code>".
RunResult RunProcess(const CString& path, const CString& arguments, bool wait);

// RunProcess on a worker of its own, with copies of the arguments. The
// future's destruction waits for the run.
std::future<RunResult> RunProcessAsync(const CString& path, const CString& arguments, bool wait);
