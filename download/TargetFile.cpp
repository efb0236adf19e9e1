#include "download/TargetFile.h"

#include <string>

#include "download/TransferError.h"

TargetFile::TargetFile(const CString& path)
    : handle(::CreateFileW(path, GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!handle) {
        openError = ::GetLastError();
    }
}

void TargetFile::Write(const char* data, DWORD size) {
    DWORD written = 0;
    if (!::WriteFile(handle.get(), data, size, &written, nullptr)) {
        ThrowSystemError(L"Failed to write to file: %d - %s", ::GetLastError());
    }
    if (written != size) {
        ThrowSystemError(L"Failed to write to file: %d - %s", ERROR_DISK_FULL);
    }
}

bool ReadFileLength(const CString& path, uint64_t& length, DWORD& error) {
    win32::UniqueFileHandle file(
        ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size)) {
        error = ::GetLastError();
        return false;
    }
    length = static_cast<uint64_t>(size.QuadPart);
    return true;
}

void CheckComplete(DWORD contentLength, uint64_t fileLength) {
    if (fileLength != contentLength) {
        ThrowTransferError(CString(L"Download was incomplete: content length: ") +
                           std::to_wstring(contentLength) + L", downloaded: " +
                           std::to_wstring(fileLength));
    }
}
