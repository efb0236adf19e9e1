#include "download/DownloadAddress.h"

#include "api/Encoding.h"
#include "config/ConfigurationManager.h"

CString FullDownloadUrl(const CString& address) {
    if (IsValidUrl(address)) {
        return address;
    }
    return ConfigurationManager::GetInstance()->imageBaseUrl + address;
}
