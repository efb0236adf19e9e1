#pragma once

#include "config/ConfigurationManager.h"

// What one wizard run leaves in the process-wide configuration and the next
// test's wizard must not inherit: the quit flag and the packages of the run,
// which would otherwise be reported again at this test's quit.
inline void ForgetEarlierRun(ConfigurationManager& config) {
    config.closing = false;
    config.mainPackage.reset();
    config.shownOffers.clear();
    config.acceptedOffers.clear();
}
