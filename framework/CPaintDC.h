#pragma once

#include <windows.h>

// BeginPaint / EndPaint for the lifetime of the object.
class CPaintDC {
public:
    explicit CPaintDC(HWND window) : window(window) { dc = ::BeginPaint(window, &paint); }
    ~CPaintDC() { ::EndPaint(window, &paint); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC GetSafeHdc() const { return dc; }
    operator HDC() const { return dc; }

private:
    HWND window;
    PAINTSTRUCT paint{};
    HDC dc = nullptr;
};
