// Hardware and system requirements of an offer: free disk space, memory,
// processor clock, Windows version, wizard version and a 64-bit system.
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <string>

#include "api/Encoding.h"
#include "api/Package.h"
#include "checks/AnsiToWide.h"
#include "checks/PackageChecker.h"
#include "checks/ReportCheckFailure.h"
#include "checks/Verdicts.h"
#include "config/ConfigurationManager.h"
#include "win32/ProcessArchitecture.h"
#include "win32/UniqueHandle.h"

namespace {

struct CoTaskMemDeleter {
    void operator()(wchar_t* memory) const { ::CoTaskMemFree(memory); }
};

const uint64_t kBytesPerMiB = 1048576;

// The default user's desktop decides the drive: it is where a new user's
// files would land.
std::wstring DefaultUserDesktopRoot() {
    wchar_t* raw = nullptr;
    const HRESULT hr =
        ::SHGetKnownFolderPath(FOLDERID_Desktop, 0, reinterpret_cast<HANDLE>(-1), &raw);
    std::unique_ptr<wchar_t, CoTaskMemDeleter> path(raw);
    if (FAILED(hr) || !path) {
        return std::wstring();
    }
    return std::wstring(path.get()).substr(0, 3);
}

struct OsVersionCode {
    int32_t code;
    DWORD major;
    DWORD minor;
};

const OsVersionCode kOsVersionCodes[] = {{61, 6, 1}, {62, 6, 2}, {63, 6, 3}, {100, 10, 0}};

// Relies on the manifest's supportedOS list: without it Windows 8.1 and 10
// answer as 6.2.
bool SystemIsAtLeast(DWORD major, DWORD minor) {
    OSVERSIONINFOEXW wanted = {};
    wanted.dwOSVersionInfoSize = sizeof(wanted);
    wanted.dwMajorVersion = major;
    wanted.dwMinorVersion = minor;
    wanted.wServicePackMajor = 0;
    ULONGLONG mask = 0;
    mask = ::VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
    mask = ::VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
    mask = ::VerSetConditionMask(mask, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    return ::VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                                mask) != FALSE;
}

}  // namespace

bool PackageChecker::CheckDiskSpace(const std::shared_ptr<Package>& package) {
    if (package->disk == 0) {
        return false;
    }
    if (!diskMeasured) {
        const std::wstring root = DefaultUserDesktopRoot();
        ULARGE_INTEGER freeToCaller = {};
        if (!::GetDiskFreeSpaceExW(root.c_str(), &freeToCaller, nullptr, nullptr)) {
            const DWORD error = ::GetLastError();
            std::string text = verdict::kDiskCheckFailed;
            text.replace(text.find("{}"), 2, std::to_string(error));
            ReportCheckFailure(package, text);
            return true;
        }
        freeDiskMiB = freeToCaller.QuadPart >> 20;
        diskMeasured = true;
    }
    if (freeDiskMiB >= package->disk) {
        return false;
    }
    ReportCheckFailure(package, verdict::kNotEnoughDisk);
    return true;
}

bool PackageChecker::CheckMemory(const std::shared_ptr<Package>& package) {
    if (package->ram == 0) {
        return false;
    }
    if (!memoryMeasured) {
        MEMORYSTATUSEX status = {};
        status.dwLength = 64;
        if (!::GlobalMemoryStatusEx(&status)) {
            const DWORD error = ::GetLastError();
            ReportCheckFailure(package, verdict::kRamCheckFailed + std::to_string(error));
            return true;
        }
        totalMemoryMiB = status.ullTotalPhys / kBytesPerMiB;
        memoryMeasured = true;
    }
    if (totalMemoryMiB >= package->ram) {
        return false;
    }
    ReportCheckFailure(package, verdict::kNotEnoughRam);
    return true;
}

bool PackageChecker::CheckProcessor(const std::shared_ptr<Package>& package) {
    if (package->cpu == 0) {
        return false;
    }
    if (!processorMeasured) {
        win32::UniqueRegKey key;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                            "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0,
                            KEY_READ | KEY_WOW64_64KEY, key.receive()) != ERROR_SUCCESS) {
            key.release();
            ReportCheckFailure(package, verdict::kCpuOpenFailed);
            return true;
        }
        DWORD mhz = 0;
        DWORD size = sizeof(mhz);
        if (::RegQueryValueExA(key.get(), "~MHz", nullptr, nullptr, reinterpret_cast<BYTE*>(&mhz),
                               &size) != ERROR_SUCCESS) {
            ReportCheckFailure(package, verdict::kCpuReadFailed);
            return true;
        }
        processorMhz = mhz;
        processorMeasured = true;
    }
    if (static_cast<uint64_t>(processorMhz) >= package->cpu) {
        return false;
    }
    ReportCheckFailure(package, verdict::kNotEnoughCpu);
    return true;
}

bool PackageChecker::CheckOsVersion(const std::shared_ptr<Package>& package) {
    if (package->ov < 1) {
        return false;
    }
    const auto known =
        std::find_if(std::begin(kOsVersionCodes), std::end(kOsVersionCodes),
                     [&package](const OsVersionCode& entry) { return entry.code == package->ov; });
    if (known != std::end(kOsVersionCodes) && SystemIsAtLeast(known->major, known->minor)) {
        return false;
    }
    ReportCheckFailure(package, verdict::kUnsupportedOs);
    return true;
}

bool PackageChecker::CheckPlatformVersion(const std::shared_ptr<Package>& package) {
    const CString required = AnsiToWide(package->pv);
    if (required.IsEmpty()) {
        return false;
    }
    const std::vector<int32_t> wanted = ParseVersion(required);
    const std::vector<int32_t> own =
        ParseVersion(ConfigurationManager::GetInstance()->programVersion);
    const size_t positions = std::max(wanted.size(), own.size());
    for (size_t index = 0; index < positions; ++index) {
        const int32_t mine = index < own.size() ? own[index] : 0;
        const int32_t theirs = index < wanted.size() ? wanted[index] : 0;
        if (mine < theirs) {
            ReportCheckFailure(package, verdict::kUnsupportedPlatform);
            return true;
        }
        if (mine > theirs) {
            return false;
        }
    }
    return false;
}

bool PackageChecker::CheckArchitecture(const std::shared_ptr<Package>& package) {
    if (!package->win64 || win32::IsWow64()) {
        return false;
    }
    ReportCheckFailure(package, verdict::kNeeds64Bit);
    return true;
}
