#include "support/RunningProgram.h"

#include <windows.h>

#include <gtest/gtest.h>

std::wstring TestProgramFolder() {
    wchar_t buffer[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path = buffer;
    return path.substr(0, path.rfind(L'\\') + 1);
}

RunningProgram::RunningProgram(const std::wstring& fileName) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder = std::wstring(temp) + L"tallwick-program-" + std::to_wstring(GetCurrentProcessId()) +
             L"-" + std::to_wstring(GetTickCount());
    CreateDirectoryW(folder.c_str(), nullptr);
    path = folder + L"\\" + fileName;
    const std::wstring helper = TestProgramFolder() + L"idle_program.exe";
    if (!CopyFileW(helper.c_str(), path.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy the idle program, error " << GetLastError();
        return;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::wstring commandLine = L"\"" + path + L"\"";
    if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        ADD_FAILURE() << "cannot start the idle program, error " << GetLastError();
        return;
    }
    const win32::UniqueKernelHandle thread(info.hThread);
    process.reset(info.hProcess);
    // The process list shows it once it has started running.
    WaitForInputIdle(info.hProcess, 2000);
}

RunningProgram::~RunningProgram() {
    if (process) {
        TerminateProcess(process.get(), 0);
        WaitForSingleObject(process.get(), 5000);
        process.reset();
    }
    DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
}
