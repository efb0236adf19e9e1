// The real DLM wizard, started from a folder whose name has spaces,
// non-ASCII characters and some length, against a service that never
// answers, drips, or refuses every analytics event: the window stays
// responsive, closing it (confirmed) ends the process within 30 seconds, and
// the working folder goes.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "support/ServiceControl.h"
#include "support/WizardWindows.h"
#include "win32/UniqueHandle.h"

namespace {

using namespace wizard_windows;

using nlohmann::json;
using Clock = std::chrono::steady_clock;

const auto kQuitBound = std::chrono::seconds(30);

// The DLM wizard among the paths this program is given (see CMakeLists.txt).
std::wstring DlmWizard() {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring found;
    for (int i = 1; args && i < count; ++i) {
        std::wstring arg = args[i];
        for (wchar_t& ch : arg) {
            if (ch == L'/') {
                ch = L'\\';
            }
        }
        const std::wstring name = L"\\tallwick-dlm.exe";
        if (arg.size() > name.size() &&
            arg.compare(arg.size() - name.size(), name.size(), name) == 0) {
            found = arg;
        }
    }
    LocalFree(args);
    return found;
}

int WorkFolderCount() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    WIN32_FIND_DATAW entry;
    win32::UniqueFindHandle find(FindFirstFileW((std::wstring(temp) + L"ISV*").c_str(), &entry));
    int count = 0;
    if (find) {
        do {
            count += (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
        } while (FindNextFileW(find.get(), &entry));
    }
    return count;
}

// A copy of the wizard in a folder with spaces, accents, CJK characters and a
// long name; removed with the folder afterwards.
class WizardCopy {
public:
    explicit WizardCopy(const std::wstring& original) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"Tallwick Setup \u00c4\u00f6\u00fc \u00f1 \u65e5\u672c " +
                 std::wstring(80, L'x') + L" " + std::to_wstring(GetCurrentProcessId());
        if (!CreateDirectoryW(folder.c_str(), nullptr)) {
            error = GetLastError();
            return;
        }
        path = folder + L"\\Tallwick Setup \u00e9.exe";
        if (!CopyFileW(original.c_str(), path.c_str(), FALSE)) {
            error = GetLastError();
            path.clear();
        }
    }
    ~WizardCopy() {
        std::wstring from = folder;
        from.push_back(L'\0');
        SHFILEOPSTRUCTW op = {};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        SHFileOperationW(&op);
    }
    WizardCopy(const WizardCopy&) = delete;
    WizardCopy& operator=(const WizardCopy&) = delete;

    std::wstring folder;
    std::wstring path;
    DWORD error = 0;
};

json Repeated(const json& response, int times) {
    json responses = json::array();
    for (int i = 0; i < times; ++i) {
        responses.push_back(response);
    }
    return responses;
}

TEST(QuitBound, ClosingTheWizardEndsItWithinThirtySecondsWhateverTheServiceDoes) {
    const std::wstring original = DlmWizard();
    if (original.empty()) {
        GTEST_SKIP() << "this build has no DLM wizard";
    }
    WizardCopy copy(original);
    ASSERT_FALSE(copy.path.empty())
        << "cannot place the wizard under a non-ASCII path, error " << copy.error;

    const std::string drip(200, ' ');
    const struct {
        const char* label;
        json configuration;
        json analytics;
        size_t leastAnalyticsRequests;  // the start and the exit event at least
    } cases[] = {
        {"never answers", {{"delay", 30}}, {{"delay", 30}}, 2},
        {"one byte a second",
         {{"body", drip}, {"pace", {1, 1}}},
         {{"body", drip}, {"pace", {1, 1}}},
         2},
        {"analytics answers 500", {{"delay", 30}}, {{"status", 500}}, 2},
    };
    double longest = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        service::Reset();
        service::SetScenario(
            json::array({{{"path", "/o"}, {"responses", Repeated(c.configuration, 5)}},
                         {{"path", "/zbd"}, {"responses", Repeated(c.analytics, 10)}}}));
        const int foldersBefore = WorkFolderCount();

        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        std::wstring commandLine = L"\"" + copy.path + L"\"";
        ASSERT_TRUE(CreateProcessW(copy.path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, &startup, &info))
            << GetLastError();
        const win32::UniqueKernelHandle thread(info.hThread);
        const win32::UniqueKernelHandle process(info.hProcess);
        struct EndOnFailure {
            HANDLE process;
            ~EndOnFailure() {
                if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
                    TerminateProcess(process, 99);
                    WaitForSingleObject(process, 10000);
                }
            }
        } endOnFailure{info.hProcess};

        HWND wizard = WaitForDialog(info.dwProcessId, IsWizardWindow);
        ASSERT_TRUE(wizard) << "the wizard shows no window";
        HWND language = VisiblePageWith(wizard, 1010);
        ASSERT_TRUE(language);
        SendMessageW(GetDlgItem(language, 1010), BM_CLICK, 0, 0);
        // The loading page waits for the configuration; the window still
        // answers messages meanwhile.
        for (int waited = 0; waited < 15000 && service::Requests("/o").empty(); waited += 200) {
            Sleep(200);
        }
        Sleep(1000);
        DWORD_PTR answer = 0;
        EXPECT_TRUE(SendMessageTimeoutW(wizard, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer));

        // Before the last page closing asks first (the error page, shown when
        // a connection failed outright, does not).
        PostMessageW(wizard, WM_CLOSE, 0, 0);
        auto confirmed = Clock::now();
        for (int waited = 0; waited < 30000; waited += 100) {
            if (WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) {
                break;
            }
            // The question: any other dialog of the process.
            if (HWND question = FindDialog(info.dwProcessId, [wizard](HWND window) {
                    return window != wizard && !IsWizardWindow(window);
                })) {
                confirmed = Clock::now();
                PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                break;
            }
            Sleep(100);
        }
        const DWORD waited = WaitForSingleObject(
            info.hProcess,
            static_cast<DWORD>(
                std::chrono::duration_cast<std::chrono::milliseconds>(kQuitBound * 2).count()));
        const double took = std::chrono::duration<double>(Clock::now() - confirmed).count();
        EXPECT_EQ(WAIT_OBJECT_0, waited);
        EXPECT_LT(took, 30.0);
        longest = std::max(longest, took);
        EXPECT_EQ(foldersBefore, WorkFolderCount()) << "the working folder was left behind";
        EXPECT_GE(service::Requests("/zbd").size(), c.leastAnalyticsRequests);
        std::printf("quit with a service that %s: process gone %.1f s after the confirmation\n",
                    c.label, took);
    }
    std::printf("longest quit: %.1f s\n", longest);
}

}  // namespace
