#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "config/BuildConstants.h"
#include "config/PathMacros.h"
#include "framework/CString.h"

class Package;
namespace Gdiplus {
class Image;
}

// The process-wide record of the wizard: build constants, the values the
// configuration service sends for the main product, the user's language, the
// packages shown and accepted, and a few values computed once per run.
// Fields are public; each has one writer, and the order of the wizard keeps
// readers after writers.
class ConfigurationManager {
public:
    // Wizard types; 0 when the build's type name is not recognised.
    static constexpr int kWizardDlm = 1;
    static constexpr int kWizardIsv = 2;

    // The instance built from this executable's own build constants.
    static std::shared_ptr<ConfigurationManager> GetInstance();

    explicit ConfigurationManager(const BuildConstants& constants);
    ConfigurationManager(const ConfigurationManager&) = delete;
    ConfigurationManager& operator=(const ConfigurationManager&) = delete;

    int wizardType = 0;
    bool btVariant = false;
    CString productTitle;
    CString cu;
    CString cl;
    CString cp;
    CString ctu;
    CString sdkLicenseUrl;
    CString downloadsFolder;
    CString cf;
    CString workFolder;
    CString productArguments;
    CString launchPath;
    CString launchArguments;
    CString installerId;
    CString downloadedFile;
    CString programVersion;
    CString configUrl;
    CString analyticsUrl;
    CString makerName;
    CString installerKind;
    CString ch;
    CString cfl;
    COLORREF backgroundColor = RGB(250, 250, 250);
    COLORREF accentColor = RGB(2, 119, 189);
    int maxOffers = 0;
    CString imageBaseUrl;
    CString languageName;
    CString localeName;
    std::string countryCode;
    std::string publisherId;
    std::string cb;
    std::vector<std::shared_ptr<Package>> acceptedOffers;
    std::vector<std::shared_ptr<Package>> shownOffers;
    std::shared_ptr<Package> mainPackage;
    std::shared_ptr<Gdiplus::Image> productImage;
    std::string requestTimestamp;
    std::string machineId;
    PathMacroTable pathMacros;
    bool pathMacrosBuilt = false;
    // Set once by the user-interface thread when the user quits; polled by
    // download code on other threads.
    std::atomic<bool> closing{false};

    // Local time of the first call as "%Y%m%d%H%M%S"; the same text for the
    // whole run once computed.
    std::string GetRequestTimestamp();
    // MachineGuid of this installation; an empty result is read again next time.
    std::string GetMachineId();
    PathMacroTable GetPathMacros();
    void SetDownloadedFile(const CString& path);

private:
    // Guards the lazily filled caches, which workers may reach first.
    std::mutex cacheLock;
};
