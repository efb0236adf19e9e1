#pragma once

#include <windows.h>

// Posts the progress of one file transfer to the window that shows it: a
// percentage (WM_USER+1) whenever the completed fraction has grown by more
// than 0.01 since the last one posted, and 100 once the transfer is complete.
// Nothing is posted for a length of 0 (unknown or empty). The transfer never
// waits for the window to handle a message.
class TransferProgress {
public:
    TransferProgress(HWND window, DWORD length) : window(window), length(length) {}

    void Add(DWORD bytes);
    void Finish();

private:
    void Post(WPARAM percent);

    HWND window;
    DWORD length;
    double fraction = 0.0;
    double lastPosted = 0.0;
};

// Tells the window once that the response carries no usable content length.
void PostLengthUnknown(HWND window);
