#pragma once

#include <windows.h>

#include <chrono>
#include <future>
#include <vector>

#include "pages/IPage.h"

// A real, hidden window of the test's thread that records the progress
// messages a transfer posts to it, in the order they arrive.
class ProgressWindow {
public:
    ProgressWindow() {
        static const wchar_t kClass[] = L"TallwickTestProgressWindow";
        static const ATOM atom = [] {
            WNDCLASSW windowClass = {};
            windowClass.lpfnWndProc = &ProgressWindow::Procedure;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = kClass;
            return RegisterClassW(&windowClass);
        }();
        (void)atom;
        window = CreateWindowExW(0, kClass, L"progress", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ProgressWindow() { DestroyWindow(window); }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    HWND Handle() const { return window; }

    // Runs this thread's message loop until the future is ready, then
    // handles what is still queued (everything the transfer posted).
    template <typename T>
    T Wait(std::future<T>& future) {
        while (future.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            Pump();
        }
        Pump();
        return future.get();
    }

    void Pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }

    std::vector<WPARAM> percents;  // wParam of each WM_USER+1
    int lengthUnknown = 0;         // count of WM_USER+2

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == WM_DOWNLOAD_PROGRESS) {
            self->percents.push_back(wParam);
            return 0;
        }
        if (self && message == WM_DOWNLOAD_NO_LENGTH) {
            ++self->lengthUnknown;
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window = nullptr;
};
