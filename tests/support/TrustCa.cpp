// trust_ca <certificate.der>: adds a CA certificate to the LocalMachine "Root"
// store of the Wine prefix it runs in, so that WinHTTP trusts the reference
// service's throwaway CA without touching the host's certificate store.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "win32/UniqueHandle.h"

namespace {
struct CertStoreTraits {
    using Handle = HCERTSTORE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::CertCloseStore(h, 0); }
};
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: trust_ca <certificate.der>\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    std::vector<BYTE> der((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!file.good() && !file.eof()) {
        std::fprintf(stderr, "trust_ca: cannot read %s\n", argv[1]);
        return 1;
    }
    if (der.empty()) {
        std::fprintf(stderr, "trust_ca: %s is empty or missing\n", argv[1]);
        return 1;
    }
    win32::UniqueHandle<CertStoreTraits> store(
        ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root"));
    if (!store) {
        std::fprintf(stderr, "trust_ca: cannot open the Root store (%lu)\n", ::GetLastError());
        return 1;
    }
    if (!::CertAddEncodedCertificateToStore(store.get(), X509_ASN_ENCODING, der.data(),
                                            static_cast<DWORD>(der.size()),
                                            CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
        std::fprintf(stderr, "trust_ca: cannot add the certificate (%lu)\n", ::GetLastError());
        return 1;
    }
    return 0;
}
