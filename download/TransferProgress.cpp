#include "download/TransferProgress.h"

#include "pages/IPage.h"

void TransferProgress::Add(DWORD bytes) {
    if (length == 0) {
        return;
    }
    fraction += static_cast<double>(bytes) / static_cast<double>(length);
    if (fraction - lastPosted > 0.01) {
        // A body longer than its length must not show more than 100 percent.
        Post(fraction >= 1.0 ? 100 : static_cast<WPARAM>(fraction * 100.0));
        lastPosted = fraction;
    }
}

void TransferProgress::Finish() {
    if (length != 0) {
        Post(100);
    }
}

void TransferProgress::Post(WPARAM percent) {
    ::PostMessageW(window, WM_DOWNLOAD_PROGRESS, percent, 0);
}

void PostLengthUnknown(HWND window) {
    ::PostMessageW(window, WM_DOWNLOAD_NO_LENGTH, 0, 0);
}
