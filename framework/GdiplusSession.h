#pragma once

#include <windows.h>

#include <gdiplus.h>

// GDI+ started for the lifetime of the object. Every GDI+ object must be
// released before it goes.
class GdiplusSession {
public:
    GdiplusSession() { started = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok; }
    ~GdiplusSession() {
        if (started) {
            Gdiplus::GdiplusShutdown(token);
        }
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    bool Started() const { return started; }

private:
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    bool started = false;
};
