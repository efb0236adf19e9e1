#pragma once

#include <windows.h>

// The protocols every WinHTTP session of the wizard may negotiate
// (WINHTTP_OPTION_SECURE_PROTOCOLS): TLS 1.0, and on Windows 7 SP1 or later
// also TLS 1.1 and 1.2. SSL 3.0 is never offered: it is broken, and a server
// that still accepts it would only invite a downgrade.
DWORD WinHttpSecureProtocols();
