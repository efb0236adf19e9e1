#include <windows.h>

#include <cstdio>

#include "BuildVersion.h"
#include "CheckerTest.h"
#include "api/Encoding.h"
#include "api/OsVersion.h"
#include "support/ScopedRegistryKeys.h"
#include "win32/ProcessArchitecture.h"
#include "win32/UniqueHandle.h"

namespace {

using nlohmann::json;

const wchar_t kProcessorKey[] = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

uint64_t TotalMemoryMiB() {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    EXPECT_TRUE(GlobalMemoryStatusEx(&status));
    return status.ullTotalPhys / 1048576;
}

uint64_t ProcessorMhz() {
    DWORD mhz = 0;
    DWORD size = sizeof(mhz);
    EXPECT_EQ(ERROR_SUCCESS,
              RegGetValueW(HKEY_LOCAL_MACHINE, kProcessorKey, L"~MHz",
                           RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, nullptr, &mhz, &size));
    return mhz;
}

uint64_t FreeDiskMiB() {
    ULARGE_INTEGER free = {};
    EXPECT_TRUE(GetDiskFreeSpaceExW(L"C:\\", &free, nullptr, nullptr));
    return free.QuadPart >> 20;
}

class SystemRequirementsTest : public CheckerTest {};

TEST_F(SystemRequirementsTest, MemoryAndProcessorAsMeasuredPassAndOneMoreFails) {
    const uint64_t memory = TotalMemoryMiB();
    const uint64_t clock = ProcessorMhz();
    ASSERT_GT(memory, 0u);
    ASSERT_GT(clock, 0u);
    struct Case {
        json ps;
        Verdicts verdicts;
    } cases[] = {
        {{{"ram", memory}}, {}},
        {{{"ram", memory + 1}}, {"NOT ENOUGH RAM"}},
        {{{"cpu", clock}}, {}},
        {{{"cpu", clock + 1}}, {"NOT ENOUGH CPU"}},
        // The clock is a 32-bit number: beyond it nothing passes.
        {{{"cpu", 4294967296ull}}, {"NOT ENOUGH CPU"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ps.dump());
        service::Reset();
        const Outcome outcome = Evaluate(c.ps);
        EXPECT_EQ(c.verdicts.empty(), outcome.accepted);
        EXPECT_EQ(c.verdicts, outcome.verdicts);
    }
}

TEST_F(SystemRequirementsTest, FreeDiskSpaceAsMeasuredPassesAndOneMoreFails) {
    // Free space moves while other programs write; the checker measures once
    // per run, so take a run whose measurement fell between two equal ones.
    for (int attempt = 0; attempt < 5; ++attempt) {
        service::Reset();
        const uint64_t before = FreeDiskMiB();
        PackageChecker checker(10);
        const Outcome exact = Run(checker, Offer("exact", {{"disk", before}, {"v", 1}}));
        if (FreeDiskMiB() != before) {
            continue;
        }
        EXPECT_TRUE(exact.accepted);
        EXPECT_TRUE(exact.verdicts.empty());
        const Outcome more = Run(checker, Offer("more", {{"disk", before + 1}, {"v", 2}}));
        EXPECT_FALSE(more.accepted);
        EXPECT_EQ(Verdicts{"NOT ENOUGH DISK SPACE"}, more.verdicts);
        return;
    }
    FAIL() << "free disk space kept changing";
}

TEST_F(SystemRequirementsTest, AnUnreadableClockRejectsUntilItCanBeReadAgain) {
    PackageChecker checker(10);
    {
        ScopedRegistryKeys keys;
        keys.RemoveValue(HKEY_LOCAL_MACHINE, kProcessorKey, L"~MHz", KEY_WOW64_64KEY);
        EXPECT_EQ(Verdicts{"CPU CHECK FAILED: Couldn't read value"},
                  Run(checker, Offer("unreadable", {{"cpu", 1}, {"v", 1}})).verdicts);
    }
    // The failure was not kept: the next offer measures again.
    EXPECT_TRUE(Run(checker, Offer("readable", {{"cpu", 1}, {"v", 2}})).accepted);
    EXPECT_TRUE(VerdictsOf("readable").empty());
}

// Takes the processor key away for a moment and puts it back as it was: a
// volatile key, like the rest of the hardware description.
class MissingProcessorKey {
public:
    MissingProcessorKey() {
        win32::UniqueRegKey key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProcessorKey, 0, KEY_READ | KEY_WOW64_64KEY,
                          key.receive()) != ERROR_SUCCESS) {
            key.release();
            ADD_FAILURE() << "no processor key";
            return;
        }
        for (DWORD index = 0;; ++index) {
            wchar_t name[256];
            DWORD nameLength = 256;
            BYTE data[1024];
            DWORD size = sizeof(data);
            DWORD type = 0;
            if (RegEnumValueW(key.get(), index, name, &nameLength, nullptr, &type, data, &size) !=
                ERROR_SUCCESS) {
                break;
            }
            values.push_back(
                {std::wstring(name, nameLength), type, std::vector<BYTE>(data, data + size)});
        }
        key.reset();
        removed =
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kProcessorKey, KEY_WOW64_64KEY, 0) == ERROR_SUCCESS;
        EXPECT_TRUE(removed) << "cannot remove the processor key";
    }
    ~MissingProcessorKey() {
        if (!removed) {
            return;
        }
        win32::UniqueRegKey key;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProcessorKey, 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_WRITE | KEY_WOW64_64KEY, nullptr, key.receive(),
                            nullptr) != ERROR_SUCCESS) {
            key.release();
            ADD_FAILURE() << "cannot restore the processor key";
            return;
        }
        for (const auto& value : values) {
            RegSetValueExW(key.get(), value.name.c_str(), 0, value.type, value.data.data(),
                           static_cast<DWORD>(value.data.size()));
        }
    }
    MissingProcessorKey(const MissingProcessorKey&) = delete;
    MissingProcessorKey& operator=(const MissingProcessorKey&) = delete;

private:
    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    std::vector<Value> values;
    bool removed = false;
};

TEST_F(SystemRequirementsTest, AMissingProcessorKeyRejectsUntilItIsBack) {
    const uint64_t clock = ProcessorMhz();
    PackageChecker checker(10);
    {
        MissingProcessorKey missing;
        EXPECT_EQ(Verdicts{"CPU CHECK FAILED: Couldn't open registry"},
                  Run(checker, Offer("missing", {{"cpu", 1}, {"v", 1}})).verdicts);
    }
    EXPECT_EQ(clock, ProcessorMhz());
    EXPECT_TRUE(Run(checker, Offer("back", {{"cpu", clock}, {"v", 2}})).accepted);
}

TEST_F(SystemRequirementsTest, WindowsVersionCodesAgainstThePrefixVersion) {
    unsigned major = 0;
    unsigned minor = 0;
    ASSERT_EQ(2, std::sscanf(GetOsVersionString().c_str(), "%u.%u", &major, &minor));
    const auto atLeast = [&](unsigned wantedMajor, unsigned wantedMinor) {
        return major > wantedMajor || (major == wantedMajor && minor >= wantedMinor);
    };
    struct Case {
        int32_t ov;
        bool passes;
    } cases[] = {
        {61, atLeast(6, 1)},
        {62, atLeast(6, 2)},
        {63, atLeast(6, 3)},
        {100, atLeast(10, 0)},
        // Codes outside the table fail on every system; none at all passes.
        {64, false},
        {95, false},
        {110, false},
        {1, false},
        {0, true},
        {-5, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ov);
        service::Reset();
        const Outcome outcome = Evaluate({{"ov", c.ov}});
        EXPECT_EQ(c.passes, outcome.accepted);
        EXPECT_EQ(c.passes ? Verdicts{} : Verdicts{"UNSUPPORTED OS VERSION"}, outcome.verdicts);
    }
}

TEST_F(SystemRequirementsTest, WizardVersionAgainstTheBuildsOwnVersion) {
    const std::string own = WideToNarrow(config->programVersion);
    ASSERT_EQ(TALLWICK_VERSION_TEXT, own);
    const std::vector<int32_t> parts = ParseVersion(config->programVersion);
    ASSERT_EQ(4u, parts.size());
    const auto join = [](std::vector<int32_t> numbers) {
        std::string text;
        for (int32_t number : numbers) {
            text += (text.empty() ? "" : ".") + std::to_string(number);
        }
        return text;
    };
    const int32_t a = parts[0], b = parts[1], c = parts[2], d = parts[3];
    struct Case {
        std::string pv;
        bool passes;
    } cases[] = {
        {own, true},
        {join({a, b, c}), true},  // the missing fourth part is 0
        {join({a, b, c, d + 1}), false},
        {join({a, b, c + 1}), false},
        {join({a, b + 1}), false},
        {join({a + 1}), false},
        {join({a - 1, 99, 99, 99}), a > 0},
        {join({a, b, c, d, 1}), false},
        {std::to_string(a) + ".." + std::to_string(b) + "." + std::to_string(c) + "." +
             std::to_string(d),
         true},
        {"x", true},
        {"", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pv);
        service::Reset();
        const Outcome outcome = Evaluate({{"pv", c.pv}});
        EXPECT_EQ(c.passes, outcome.accepted);
        EXPECT_EQ(c.passes ? Verdicts{} : Verdicts{"UNSUPPORTED PLATFORM VERSION"},
                  outcome.verdicts);
    }
}

TEST_F(SystemRequirementsTest, AWizardWithoutVersionMeetsOnlyZeroRequirements) {
    const CString saved = config->programVersion;
    config->programVersion = L"";
    const Outcome zero = Evaluate({{"pv", "0.0"}}, "zero");
    const Outcome some = Evaluate({{"pv", "0.0.1"}}, "some");
    config->programVersion = saved;
    EXPECT_TRUE(zero.accepted);
    EXPECT_EQ(Verdicts{"UNSUPPORTED PLATFORM VERSION"}, some.verdicts);
}

TEST_F(SystemRequirementsTest, A64BitSystemMeetsTheRequirement) {
    ASSERT_TRUE(win32::IsWow64()) << "needs the 64-bit prefix";
    EXPECT_TRUE(Evaluate({{"win64", true}}).accepted);
    EXPECT_TRUE(Evaluate({{"x", 10}}, "preset").accepted);
}

TEST_F(SystemRequirementsTest, A32BitSystemFailsTheRequirementOn32BitWindows) {
    ASSERT_FALSE(win32::IsWow64()) << "needs the 32-bit prefix";
    EXPECT_EQ(Verdicts{"64 BIT OS REQUIRED"}, Evaluate({{"win64", true}}).verdicts);
    EXPECT_EQ(Verdicts{"64 BIT OS REQUIRED"}, Evaluate({{"x", 10}}, "preset").verdicts);
    EXPECT_TRUE(Evaluate({{"win64", false}}, "none").accepted);
}

}  // namespace
