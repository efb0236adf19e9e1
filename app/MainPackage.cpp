#include "app/MainPackage.h"

std::shared_ptr<Package> CreateMainPackage(const CString&, const CString&, const CString&,
                                           const CString&) {
    return nullptr;
}

void RefreshMainPackage(const std::shared_ptr<Package>&, const CString&, const CString&,
                        const CString&, const CString&) {}

void SendExitEventsAndWait() {}

void ReleasePackageImages() {}
