#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/CString.h"
#include "win32/UniqueHandle.h"

class Package;

// One registration of an application under App Paths, per root and view.
struct AppPathEntry {
    HKEY rootKey = nullptr;
    REGSAM viewFlags = 0;
    CString path;  // the registered executable, read at the first lookup
    bool resolved = false;
};

// Decides, offer by offer, which offers of one configuration response may be
// shown. Created for one evaluation run and used by one thread; the machine
// facts it measures are kept for the rest of the run.
//
// Every check returns true when it rejects the offer, and has then already
// reported the verdict as the package's analytics event.
class PackageChecker {
public:
    explicit PackageChecker(int32_t maxOffers);

    PackageChecker(const PackageChecker&) = delete;
    PackageChecker& operator=(const PackageChecker&) = delete;

    // True when the offer is accepted. Sets limitReached (never clears it)
    // when the offer is rejected because maxOffers offers are accepted
    // already; that rejection is not reported. Errors other than registry
    // failures (a rule value that is not a number, a bare software root, an
    // unknown root name) leave Check and end the run without a verdict.
    bool Check(const std::shared_ptr<Package>& package, bool& limitReached);

    int32_t GetAcceptedCount() const { return acceptedCount; }
    const std::set<int32_t>& GetAcceptedVerticals() const { return acceptedVerticals; }

    // Registry and file rules.
    bool CheckRegistryRules(const std::shared_ptr<Package>& package);
    bool CheckRegistryValues(const std::shared_ptr<Package>& package);
    bool CheckRegistryData(const std::shared_ptr<Package>& package);
    bool AnyKeyExists(const std::vector<CString>& paths);
    bool CheckFiles(const std::shared_ptr<Package>& package);
    bool AnyFileExists(const std::vector<CString>& paths);
    bool CheckMinDaysUninstall(const std::shared_ptr<Package>& package);

    // System requirements.
    bool CheckDiskSpace(const std::shared_ptr<Package>& package);
    bool CheckMemory(const std::shared_ptr<Package>& package);
    bool CheckProcessor(const std::shared_ptr<Package>& package);
    bool CheckOsVersion(const std::shared_ptr<Package>& package);
    bool CheckPlatformVersion(const std::shared_ptr<Package>& package);
    bool CheckArchitecture(const std::shared_ptr<Package>& package);

    // Applications and browsers.
    bool CheckRunningApplications(const std::shared_ptr<Package>& package);
    bool CheckRegisteredApplications(const std::shared_ptr<Package>& package);
    bool FindRegisteredApplication(const CString& name);
    bool CheckChrome(const std::shared_ptr<Package>& package);
    bool CheckInternetExplorer(const std::shared_ptr<Package>& package);

    // Whether the key of a full path (long root name first) exists. Below the
    // software roots the first component is looked up in the run's cached
    // sub-key list before any key is opened.
    bool KeyExists(const CString& path);
    // Reads root\subKey value name as text from the first candidate key that
    // holds it as REG_SZ, REG_DWORD or REG_QWORD (numbers in decimal); for a
    // sub-key below "software" the wow6432node key is a second candidate on
    // 64-bit Windows. Throws std::out_of_range for a root that is not a long
    // root name.
    bool ReadValueAsString(const CString& root, const CString& subKey, const CString& valueName,
                           CString& output);

private:
    void TakeProcessList();
    void BuildAppPathIndex();

    std::set<int32_t> acceptedVerticals;
    int32_t acceptedCount = 0;
    const int32_t maxOffers;

    // One software key of one root and view: the names of its sub-keys, lower
    // case (an empty set has not been filled yet), and the key itself, kept
    // open for the run so that each lookup below it costs one open.
    struct SoftwareKey {
        std::set<std::wstring, std::less<>> subkeys;
        win32::UniqueRegKey key;
    };
    // Root key -> view flags -> software key name -> that key.
    std::map<HKEY, std::map<REGSAM, std::map<std::wstring, SoftwareKey>>> subkeyCache;

    uint64_t freeDiskMiB = 0;
    bool diskMeasured = false;
    uint64_t totalMemoryMiB = 0;
    bool memoryMeasured = false;
    uint32_t processorMhz = 0;
    bool processorMeasured = false;

    std::vector<std::wstring> processNames;                  // lower case; empty until taken
    std::multimap<std::wstring, AppPathEntry> appPathIndex;  // empty until built
};
