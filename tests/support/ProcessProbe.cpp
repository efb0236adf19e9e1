// A small program for the launcher tests: it records the command line it was
// started with in "<its own path>.cmdline" (UTF-16) and ends with the exit
// code given as its first argument (0 without one), after waiting the number
// of milliseconds given as its second argument.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <memory>
#include <string>

#include "win32/UniqueHandle.h"

int wmain() {
    const wchar_t* commandLine = GetCommandLineW();
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring record = std::wstring(self) + L".cmdline";
    {
        win32::UniqueFileHandle file(
            CreateFileW(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        WriteFile(file.get(), commandLine,
                  static_cast<DWORD>(std::wcslen(commandLine) * sizeof(wchar_t)), &written,
                  nullptr);
    }
    struct LocalFreeDeleter {
        void operator()(LPWSTR* p) const { LocalFree(p); }
    };
    int count = 0;
    std::unique_ptr<LPWSTR, LocalFreeDeleter> arguments(CommandLineToArgvW(commandLine, &count));
    if (!arguments || count < 2) {
        return 0;
    }
    if (count >= 3) {
        Sleep(static_cast<DWORD>(std::wcstoul(arguments.get()[2], nullptr, 10)));
    }
    return static_cast<int>(std::wcstoul(arguments.get()[1], nullptr, 10));
}
