#pragma once

// The reason texts a rejected offer reports (analytics event 2, member "13").
// The services that read the events match them exactly.
namespace verdict {

constexpr const char kSameVertical[] = "SAME VERTICAL OFFER ALREADY PRESENT";
constexpr const char kMultipleWithoutVertical[] = "MULTIPLE OFFERS W/O VERTICAL";
constexpr const char kExclusive[] = "EXCLUSIVE, BUT ANOTHER OFFER ALREADY PRESENT";
constexpr const char kRegistryKeyExists[] = "REGISTRY KEY EXISTS";
constexpr const char kNoRegistryKeyExists[] = "NONE OF THE REGISTRY KEYS EXISTS";
constexpr const char kRegistryValueExists[] = "REGISTRY VALUE EXISTS";
constexpr const char kRegistryDataMatches[] = "REGISTRY VALUE DATA MATCHES";
// Followed by the decimal system error code.
constexpr const char kDiskCheckFailed[] = "DISK SPACE CHECK FAILED {}";
constexpr const char kNotEnoughDisk[] = "NOT ENOUGH DISK SPACE";
constexpr const char kRamCheckFailed[] = "RAM CHECK FAILED ";
constexpr const char kNotEnoughRam[] = "NOT ENOUGH RAM";
constexpr const char kCpuOpenFailed[] = "CPU CHECK FAILED: Couldn't open registry";
constexpr const char kCpuReadFailed[] = "CPU CHECK FAILED: Couldn't read value";
constexpr const char kNotEnoughCpu[] = "NOT ENOUGH CPU";
constexpr const char kUnsupportedOs[] = "UNSUPPORTED OS VERSION";
constexpr const char kUnsupportedPlatform[] = "UNSUPPORTED PLATFORM VERSION";
constexpr const char kNeeds64Bit[] = "64 BIT OS REQUIRED";
constexpr const char kFileExists[] = "FILE EXISTS";
constexpr const char kNoFileExists[] = "NONE OF THE FILES EXISTS";
constexpr const char kApplicationRunning[] = "APPLICATION RUNNING";
constexpr const char kIncludeAppNotFound[] = "REGISTRY INCLUDE APP NOT FOUND";
constexpr const char kExcludeAppFound[] = "REGISTRY EXCLUDE APP FOUND";
constexpr const char kMinDaysUninstall[] = "MIN DAYS UNINSTALL CHECKER";
constexpr const char kNoChrome[] = "NO CHROME";
constexpr const char kHaveChrome[] = "HAVE CHROME";
constexpr const char kOldIe[] = "OLD IE VERSION";

}  // namespace verdict
