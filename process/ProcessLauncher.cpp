#include "process/ProcessLauncher.h"

#include <vector>

#include "win32/SystemErrorText.h"
#include "win32/UniqueHandle.h"

RunResult RunProcess(const CString& path, const CString& arguments, bool wait) {
    const CString commandLine = L"\"" + path + L"\" " + arguments;
    // CreateProcessW may write into its command line: give it a private copy.
    std::vector<wchar_t> buffer(commandLine.str().begin(), commandLine.str().end());
    buffer.push_back(L'\0');

    RunResult result(0xFFFFFFFF, CString());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info)) {
        const DWORD error = ::GetLastError();
        result.second.Format(L"Error launching executable: %s",
                             win32::SystemErrorText(error).c_str());
        return result;
    }
    win32::UniqueKernelHandle process(info.hProcess);
    win32::UniqueKernelHandle thread(info.hThread);
    if (wait) {
        ::WaitForSingleObject(process.get(), INFINITE);
        ::GetExitCodeProcess(process.get(), &result.first);
    }
    if (result.first != 0) {
        result.second.Format(L"exit code = %u", static_cast<unsigned>(result.first));
    }
    return result;
}

std::future<RunResult> RunProcessAsync(const CString& path, const CString& arguments, bool wait) {
    return std::async(std::launch::async,
                      [path, arguments, wait] { return RunProcess(path, arguments, wait); });
}
