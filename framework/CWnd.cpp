#include "framework/CWnd.h"

#include <commctrl.h>

#include <vector>

namespace {
const UINT_PTR kSubclassId = 0x7A11;
}

CWnd::~CWnd() {
    Detach();
}

bool CWnd::Attach(HWND window) {
    Detach();
    m_hWnd = window;
    return window != nullptr;
}

bool CWnd::SubclassWindow(HWND window) {
    Detach();
    if (!window || !SetWindowSubclass(window, &CWnd::SubclassProc, kSubclassId,
                                      reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    m_hWnd = window;
    subclassed = true;
    return true;
}

bool CWnd::SubclassDlgItem(UINT id, HWND parent) {
    return SubclassWindow(::GetDlgItem(parent, static_cast<int>(id)));
}

void CWnd::Detach() {
    if (subclassed && ::IsWindow(m_hWnd)) {
        RemoveWindowSubclass(m_hWnd, &CWnd::SubclassProc, kSubclassId);
    }
    subclassed = false;
    m_hWnd = nullptr;
}

CString CWnd::GetWindowText() const {
    int length = ::GetWindowTextLengthW(m_hWnd);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    int copied = ::GetWindowTextW(m_hWnd, buffer.data(), length + 1);
    return CString(buffer.data(), copied);
}

bool CWnd::ModifyStyle(HWND window, DWORD remove, DWORD add, UINT flags) {
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
    const DWORD changed = (style & ~remove) | add;
    if (changed == style) {
        return false;
    }
    ::SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>(changed));
    if (flags != 0) {
        ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    }
    return true;
}

void CWnd::OnMessage(UINT message, Handler handler) {
    table.push_back({message, 0, 0, std::move(handler)});
}

void CWnd::OnCommand(UINT id, UINT code, std::function<void()> handler) {
    table.push_back({WM_COMMAND, id, code, [handler](WPARAM, LPARAM, LRESULT& result) {
                         handler();
                         result = 0;
                         return true;
                     }});
}

void CWnd::OnNotify(UINT id, UINT code, std::function<LRESULT(NMHDR*)> handler) {
    table.push_back({WM_NOTIFY, id, code, [handler](WPARAM, LPARAM lParam, LRESULT& result) {
                         result = handler(reinterpret_cast<NMHDR*>(lParam));
                         return true;
                     }});
}

bool CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    for (const Entry& entry : table) {
        if (entry.message != message) {
            continue;
        }
        if (message == WM_COMMAND && (LOWORD(wParam) != entry.id || HIWORD(wParam) != entry.code)) {
            continue;
        }
        if (message == WM_NOTIFY) {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
            if (!header || header->idFrom != entry.id || header->code != entry.code) {
                continue;
            }
        }
        // A copy: the handler may change the table of its own window.
        Handler handler = entry.handler;
        if (handler(wParam, lParam, result)) {
            return true;
        }
    }
    return false;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR data) {
    CWnd* self = reinterpret_cast<CWnd*>(data);
    LRESULT result = 0;
    if (self && self->Dispatch(message, wParam, lParam, result)) {
        return result;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &CWnd::SubclassProc, kSubclassId);
        if (self) {
            self->subclassed = false;
            self->m_hWnd = nullptr;
        }
    }
    return DefSubclassProc(window, message, wParam, lParam);
}
