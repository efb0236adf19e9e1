#include "api/OsVersion.h"

#include <windows.h>

namespace {
using RtlGetVersionFunction = LONG(WINAPI*)(PRTL_OSVERSIONINFOEXW);
}

std::string GetOsVersionString() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) {
        return std::string();
    }
    // Through void* because FARPROC and the real signature differ.
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")));
    if (!rtlGetVersion) {
        return std::string();
    }
    RTL_OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (rtlGetVersion(&info) != 0) {
        return std::string();
    }
    return std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
           std::to_string(info.dwBuildNumber);
}
