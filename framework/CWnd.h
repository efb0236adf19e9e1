#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "framework/CString.h"

// Thin wrapper over a window handle with a message table. Handlers are listed
// once, usually in the constructor, keyed by message (and for WM_COMMAND and
// WM_NOTIFY by control id and notification code). Whatever has no handler
// goes to the default handling of the window kind.
class CWnd {
public:
    // Returns true when it handled the message and stored the result.
    using Handler = std::function<bool(WPARAM, LPARAM, LRESULT&)>;

    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    bool HasWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }

    // Takes a control of a dialog without subclassing it (plain wrappers).
    bool Attach(HWND window);
    // Takes a control and routes its messages through this object's table.
    bool SubclassWindow(HWND window);
    bool SubclassDlgItem(UINT id, HWND parent);
    void Detach();
    // Binds a dialog control to this wrapper: plain wrappers only keep the
    // handle, controls with handlers of their own subclass it.
    virtual bool Bind(HWND control) { return Attach(control); }

    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void SetWindowText(const wchar_t* text) { ::SetWindowTextW(m_hWnd, text); }
    CString GetWindowText() const;
    void ShowWindow(int command) { ::ShowWindow(m_hWnd, command); }
    bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
    void SetFocus() { ::SetFocus(m_hWnd); }
    void Invalidate(bool erase = true) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    void SetFont(HFONT font, bool redraw = true) {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
    }
    HFONT GetFont() const {
        return reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    }
    // Removes and adds window styles; with flags (such as SWP_FRAMECHANGED)
    // the window is told that its frame changed. False when the style was
    // already as asked.
    bool ModifyStyle(DWORD remove, DWORD add, UINT flags = 0) {
        return ModifyStyle(m_hWnd, remove, add, flags);
    }
    static bool ModifyStyle(HWND window, DWORD remove, DWORD add, UINT flags = 0);

    // Looks the message up in the table; true when a handler took it.
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    void OnMessage(UINT message, Handler handler);
    void OnCommand(UINT id, UINT code, std::function<void()> handler);
    void OnNotify(UINT id, UINT code, std::function<LRESULT(NMHDR*)> handler);

    template <typename T>
    void OnCommand(UINT id, UINT code, void (T::*member)()) {
        T* self = static_cast<T*>(this);
        OnCommand(id, code, [self, member] { (self->*member)(); });
    }
    template <typename T>
    void OnMessage(UINT message, LRESULT (T::*member)(WPARAM, LPARAM)) {
        T* self = static_cast<T*>(this);
        OnMessage(message, [self, member](WPARAM w, LPARAM l, LRESULT& result) {
            result = (self->*member)(w, l);
            return true;
        });
    }

    HWND m_hWnd = nullptr;

private:
    struct Entry {
        UINT message;
        UINT id;
        UINT code;
        Handler handler;
    };
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR data);

    std::vector<Entry> table;
    bool subclassed = false;
};
