// Wall time and registry keys opened for one evaluation run of 200 offers
// with 20 registry rules each, on the prefix's real keys, with the run's sub-key cache and
// with the same rules looked up by opening every candidate key directly.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ImportCounter.h"
#include "api/Package.h"
#include "checks/LowerCase.h"
#include "checks/PackageChecker.h"
#include "config/BuildConstants.h"
#include "win32/RegistryKey.h"
#include "win32/RegistryPaths.h"
#include "win32/UniqueHandle.h"

const BuildConstants& ProductBuildConstants() {
    static const BuildConstants constants{"DLM", false, L"https://localhost",
                                          L"https://localhost/privacy"};
    return constants;
}

namespace {

using nlohmann::json;

const int kOffers = 200;
const int kRepetitions = 5;

// 20 rules as offers write them, on the prefix's own keys: 16 keys that must
// be absent (products most machines lack, two of them below a vendor key
// that exists), 3 keys of which one must exist, 1 value that must be absent.
// Every offer passes.
json OfferPs(int offer) {
    const std::string index = std::to_string(offer);
    json r = json::array();
    for (int j = 0; j < 14; ++j) {
        r.push_back("benchvendor" + index + "x" + std::to_string(j) + "\\product");
    }
    r.push_back("microsoft\\benchproduct" + index);
    r.push_back("wine\\benchproduct" + index);
    const json ir = {"benchvendor" + index + "\\tool", "hkcu\\software\\benchvendor" + index,
                     "hklm\\software\\microsoft\\windows\\currentversion"};
    const json rvn = {"hklm\\software\\microsoft\\windows\\currentversion\\benchvalue" + index};
    return {{"v", offer}, {"r", r}, {"ir", ir}, {"rvn", rvn}};
}

std::vector<std::shared_ptr<Package>> MakeOffers() {
    SignedRequest request;
    std::vector<std::shared_ptr<Package>> offers;
    for (int offer = 0; offer < kOffers; ++offer) {
        json element = {{"ad", {{"f", "F"}, {"o", "bench-" + std::to_string(offer)}}},
                        {"ps", {{"i", "i.png"}, {"dn", "Offer"}, {"u", "/f/o.exe"}}}};
        element["ps"].update(OfferPs(offer));
        offers.push_back(std::make_shared<Package>(request, element, false, "", offer));
    }
    return offers;
}

// The lookup the cache replaces: every candidate key opened in its view.
bool KeyExistsDirectly(const CString& path) {
    CString rewritten = path;
    REGSAM access = KEY_READ;
    if (win32::SelectRegistryView(rewritten, access)) {
        return false;
    }
    const auto parts = win32::SplitAtFirstSeparator(rewritten);
    win32::UniqueRegKey key;
    return win32::TryOpenRegistryKey(win32::RootKeys.at(parts.first.str()), parts.second, access,
                                     key) == ERROR_SUCCESS;
}

bool AnyKeyExistsDirectly(const std::vector<CString>& entries) {
    for (const CString& entry : entries) {
        const auto candidates = win32::ExpandRegistryPath(LowerCase(entry));
        if (candidates.empty()) {
            return false;
        }
        for (const CString& candidate : candidates) {
            if (KeyExistsDirectly(candidate)) {
                return true;
            }
        }
    }
    return false;
}

bool AnyValueExistsDirectly(const std::vector<CString>& entries) {
    for (const CString& entry : entries) {
        for (const CString& candidate : win32::ExpandRegistryPath(LowerCase(entry))) {
            const auto keyAndValue = win32::SplitAtLastSeparator(candidate);
            if (!KeyExistsDirectly(keyAndValue.first)) {
                continue;
            }
            CString path = keyAndValue.first;
            REGSAM access = KEY_READ;
            win32::SelectRegistryView(path, access);
            const auto parts = win32::SplitAtFirstSeparator(path);
            win32::UniqueRegKey key;
            if (win32::TryOpenRegistryKey(win32::RootKeys.at(parts.first.str()), parts.second,
                                          access, key) == ERROR_SUCCESS &&
                RegGetValueW(key.get(), nullptr, keyAndValue.second, RRF_RT_ANY, nullptr, nullptr,
                             nullptr) == ERROR_SUCCESS) {
                return true;
            }
        }
    }
    return false;
}

struct Measurement {
    double milliseconds;
    long opened;
    int accepted;
};

template <typename Run>
Measurement Measure(Run run) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    RegistryOpenCounter::Reset();
    QueryPerformanceCounter(&start);
    const int accepted = run();
    QueryPerformanceCounter(&end);
    return {1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart,
            RegistryOpenCounter::Count(), accepted};
}

template <typename Run>
Measurement Median(Run run) {
    std::vector<Measurement> runs;
    for (int repetition = 0; repetition < kRepetitions; ++repetition) {
        runs.push_back(Measure(run));
    }
    std::sort(runs.begin(), runs.end(), [](const Measurement& a, const Measurement& b) {
        return a.milliseconds < b.milliseconds;
    });
    return runs[runs.size() / 2];
}

}  // namespace

int main() {
    if (!RegistryOpenCounter::Install()) {
        std::printf("cannot count RegOpenKeyExW calls: import entry not found\n");
        return 1;
    }
    const auto offers = MakeOffers();

    const Measurement cached = Median([&] {
        PackageChecker checker(kOffers);
        int accepted = 0;
        for (const auto& offer : offers) {
            bool limitReached = false;
            accepted += checker.Check(offer, limitReached) ? 1 : 0;
        }
        return accepted;
    });
    const Measurement direct = Median([&] {
        int accepted = 0;
        for (const auto& offer : offers) {
            const bool rejected = AnyKeyExistsDirectly(offer->r) ||
                                  !AnyKeyExistsDirectly(offer->ir) ||
                                  AnyValueExistsDirectly(offer->rvn);
            accepted += rejected ? 0 : 1;
        }
        return accepted;
    });

    std::printf("registry rules: %d offers x 20 rules, %s Windows, median of %d runs\n", kOffers,
                win32::IsSystem64() ? "64-bit" : "32-bit", kRepetitions);
    std::printf("%-22s %10s %13s %9s\n", "lookup", "wall ms", "keys opened", "accepted");
    std::printf("%-22s %10.1f %13ld %9d\n", "sub-key cache", cached.milliseconds, cached.opened,
                cached.accepted);
    std::printf("%-22s %10.1f %13ld %9d\n", "cache bypassed", direct.milliseconds, direct.opened,
                direct.accepted);
    std::printf("target: one cached run under 200 ms: %s\n",
                cached.milliseconds < 200.0 ? "met" : "MISSED");
    return cached.accepted == kOffers && direct.accepted == kOffers ? 0 : 1;
}
