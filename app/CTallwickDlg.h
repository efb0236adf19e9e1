#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "controls/CStaticFromImage.h"
#include "framework/CBrush.h"
#include "framework/CDialogEx.h"
#include "framework/CRect.h"
#include "framework/CStatic.h"
#include "pages/ButtonType.h"
#include "win32/UniqueHandle.h"

class ErrorPage;
class IPage;
class LanguageManager;
class Package;

// The wizard's frame: header, page area and button bar. Owns the pages,
// shows one at a time, follows the buttons the pages report, shows the error
// page on request and asks before the user quits.
class CTallwickDlg : public CDialogEx {
public:
    static constexpr UINT kTemplate = 103;
    static constexpr UINT kAboutCommand = 0x10;
    static constexpr int kShowErrorCommand = 1038;

    explicit CTallwickDlg(HWND parent = nullptr);
    ~CTallwickDlg() override;

    void OnButton(ButtonType type);
    void ShowPage(uint32_t index);
    void ShowError(const CString& title, const CString& text);

    const std::vector<std::unique_ptr<IPage>>& Pages() const { return pages; }
    uint32_t CurrentPage() const { return currentPage; }
    ErrorPage* GetErrorPage() const { return errorPage.get(); }
    const std::shared_ptr<LanguageManager>& GetLanguageManager() const { return languageManager; }
    void SetInstallersRunning(bool running) { installersRunning = running; }

protected:
    BOOL OnInitDialog() override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind) override;

private:
    bool CreateInitialPages();
    void CreatePage(IPage& page, const CRect& rect);
    void CreateAndAddPage(std::unique_ptr<IPage> page, const CRect& rect);
    CRect PageRect() const;
    LRESULT OnLoadCompleteMessage(WPARAM, LPARAM);
    void OnClose();
    void OnEnter();
    void DeleteWorkFolder();
    void RemoveUnusedWorkFolder();
    void EnsureSystemClose();

    HICON appIcon = nullptr;
    std::vector<std::unique_ptr<IPage>> pages;
    uint32_t currentPage = 0;
    std::unique_ptr<ErrorPage> errorPage;
    std::shared_ptr<LanguageManager> languageManager;
    bool errorShown = false;
    bool installersRunning = false;
    bool skipLoading = false;
    CStatic headerTitle;
    CStaticFromImage headerIcon;
    CStatic headerLine;
    CBrush accentBrush;
    CStatic buttonBar;
    std::vector<std::shared_ptr<Package>> loadedPackages;
    win32::UniqueKernelHandle instanceMutex;
};
