#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "BuildVersion.h"
#include "framework/CString.h"
#include "support/WizardWindows.h"
#include "win32/UniqueHandle.h"

namespace {

using namespace wizard_windows;

std::vector<std::wstring>& Wizards() {
    static std::vector<std::wstring> wizards;
    return wizards;
}

// The wizard paths arrive as arguments of this program (see CMakeLists.txt).
struct WizardArguments {
    WizardArguments() {
        int count = 0;
        LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
        for (int i = 1; args && i < count; ++i) {
            std::wstring arg = args[i];
            if (arg.rfind(L"--", 0) != 0) {
                for (wchar_t& ch : arg) {
                    if (ch == L'/')
                        ch = L'\\';
                }
                Wizards().push_back(arg);
            }
        }
        LocalFree(args);
    }
} wizardArguments;

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::wstring FileVersion(const std::wstring& path) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    std::vector<BYTE> block(size);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, block.data())) {
        return L"";
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)) {
        return L"";
    }
    wchar_t text[64];
    swprintf(text, 64, L"%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
             LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
             LOWORD(fixed->dwFileVersionLS));
    return text;
}

std::string Manifest(const std::wstring& path) {
    win32::UniqueModule module(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) {
        return "";
    }
    HRSRC info = FindResourceW(module.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    HGLOBAL data = info ? LoadResource(module.get(), info) : nullptr;
    if (!data) {
        return "";
    }
    return std::string(static_cast<const char*>(LockResource(data)),
                       SizeofResource(module.get(), info));
}

std::wstring ChildTexts(HWND window) {
    std::wstring texts;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[512] = {};
        GetWindowTextW(child, text, 512);
        texts += text;
        texts += L"|";
    }
    return texts;
}

struct Process {
    PROCESS_INFORMATION info{};
    explicit Process(const std::wstring& path) {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        std::wstring commandLine = L"\"" + path + L"\"";
        if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &info)) {
            info = {};
        }
    }
    ~Process() {
        if (info.hProcess) {
            if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(info.hProcess, 99);
            }
            CloseHandle(info.hThread);
            CloseHandle(info.hProcess);
        }
    }
    bool Running() const { return WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT; }
    bool Ended(DWORD timeoutMs) const {
        return WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0;
    }
};

int WorkFolderCount() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((std::wstring(temp) + L"ISV*").c_str(), &entry);
    int count = 0;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            count += (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    return count;
}

}  // namespace

TEST(WizardExecutables, SecondStartIsRefusedWhileTheFirstRuns) {
    std::wstring dlm;
    for (const std::wstring& wizard : Wizards()) {
        if (wizard.size() >= 16 &&
            wizard.compare(wizard.size() - 16, 16, L"tallwick-dlm.exe") == 0) {
            dlm = wizard;
        }
    }
    if (dlm.empty()) {
        GTEST_SKIP() << "this build has no DLM wizard";
    }
    const auto isWizard = IsWizardWindow;

    Process first(dlm);
    ASSERT_TRUE(first.info.hProcess);
    HWND wizard = WaitForDialog(first.info.dwProcessId, isWizard);
    ASSERT_TRUE(wizard) << "the first wizard shows no window";
    const int foldersBefore = WorkFolderCount();

    Process second(dlm);
    ASSERT_TRUE(second.info.hProcess);
    HWND box = WaitForDialog(second.info.dwProcessId, [](HWND window) {
        wchar_t caption[64] = {};
        GetWindowTextW(window, caption, 64);
        return std::wstring(caption) == L"Error";
    });
    ASSERT_TRUE(box) << "the second start shows no message";
    EXPECT_NE(
        ChildTexts(box).find(L"Another setup is already running, please close it and try again"),
        std::wstring::npos);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(second.Ended(30000));
    EXPECT_EQ(WorkFolderCount(), foldersBefore) << "the refused start left its working folder";

    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(IsWindowVisible(wizard));

    // The first wizard still answers: closing asks, OK ends it.
    PostMessageW(wizard, WM_CLOSE, 0, 0);
    HWND question = WaitForDialog(first.info.dwProcessId, [wizard](HWND window) {
        return window != wizard && GetDlgItem(window, 1014) == nullptr;
    });
    ASSERT_TRUE(question);
    EXPECT_NE(ChildTexts(question).find(L"Are you sure you want to exit the installer?"),
              std::wstring::npos);
    PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(first.Ended(30000));
}

TEST(WizardExecutables, CarryTheBuildVersionAndTheManifest) {
    ASSERT_FALSE(Wizards().empty()) << "no wizard executables were passed to the test";
    for (const std::wstring& wizard : Wizards()) {
        SCOPED_TRACE(Narrow(wizard));
        EXPECT_EQ(Narrow(FileVersion(wizard)), TALLWICK_VERSION_TEXT);

        const std::string manifest = Manifest(wizard);
        EXPECT_NE(manifest.find(R"(level="requireAdministrator")"), std::string::npos);
        EXPECT_NE(manifest.find(R"(uiAccess="false")"), std::string::npos);
        EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
        EXPECT_NE(manifest.find("<dpiAware>true</dpiAware>"), std::string::npos);
        for (const char* os :
             {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
              "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
              "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}) {
            EXPECT_NE(manifest.find(os), std::string::npos) << os;
        }
    }
}

namespace {

HWND VisiblePage(HWND wizard) {
    for (HWND child = GetWindow(wizard, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child) && GetDlgItem(child, 1010)) {
            return child;
        }
    }
    return nullptr;
}

std::string Text(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return WideToNarrow(text, CP_UTF8);
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Closes a wizard through its close box, confirming the question.
void CloseWizard(const Process& process, HWND wizard) {
    PostMessageW(wizard, WM_CLOSE, 0, 0);
    HWND question = WaitForDialog(process.info.dwProcessId, [wizard](HWND window) {
        return window != wizard && GetDlgItem(window, 1014) == nullptr;
    });
    if (question) {
        PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    EXPECT_TRUE(process.Ended(30000));
}

}  // namespace

TEST(WizardExecutables, EveryVariantStartsOnItsLanguagePage) {
    for (const std::wstring& path : Wizards()) {
        SCOPED_TRACE(Narrow(path));
        const bool bt = EndsWith(path, L"-bt.exe");
        const bool dlm = path.find(L"tallwick-dlm") != std::wstring::npos;

        Process wizardProcess(path);
        ASSERT_TRUE(wizardProcess.info.hProcess);
        HWND wizard = WaitForDialog(wizardProcess.info.dwProcessId, [](HWND window) {
            return GetDlgItem(window, 1014) != nullptr;
        });
        ASSERT_TRUE(wizard);
        EXPECT_EQ(Text(wizard), dlm ? "Setup" : "Kestrano ");
        HWND page = VisiblePage(wizard);
        ASSERT_TRUE(page);
        EXPECT_EQ(Text(GetDlgItem(page, 1010)), "Next");
        HWND combo = GetDlgItem(page, 1000);
        if (bt) {
            EXPECT_FALSE(IsWindowVisible(combo));
            EXPECT_EQ(Text(GetDlgItem(page, 1013)), "Welcome to the Setup Wizard");
            EXPECT_EQ(Text(GetDlgItem(page, 1012)).rfind("This wizard downloads", 0), 0u);
        } else {
            EXPECT_TRUE(IsWindowVisible(combo));
            wchar_t selected[64] = {};
            SendMessageW(combo, CB_GETLBTEXT, SendMessageW(combo, CB_GETCURSEL, 0, 0),
                         reinterpret_cast<LPARAM>(selected));
            EXPECT_EQ(Narrow(selected), "English");

            SendMessageW(combo, CB_SETCURSEL, 1, 0);
            SendMessageW(page, WM_COMMAND, MAKEWPARAM(1000, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(combo));
            EXPECT_EQ(Text(GetDlgItem(page, 1010)), "SIGUIENTE");
            EXPECT_EQ(Text(GetDlgItem(page, 1011)),
                      "Para continuar, selecciona tu idioma preferido y haz clic en "
                      "\"SIGUIENTE\".");
        }
        CloseWizard(wizardProcess, wizard);
    }
}
