#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>

#include "config/ConfigurationManager.h"
#include "config/TempFolderGuard.h"
#include "BuildVersion.h"
#include "framework/Clock.h"
#include "support/MessageBoxRecorder.h"

namespace {

BuildConstants Constants(const char* type) {
    return {type, false, L"https://services.example.com", L"https://example.com/privacy"};
}

// Pins "now" for the scope of a test.
class ScopedClock {
public:
    explicit ScopedClock(std::time_t now) : now(now) {
        previous = SetClockSource([this] { return this->now; });
    }
    ~ScopedClock() { SetClockSource(std::move(previous)); }
    void Set(std::time_t value) { now = value; }

private:
    std::time_t now;
    std::function<std::time_t()> previous;
};

// The local time of a Unix time, computed through the Win32 time zone API
// rather than the C library the product uses.
std::string LocalTimeText(std::time_t unixTime) {
    ULARGE_INTEGER ticks;
    ticks.QuadPart = (static_cast<ULONGLONG>(unixTime) + 11644473600ULL) * 10000000ULL;
    FILETIME utc{ticks.LowPart, ticks.HighPart};
    SYSTEMTIME utcTime, local;
    FileTimeToSystemTime(&utc, &utcTime);
    SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &local);
    char text[32];
    snprintf(text, sizeof(text), "%04u%02u%02u%02u%02u%02u", local.wYear, local.wMonth, local.wDay,
             local.wHour, local.wMinute, local.wSecond);
    return text;
}

}  // namespace

TEST(ConfigurationManager, DlmBuildUsesTheDownloadsFolderAndAPrivateWorkFolder) {
    ConfigurationManager config(Constants("DLM"));
    TempFolderGuard guard(config.workFolder);

    EXPECT_EQ(config.wizardType, 1);
    EXPECT_FALSE(config.btVariant);
    EXPECT_EQ(config.configUrl, L"https://services.example.com/o");
    EXPECT_EQ(config.analyticsUrl, L"https://services.example.com/zbd");
    EXPECT_EQ(config.imageBaseUrl, L"https://services.example.com/f/");
    EXPECT_EQ(config.sdkLicenseUrl, L"https://example.com/privacy");
    EXPECT_EQ(config.makerName, L"Kestrano");
    EXPECT_EQ(config.installerId, L"Kestrano_DLM");
    EXPECT_EQ(config.installerKind, L"Kestrano_3vex");
    EXPECT_EQ(config.backgroundColor, 0xFAFAFAu);
    EXPECT_EQ(config.accentColor, 0xBD7702u);
    EXPECT_TRUE(config.productTitle.IsEmpty());

    EXPECT_EQ(config.downloadsFolder.Right(10), L"\\Downloads");
    EXPECT_TRUE(PathIsDirectoryW(config.downloadsFolder));
    EXPECT_TRUE(PathIsDirectoryW(config.workFolder));
    EXPECT_NE(config.workFolder, config.downloadsFolder);
    EXPECT_EQ(CString(PathFindFileNameW(config.workFolder)).Left(3), L"ISV");
}

TEST(ConfigurationManager, IsvBuildDownloadsIntoItsWorkFolderUnderTheMakersName) {
    ConfigurationManager config(Constants("ISV"));
    TempFolderGuard guard(config.workFolder);

    EXPECT_EQ(config.wizardType, 2);
    EXPECT_EQ(config.productTitle, L"Kestrano");
    EXPECT_TRUE(config.cu.IsEmpty());
    EXPECT_TRUE(config.cp.IsEmpty());
    EXPECT_TRUE(config.ctu.IsEmpty());
    EXPECT_TRUE(config.productArguments.IsEmpty());
    EXPECT_TRUE(config.launchPath.IsEmpty());
    EXPECT_TRUE(PathIsDirectoryW(config.workFolder));
    EXPECT_EQ(config.downloadsFolder, config.workFolder);
}

// An ISV build carries its product; a DLM build gets its own from the service.
TEST(ConfigurationManager, IsvProductConstantsFillOnlyTheIsvFlavour) {
    for (const char* type : {"ISV", "DLM"}) {
        SCOPED_TRACE(type);
        BuildConstants constants = Constants(type);
        constants.isvProductUrl = L"https://downloads.example.com/setup.exe";
        constants.isvProductArguments = L"/S";
        constants.isvLaunchPath = L"{commonpf}\\Kestrano\\viewer.exe";
        constants.isvLaunchArguments = L"--first-run";
        ConfigurationManager config(constants);
        TempFolderGuard guard(config.workFolder);

        const bool isv = std::string(type) == "ISV";
        EXPECT_EQ(config.cu, isv ? constants.isvProductUrl : L"");
        EXPECT_EQ(config.productArguments, isv ? constants.isvProductArguments : L"");
        EXPECT_EQ(config.launchPath, isv ? constants.isvLaunchPath : L"");
        EXPECT_EQ(config.launchArguments, isv ? constants.isvLaunchArguments : L"");
    }
}

TEST(ConfigurationManager, UnknownWizardTypeIsReportedAndCreatesNoFolder) {
    for (const char* name : {"XYZ", "dlm", ""}) {
        SCOPED_TRACE(name);
        MessageBoxRecorder boxes;
        ConfigurationManager config(Constants(name));

        EXPECT_EQ(config.wizardType, 0);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, L"Unknown wizard type");
        EXPECT_EQ(boxes.Boxes()[0].type & 0xF, static_cast<UINT>(MB_OK));
        EXPECT_TRUE(config.workFolder.IsEmpty());
        EXPECT_TRUE(config.downloadsFolder.IsEmpty());
        // Still a complete record.
        EXPECT_EQ(config.configUrl, L"https://services.example.com/o");
    }
}

TEST(ConfigurationManager, WorkFolderStaysEmptyWhenItCannotBeCreated) {
    UnusableTempFolder unusable;

    ConfigurationManager dlm(Constants("DLM"));
    EXPECT_TRUE(dlm.workFolder.IsEmpty());
    EXPECT_FALSE(dlm.downloadsFolder.IsEmpty());

    ConfigurationManager isv(Constants("ISV"));
    EXPECT_TRUE(isv.workFolder.IsEmpty());
    EXPECT_TRUE(isv.downloadsFolder.IsEmpty());
}

TEST(ConfigurationManager, ProgramVersionComesFromTheOwnVersionResource) {
    ConfigurationManager config(Constants("ISV"));
    TempFolderGuard guard(config.workFolder);
    EXPECT_EQ(WideToNarrow(config.programVersion), TALLWICK_VERSION_TEXT);
}

TEST(ConfigurationManager, GetInstanceIsOneSharedRecordOfTheBuildConstants) {
    auto first = ConfigurationManager::GetInstance();
    auto second = ConfigurationManager::GetInstance();
    TempFolderGuard guard(first->workFolder);
    EXPECT_EQ(first.get(), second.get());
    EXPECT_EQ(first->wizardType, 1);
    EXPECT_EQ(first->configUrl, L"https://localhost/o");
}

TEST(ConfigurationManager, RequestTimestampIsFixedAtItsFirstUse) {
    const std::time_t first = 1767225599;  // 2025-12-31 23:59:59 UTC
    ScopedClock clock(first);
    ConfigurationManager config(Constants("ISV"));
    TempFolderGuard guard(config.workFolder);

    const std::string stamp = config.GetRequestTimestamp();
    EXPECT_EQ(stamp, LocalTimeText(first));
    EXPECT_EQ(stamp.size(), 14u);

    clock.Set(first + 3600);
    EXPECT_EQ(config.GetRequestTimestamp(), stamp);
    EXPECT_EQ(config.requestTimestamp, stamp);
}

TEST(ConfigurationManager, UnconvertibleTimeGivesAnEmptyTimestampThatIsRetried) {
    ScopedClock clock(static_cast<std::time_t>(-1));
    ConfigurationManager config(Constants("ISV"));
    TempFolderGuard guard(config.workFolder);

    EXPECT_EQ(config.GetRequestTimestamp(), "");
    clock.Set(1700000000);
    EXPECT_EQ(config.GetRequestTimestamp(), LocalTimeText(1700000000));
}

TEST(ConfigurationManager, SetDownloadedFileRecordsThePath) {
    ConfigurationManager config(Constants("ISV"));
    TempFolderGuard guard(config.workFolder);
    config.SetDownloadedFile(L"C:\\users\\root\\Downloads\\Product.exe");
    EXPECT_EQ(config.downloadedFile, L"C:\\users\\root\\Downloads\\Product.exe");
}
