#include "api/Sha256.h"

#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "win32/UniqueHandle.h"

namespace {

struct AlgorithmTraits {
    using Handle = BCRYPT_ALG_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::BCryptCloseAlgorithmProvider(h, 0); }
};

struct HashTraits {
    using Handle = BCRYPT_HASH_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::BCryptDestroyHash(h); }
};

void Check(NTSTATUS status, const char* what) {
    if (status < 0) {
        throw std::runtime_error(std::string(what) + " failed");
    }
}

}  // namespace

std::string Sha256Hex(const std::string& bytes) {
    win32::UniqueHandle<AlgorithmTraits> algorithm;
    Check(::BCryptOpenAlgorithmProvider(algorithm.receive(), BCRYPT_SHA256_ALGORITHM, nullptr, 0),
          "BCryptOpenAlgorithmProvider");
    win32::UniqueHandle<HashTraits> hash;
    Check(::BCryptCreateHash(algorithm.get(), hash.receive(), nullptr, 0, nullptr, 0, 0),
          "BCryptCreateHash");
    // BCryptHashData takes a ULONG length; feed large inputs in pieces.
    const size_t kPiece = 1u << 30;
    for (size_t offset = 0; offset < bytes.size(); offset += kPiece) {
        const size_t length = std::min(kPiece, bytes.size() - offset);
        Check(::BCryptHashData(hash.get(),
                               reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data() + offset)),
                               static_cast<ULONG>(length), 0),
              "BCryptHashData");
    }
    unsigned char digest[32] = {};
    Check(::BCryptFinishHash(hash.get(), digest, sizeof(digest), 0), "BCryptFinishHash");

    static const char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(64);
    for (unsigned char byte : digest) {
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0F];
    }
    return text;
}
