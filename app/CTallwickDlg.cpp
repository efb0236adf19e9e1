#include "app/CTallwickDlg.h"

#include <objidl.h>
#include <gdiplus.h>

#include "app/CAboutDlg.h"
#include "app/MainPackage.h"
#include "config/ConfigurationManager.h"
#include "download/DownloadManager.h"
#include "framework/MessageBox.h"
#include "localisation/LanguageManager.h"
#include "pages/DownloadPageDlm.h"
#include "pages/DownloadPageIsv.h"
#include "pages/ErrorPage.h"
#include "pages/FinishPageDlm.h"
#include "pages/FinishPageIsv.h"
#include "pages/LanguagePage.h"
#include "pages/LanguagePageBT.h"
#include "pages/LicensePageIsv.h"
#include "pages/LoadingPage.h"
#include "pages/ProductPage.h"
#include "pages/WelcomePageIsv.h"
#include "process/FileSystem.h"

namespace {

const int kPageAreaId = 1014;
const int kButtonBarId = 1001;
const UINT kAboutString = 101;
const UINT kAppIcon = 128;

bool IsDownloadPage(const CString& name) {
    return name == L"DownloadPageDLM" || name == L"DownloadPageISV";
}

bool IsFinishPage(const CString& name) {
    return name == L"FinishPageDLM" || name == L"FinishPageISV";
}

}  // namespace

CTallwickDlg::CTallwickDlg(HWND parent)
    : CDialogEx(kTemplate, parent), languageManager(std::make_shared<LanguageManager>(this)) {
    appIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kAppIcon));

    OnMessage(WM_SYSCOMMAND, [this](WPARAM wParam, LPARAM, LRESULT& result) {
        if ((wParam & 0xFFF0) != kAboutCommand) {
            return false;
        }
        CAboutDlg about(m_hWnd);
        about.DoModal();
        result = 0;
        return true;
    });
    OnMessage(WM_PAINT, [this](WPARAM, LPARAM, LRESULT& result) {
        if (!::IsIconic(m_hWnd)) {
            return false;
        }
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(m_hWnd, &paint);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        RECT client;
        GetClientRect(&client);
        const int width = ::GetSystemMetrics(SM_CXICON);
        const int height = ::GetSystemMetrics(SM_CYICON);
        ::DrawIcon(dc, (client.right - width + 1) / 2, (client.bottom - height + 1) / 2, appIcon);
        ::EndPaint(m_hWnd, &paint);
        result = 0;
        return true;
    });
    OnMessage(WM_QUERYDRAGICON, [this](WPARAM, LPARAM, LRESULT& result) {
        result = reinterpret_cast<LRESULT>(appIcon);
        return true;
    });
    OnCommand(kShowErrorCommand, BN_CLICKED, [this] { ShowError(L"Error", L"Error message"); });
    OnMessage(WM_LOAD_COMPLETE, &CTallwickDlg::OnLoadCompleteMessage);
    OnMessage(WM_CLOSE, [this](WPARAM, LPARAM, LRESULT& result) {
        OnClose();
        result = 0;
        return true;
    });
    // Escape must not end the wizard behind the close question's back, and
    // Enter presses the visible page's default button.
    OnCommand(IDCANCEL, BN_CLICKED, [this] { SendMessage(WM_CLOSE); });
    OnCommand(IDOK, BN_CLICKED, &CTallwickDlg::OnEnter);
}

CTallwickDlg::~CTallwickDlg() {
    // The configuration outlives the dialog, GDI+ does not: every image goes now.
    ConfigurationManager::GetInstance()->productImage.reset();
    ReleasePackageImages();
    headerIcon.SetImage(nullptr);
    // Pages are child windows of this dialog: they go before it does.
    pages.clear();
    errorPage.reset();
}

BOOL CTallwickDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    BindControl(headerTitle, 1008);
    BindControl(headerIcon, 1007);
    BindControl(headerLine, 1006);
    BindControl(buttonBar, kButtonBarId);

    HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE);
    wchar_t about[128] = {};
    if (systemMenu && ::LoadStringW(::GetModuleHandleW(nullptr), kAboutString, about, 128) > 0) {
        ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(systemMenu, MF_STRING, kAboutCommand, about);
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon));

    auto config = ConfigurationManager::GetInstance();
    const CString mutexName = CString(L"Global\\Tallwick") +
                              CString(ProductBuildConstants().wizardTypeName) +
                              L"SingleInstanceMutex";
    instanceMutex.reset(::CreateMutexW(nullptr, TRUE, mutexName));
    if (instanceMutex && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        instanceMutex.reset();
        ShowMessageBox(m_hWnd, L"Another setup is already running, please close it and try again",
                       L"Error", MB_ICONERROR | MB_SYSTEMMODAL);
        RemoveUnusedWorkFolder();
        EndDialog(1);
        return FALSE;
    }

    if (config->wizardType == ConfigurationManager::kWizardDlm) {
        SetWindowText(L"Setup");
    } else if (config->wizardType == ConfigurationManager::kWizardIsv) {
        SetWindowText(config->productTitle + L" ");
    } else {
        ShowMessageBox(m_hWnd, L"Invalid wizard type", L"", MB_ICONERROR | MB_SYSTEMMODAL);
        RemoveUnusedWorkFolder();
        EndDialog(1);
        return FALSE;
    }

    accentBrush.CreateSolidBrush(config->accentColor);
    headerTitle.SetWindowText(config->productTitle);

    CreateInitialPages();

    if (config->wizardType == ConfigurationManager::kWizardIsv) {
        headerIcon.ShowWindow(SW_HIDE);
        headerLine.ShowWindow(SW_HIDE);
    }
    headerTitle.ShowWindow(SW_HIDE);
    return TRUE;
}

CRect CTallwickDlg::PageRect() const {
    RECT area{};
    ::GetWindowRect(GetDlgItem(kPageAreaId), &area);
    ::MapWindowPoints(HWND_DESKTOP, m_hWnd, reinterpret_cast<POINT*>(&area), 2);
    return CRect(area);
}

bool CTallwickDlg::CreateInitialPages() {
    const CRect rect = PageRect();
    auto config = ConfigurationManager::GetInstance();

    errorPage = std::make_unique<ErrorPage>(languageManager, m_hWnd);
    CreatePage(*errorPage, rect);

    if (config->btVariant) {
        CreateAndAddPage(std::make_unique<LanguagePageBT>(languageManager, m_hWnd), rect);
    } else {
        CreateAndAddPage(std::make_unique<LanguagePage>(languageManager, m_hWnd), rect);
    }
    CreateAndAddPage(std::make_unique<LoadingPage>(languageManager, m_hWnd), rect);
    if (auto* loading = dynamic_cast<LoadingPage*>(pages.back().get())) {
        loading->SetLoadCompleteCallback([this](std::vector<std::shared_ptr<Package>> packages) {
            // May run on a worker: store, then post; the dialog reads the list
            // only once the message has arrived.
            loadedPackages = std::move(packages);
            ::PostMessageW(m_hWnd, WM_LOAD_COMPLETE, 0, 0);
        });
    }

    currentPage = 0;
    if (pages.empty()) {
        return false;
    }
    ShowPage(0);
    pages[currentPage]->SetFocus();
    return true;
}

void CTallwickDlg::CreatePage(IPage& page, const CRect& rect) {
    page.Create(m_hWnd);
    page.SetBackgroundColor(ConfigurationManager::GetInstance()->backgroundColor);
    page.SetButtonCallback([this](ButtonType type) { OnButton(type); });
    page.ShowWindow(SW_HIDE);
    ::SetWindowPos(page, nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void CTallwickDlg::CreateAndAddPage(std::unique_ptr<IPage> page, const CRect& rect) {
    CreatePage(*page, rect);
    page->SetErrorCallback(
        [this](const CString& title, const CString& text) { ShowError(title, text); });
    pages.push_back(std::move(page));
}

void CTallwickDlg::ShowPage(uint32_t index) {
    if (index >= pages.size()) {
        return;
    }
    IPage& page = *pages[index];
    page.ShowWindow(SW_SHOW);
    page.SetFocus();
    if (currentPage < pages.size() && currentPage != index) {
        pages[currentPage]->ShowWindow(SW_HIDE);
    }
    currentPage = index;
    page.OnNavigateToPage();

    const CString name = page.GetPageName();
    if (IsDownloadPage(name)) {
        if (HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE)) {
            ::RemoveMenu(systemMenu, SC_CLOSE, MF_BYCOMMAND);
        }
    } else if (IsFinishPage(name)) {
        EnsureSystemClose();
    }
    ::OutputDebugStringW(name + L"\n");
}

void CTallwickDlg::EnsureSystemClose() {
    HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE);
    // Only when absent: a second entry would show "Close" twice.
    if (systemMenu && ::GetMenuState(systemMenu, SC_CLOSE, MF_BYCOMMAND) == static_cast<UINT>(-1)) {
        ::AppendMenuW(systemMenu, MF_STRING, SC_CLOSE, L"Close");
    }
}

void CTallwickDlg::ShowError(const CString& title, const CString& text) {
    if (currentPage < pages.size()) {
        pages[currentPage]->ShowWindow(SW_HIDE);
    }
    if (errorPage) {
        errorPage->title = title;
        errorPage->text = text;
        errorPage->UpdateData(false);
        errorPage->ShowWindow(SW_SHOW);
        errorPage->SetFocus();
    }
    errorShown = true;
    EnsureSystemClose();
}

void CTallwickDlg::OnButton(ButtonType type) {
    auto config = ConfigurationManager::GetInstance();
    switch (type) {
        case ButtonType::Next:
            if (currentPage == 0) {
                if (skipLoading) {
                    ShowPage(2);
                    return;
                }
                const bool isv = config->wizardType == ConfigurationManager::kWizardIsv;
                config->mainPackage =
                    isv ? CreateMainPackage(config->installerId, config->cfl, config->productTitle,
                                            config->ch)
                        : CreateMainPackage(CString(), CString(), CString(), CString());
            }
            ShowPage(currentPage + 1);
            break;
        case ButtonType::Accept:
        case ButtonType::Decline:
            ShowPage(currentPage + 1);
            break;
        case ButtonType::Close:
        case ButtonType::Finish:
            // Every way out removes the working folder: after an error it may
            // hold the installers downloaded so far.
            DeleteWorkFolder();
            EndDialog(1);
            break;
        case ButtonType::Back:
            skipLoading = true;
            ShowPage(currentPage - 2);
            break;
    }
}

LRESULT CTallwickDlg::OnLoadCompleteMessage(WPARAM, LPARAM) {
    // The remaining pages exist once; a repeated message must not add them again.
    if (pages.size() > 2) {
        return 0;
    }
    auto config = ConfigurationManager::GetInstance();
    const bool dlm = config->wizardType == ConfigurationManager::kWizardDlm;
    const bool isv = config->wizardType == ConfigurationManager::kWizardIsv;

    languageManager->SetLanguage(config->languageName);

    if (dlm) {
        headerIcon.SetImage(config->productImage);
        headerIcon.ShowWindow(SW_SHOW);
        headerTitle.SetWindowText(config->productTitle);
        SetWindowText(config->productTitle + L" Setup");
        headerTitle.ShowWindow(SW_SHOW);
    }
    const CString o = dlm ? config->productTitle : isv ? config->installerId : CString();
    RefreshMainPackage(config->mainPackage, o, config->cfl, config->productTitle, config->ch);

    const CRect rect = PageRect();
    if (config->btVariant) {
        CreateAndAddPage(std::make_unique<LicensePageIsv>(languageManager, m_hWnd), rect);
    } else {
        CreateAndAddPage(std::make_unique<WelcomePageIsv>(languageManager, m_hWnd), rect);
    }
    for (const auto& package : loadedPackages) {
        CreateAndAddPage(std::make_unique<ProductPage>(languageManager, m_hWnd, package), rect);
    }
    if (dlm) {
        CreateAndAddPage(std::make_unique<DownloadPageDlm>(languageManager, m_hWnd), rect);
        CreateAndAddPage(std::make_unique<FinishPageDlm>(languageManager, m_hWnd), rect);
    } else if (isv) {
        CreateAndAddPage(std::make_unique<DownloadPageIsv>(languageManager, m_hWnd), rect);
        if (auto* download = dynamic_cast<DownloadPageIsv*>(pages.back().get())) {
            download->installersRunningCallback = [this] { installersRunning = true; };
            download->installersDoneCallback = [this] { installersRunning = false; };
        }
        CreateAndAddPage(std::make_unique<FinishPageIsv>(languageManager, m_hWnd), rect);
    }
    OnButton(ButtonType::Next);
    return 0;
}

void CTallwickDlg::OnClose() {
    if (!errorShown) {
        const size_t count = pages.size();
        if (currentPage < count - 1 || count == 2) {
            const CString question =
                languageManager->GetText(installersRunning ? "PROGRESS_QUIT" : "MSG_EXIT");
            if (ShowMessageBox(m_hWnd, question, L"", MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
                return;
            }
        }
    }
    instanceMutex.reset();
    ShowWindow(SW_HIDE);

    ConfigurationManager::GetInstance()->closing = true;
    DownloadManager::GetInstance()->cancelled = true;
    // A download still running ends now; its file must be closed before the
    // working folder goes.
    for (const auto& page : pages) {
        page->OnWizardClosing();
    }
    SendExitEventsAndWait();
    DeleteWorkFolder();
    EndDialog(IDCANCEL);
}

void CTallwickDlg::OnEnter() {
    HWND page = nullptr;
    if (errorShown && errorPage) {
        page = *errorPage;
    } else if (currentPage < pages.size()) {
        page = *pages[currentPage];
    }
    if (!page) {
        return;
    }
    const LRESULT defaultId = ::SendMessageW(page, DM_GETDEFID, 0, 0);
    if (HIWORD(defaultId) != DC_HASDEFID) {
        return;
    }
    HWND button = ::GetDlgItem(page, LOWORD(defaultId));
    if (button && ::IsWindowVisible(button) && ::IsWindowEnabled(button)) {
        ::SendMessageW(button, BM_CLICK, 0, 0);
    }
}

void CTallwickDlg::DeleteWorkFolder() {
    const CString folder = ConfigurationManager::GetInstance()->workFolder;
    if (!folder.IsEmpty()) {
        DeleteFolderTree(folder);
        // DeleteFolderTree leaves an empty folder in place; at exit that
        // would leave one behind for every run that downloaded nothing.
        ::RemoveDirectoryW(folder);
    }
}

void CTallwickDlg::RemoveUnusedWorkFolder() {
    // A wizard that ends before its first page has written nothing into the
    // working folder it was given; only an empty folder is removed.
    const CString folder = ConfigurationManager::GetInstance()->workFolder;
    if (!folder.IsEmpty()) {
        ::RemoveDirectoryW(folder);
    }
}

HBRUSH CTallwickDlg::OnCtlColor(HDC dc, HWND control, UINT kind) {
    if (control && control == buttonBar.GetSafeHwnd()) {
        ::SetBkMode(dc, TRANSPARENT);
        return accentBrush;
    }
    return CDialogEx::OnCtlColor(dc, control, kind);
}
