#include "framework/CComboBox.h"

#include <vector>

CString CComboBox::GetLBText(int index) const {
    LRESULT length = ::SendMessageW(m_hWnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) {
        return CString();
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    LRESULT copied = ::SendMessageW(m_hWnd, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                    reinterpret_cast<LPARAM>(buffer.data()));
    return copied == CB_ERR ? CString() : CString(buffer.data(), static_cast<int>(copied));
}
