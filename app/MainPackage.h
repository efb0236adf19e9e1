#pragma once

#include <memory>

#include "framework/CString.h"

class Package;

// The main dialog's calls into the service client, in one place.

// Builds a signed identification block, creates the main product's package
// from it and the texts o, f, dn and c, and reports its start event.
std::shared_ptr<Package> CreateMainPackage(const CString& o, const CString& f, const CString& dn,
                                           const CString& c);

// Gives the main package a fresh identification block and the texts of the
// loaded configuration.
void RefreshMainPackage(const std::shared_ptr<Package>& package, const CString& o, const CString& f,
                        const CString& dn, const CString& c);

// Reports the exit event of every shown offer and of the main package and
// waits until each package has delivered its pending events, for at most
// 15 seconds in all.
void SendExitEventsAndWait();

// Releases the images of the shown and accepted offers; GDI+ objects must go
// before GDI+ is shut down.
void ReleasePackageImages();
