#include "process/ArchiveType.h"

#include <windows.h>

#include <cstring>

#include "win32/UniqueHandle.h"

ArchiveType DetectArchiveType(const CString& path) {
    win32::UniqueFileHandle file(::CreateFileW(path, GENERIC_READ,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return ArchiveType::Plain;
    }
    // Bytes beyond the end of a shorter file stay zero and match no signature.
    unsigned char head[6] = {};
    DWORD read = 0;
    if (!::ReadFile(file.get(), head, sizeof(head), &read, nullptr) || read == 0) {
        return ArchiveType::Plain;
    }
    static const unsigned char kSevenZip[6] = {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C};
    static const unsigned char kZip[4] = {0x50, 0x4B, 0x03, 0x04};
    if (read >= sizeof(kSevenZip) && std::memcmp(head, kSevenZip, sizeof(kSevenZip)) == 0) {
        return ArchiveType::SevenZip;
    }
    if (read >= sizeof(kZip) && std::memcmp(head, kZip, sizeof(kZip)) == 0) {
        return ArchiveType::Zip;
    }
    return ArchiveType::Plain;
}
