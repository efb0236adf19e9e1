#include "config/ConfigurationManager.h"

#include <shlwapi.h>

#include <cstring>
#include <ctime>
#include <map>

#include "config/Folders.h"
#include "config/MachineId.h"
#include "config/ProgramVersion.h"
#include "framework/Clock.h"
#include "framework/MessageBox.h"

namespace {

std::once_flag instanceOnce;
std::shared_ptr<ConfigurationManager> instance;

const wchar_t kMakerName[] = L"Kestrano";

int WizardTypeFromName(const char* name) {
    static const std::map<std::string, int> types{{"DLM", ConfigurationManager::kWizardDlm},
                                                  {"ISV", ConfigurationManager::kWizardIsv}};
    auto found = types.find(name ? name : "");
    return found == types.end() ? 0 : found->second;
}

}  // namespace

std::shared_ptr<ConfigurationManager> ConfigurationManager::GetInstance() {
    std::call_once(instanceOnce, [] {
        instance = std::make_shared<ConfigurationManager>(ProductBuildConstants());
    });
    return instance;
}

ConfigurationManager::ConfigurationManager(const BuildConstants& constants) {
    btVariant = constants.btVariant;

    wizardType = WizardTypeFromName(constants.wizardTypeName);
    if (wizardType == 0) {
        ShowMessageBox(nullptr, L"Unknown wizard type", L"Error", MB_OK);
    }

    programVersion = ReadProgramVersion(GetModuleHandleW(nullptr));

    const CString base = constants.serviceBaseUrl ? constants.serviceBaseUrl : L"";
    configUrl = base + L"/o";
    analyticsUrl = base + L"/zbd";
    imageBaseUrl = base + L"/f/";
    makerName = kMakerName;
    installerId = L"Kestrano_DLM";
    installerKind = L"Kestrano_3vex";
    backgroundColor = RGB(250, 250, 250);
    accentColor = RGB(2, 119, 189);
    sdkLicenseUrl = constants.sdkLicenseUrl ? constants.sdkLicenseUrl : L"";

    if (wizardType == kWizardDlm) {
        downloadsFolder = GetDownloadsFolder();
        CString folder = CreateWorkFolder();
        if (PathIsDirectoryW(folder)) {
            workFolder = folder;
        }
    } else if (wizardType == kWizardIsv) {
        productTitle = makerName;
        // The maker's installer carries its own product; the finish page
        // expands the launch path's macros when it launches.
        cu = CString(constants.isvProductUrl);
        cp.Empty();
        ctu.Empty();
        productArguments = CString(constants.isvProductArguments);
        launchPath = CString(constants.isvLaunchPath);
        launchArguments = CString(constants.isvLaunchArguments);
        CString folder = CreateWorkFolder();
        if (PathIsDirectoryW(folder)) {
            downloadsFolder = folder;
            workFolder = folder;
        } else {
            downloadsFolder.Empty();
        }
    }
}

std::string ConfigurationManager::GetRequestTimestamp() {
    std::lock_guard<std::mutex> lock(cacheLock);
    if (requestTimestamp.empty()) {
        const std::time_t now = CurrentTime();
        // msvcrt's localtime keeps its result per thread, so this is safe on
        // any thread; it returns null for times it cannot convert.
        const std::tm* local = std::localtime(&now);
        char text[32] = {};
        if (local && std::strftime(text, sizeof(text), "%Y%m%d%H%M%S", local) == 14) {
            requestTimestamp = text;
        }
    }
    return requestTimestamp;
}

std::string ConfigurationManager::GetMachineId() {
    std::lock_guard<std::mutex> lock(cacheLock);
    if (machineId.empty()) {
        machineId = ReadMachineId();
    }
    return machineId;
}

PathMacroTable ConfigurationManager::GetPathMacros() {
    std::lock_guard<std::mutex> lock(cacheLock);
    if (!pathMacrosBuilt) {
        pathMacros = BuildPathMacros();
        pathMacrosBuilt = true;
    }
    return pathMacros;
}

void ConfigurationManager::SetDownloadedFile(const CString& path) {
    downloadedFile = path;
}
