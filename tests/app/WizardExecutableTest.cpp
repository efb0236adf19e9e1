#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BuildVersion.h"
#include "win32/UniqueHandle.h"

namespace {

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

}  // namespace

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
