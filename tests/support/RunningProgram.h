#pragma once

#include <string>

#include "win32/UniqueHandle.h"

// The test helper idle_program.exe, copied into a private folder under the
// given file name (such as chrome.exe or x.y.z) and started; ended and removed
// again when the owner goes. The process list of Wine then shows that name.
class RunningProgram {
public:
    explicit RunningProgram(const std::wstring& fileName);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    const std::wstring& Path() const { return path; }

private:
    std::wstring folder;
    std::wstring path;
    win32::UniqueKernelHandle process;
};

// The folder of the running test program, with a trailing backslash.
std::wstring TestProgramFolder();
