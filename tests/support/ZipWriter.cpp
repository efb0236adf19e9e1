#include "support/ZipWriter.h"

#include <windows.h>

#include <zip.h>
#include <iowin32.h>

#include "win32/UniqueHandle.h"

bool WriteZip(const std::wstring& path, const std::vector<ZipEntry>& entries) {
    zlib_filefunc64_def io;
    fill_win32_filefunc64W(&io);
    zipFile archive = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &io);
    if (!archive) {
        return false;
    }
    bool ok = true;
    for (const auto& entry : entries) {
        zip_fileinfo info = {};
        const uLong utf8Flag = entry.utf8Name ? (1u << 11) : 0;
        ok = ok &&
             zipOpenNewFileInZip4_64(archive, entry.name.c_str(), &info, nullptr, 0, nullptr, 0,
                                     nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS,
                                     DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, 0, utf8Flag,
                                     0) == ZIP_OK &&
             zipWriteInFileInZip(archive, entry.content.data(),
                                 static_cast<unsigned>(entry.content.size())) == ZIP_OK &&
             zipCloseFileInZip(archive) == ZIP_OK;
    }
    return zipClose(archive, nullptr) == ZIP_OK && ok;
}

std::string ReadFileBytes(const std::wstring& path) {
    win32::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    if (!file) {
        return bytes;
    }
    char block[65536];
    DWORD read = 0;
    while (ReadFile(file.get(), block, sizeof(block), &read, nullptr) && read > 0) {
        bytes.append(block, read);
    }
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    win32::UniqueFileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file &&
           WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
}
