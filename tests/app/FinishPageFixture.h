#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/CTallwickDlg.h"
#include "config/ConfigurationManager.h"
#include "framework/ShellOpen.h"
#include "pages/IPage.h"
#include "support/RunState.h"
#include "support/UiEnvironment.h"

// What the wizard asked the shell to open: (target, parameters) per call.
using ShellCalls = std::vector<std::pair<std::wstring, std::wstring>>;

// The wizard of this program's variant on its finish page, as a loaded
// configuration and a finished download leave it: its working folder holds a
// downloaded installer, and the shell is replaced by a recorder. The
// download page is skipped, since it would start real downloads.
class FinishPageFixture : public UiTest {
protected:
    void SetUp() override {
        config = ConfigurationManager::GetInstance();
        ForgetEarlierRun(*config);
        savedDownloadedFile = config->downloadedFile;
        savedLaunchPath = config->launchPath;

        // Each test's wizard deletes the folder; the next one gets it back.
        ASSERT_FALSE(config->workFolder.IsEmpty());
        CreateDirectoryW(config->workFolder, nullptr);
        HANDLE file =
            CreateFileW(Installer(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);

        previousShell = SetShellOpenHook([this](const CString& target, const CString& parameters) {
            opened.emplace_back(target.str(), parameters.str());
        });

        dialog = std::make_unique<CTallwickDlg>();
        dialog->SetBackgroundColor(config->backgroundColor);
        ASSERT_TRUE(dialog->Create(nullptr));
        minimizeBoxAtStart = HasMinimizeBox();
        SendMessageW(*dialog, WM_LOAD_COMPLETE, 0, 0);
        ASSERT_GE(dialog->Pages().size(), 5u);
        dialog->ShowPage(static_cast<uint32_t>(dialog->Pages().size() - 1));
        finish = *dialog->Pages().back();
    }

    void TearDown() override {
        dialog.reset();
        SetShellOpenHook(std::move(previousShell));
        config->downloadedFile = savedDownloadedFile;
        config->launchPath = savedLaunchPath;
        DeleteFileW(Installer());
        RemoveDirectoryW(config->workFolder);
    }

    CString Installer() const { return config->workFolder + L"\\kestrano-setup.exe"; }
    bool HasMinimizeBox() const {
        return (GetWindowLongW(*dialog, GWL_STYLE) & WS_MINIMIZEBOX) != 0;
    }
    LRESULT Check(int id) const { return SendDlgItemMessageW(finish, id, BM_GETCHECK, 0, 0); }
    bool Ended() const { return dialog->GetEndResult() != -1; }
    bool WorkFolderExists() const {
        return GetFileAttributesW(config->workFolder) != INVALID_FILE_ATTRIBUTES;
    }

    std::shared_ptr<ConfigurationManager> config;
    std::unique_ptr<CTallwickDlg> dialog;
    HWND finish = nullptr;
    bool minimizeBoxAtStart = false;
    ShellCalls opened;

private:
    ShellOpenHook previousShell;
    CString savedDownloadedFile;
    CString savedLaunchPath;
};
