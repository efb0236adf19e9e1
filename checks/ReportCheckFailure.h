#pragma once

#include <memory>
#include <string>

class Package;

// Reports a rejected offer: analytics event 2 with {"13": verdict}. Returns at
// once; delivery runs on the package's own sender thread, and a send that
// cannot even be started is dropped, never thrown at the caller.
void ReportCheckFailure(const std::shared_ptr<Package>& package, const std::string& verdict);
