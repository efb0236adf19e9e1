#pragma once

#include <windows.h>

// Counts this program's calls of RegOpenKeyExW by redirecting its import
// table entry, so that the wizard's own code is measured unchanged. The
// program is linked statically: every call goes through that one entry.
class RegistryOpenCounter {
public:
    // Installs the counter; false when the import entry was not found.
    static bool Install();
    static long Count();
    static void Reset();
};
