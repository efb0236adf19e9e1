#include "download/TransferError.h"

#include <new>
#include <stdexcept>

#include "download/DownloadManager.h"

void ThrowTransferError(const CString& text) {
    throw std::runtime_error(WideToNarrow(text, CP_THREAD_ACP));
}

void ThrowSystemError(const wchar_t* format, DWORD code) {
    CString text;
    text.Format(format, static_cast<int>(code),
                DownloadManager::FormatSystemError(code).GetString());
    ThrowTransferError(text);
}

CString TransferErrorText(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error)) {
        return L"Out of memory.";
    }
    return CString(error.what());
}
