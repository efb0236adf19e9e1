#include "api/SecureProtocols.h"

#include <winhttp.h>
#include <versionhelpers.h>

DWORD WinHttpSecureProtocols() {
    DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1;
    // Major, minor and service-pack major, each compared greater-or-equal.
    if (IsWindowsVersionOrGreater(6, 1, 1)) {
        protocols |= WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_1 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
    }
    return protocols;
}
