#include "pages/LinkClick.h"

#include <shellapi.h>

LRESULT OnLinkClick(NMHDR* header) {
    const NMLINK* link = reinterpret_cast<const NMLINK*>(header);
    if (link && link->item.szUrl[0] != L'\0') {
        ::ShellExecuteW(nullptr, L"open", link->item.szUrl, nullptr, nullptr, SW_SHOWNORMAL);
    }
    return 0;
}
