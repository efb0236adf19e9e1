// Offers that must not be shown while a program of a given name runs.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>

#include "api/Package.h"
#include "checks/AnsiToWide.h"
#include "checks/LowerCase.h"
#include "checks/PackageChecker.h"
#include "checks/ReportCheckFailure.h"
#include "checks/Verdicts.h"
#include "win32/UniqueHandle.h"

namespace {

size_t CountDots(const std::wstring& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), L'.'));
}

}  // namespace

void PackageChecker::TakeProcessList() {
    // A failed snapshot leaves the list empty, and the next offer tries again.
    win32::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return;
    }
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        processNames.push_back(LowerCase(entry.szExeFile).str());
    }
}

bool PackageChecker::CheckRunningApplications(const std::shared_ptr<Package>& package) {
    if (processNames.empty()) {
        TakeProcessList();
    }
    for (const std::string& application : package->a) {
        const std::wstring name = LowerCase(AnsiToWide(application)).str();
        const size_t nameDots = CountDots(name);
        for (const std::wstring& process : processNames) {
            // "chrome.exe" running matches "chrome", and "chrome.exe.bak"
            // matches "chrome.exe": the process name loses its last part when
            // it has more dots than the name asked for.
            std::wstring compared = process;
            if (CountDots(compared) > nameDots) {
                compared.erase(compared.rfind(L'.'));
            }
            if (compared == name) {
                ReportCheckFailure(package, verdict::kApplicationRunning);
                return true;
            }
        }
    }
    return false;
}
