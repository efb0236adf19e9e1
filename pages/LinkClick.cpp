#include "pages/LinkClick.h"

#include "pages/WebAddress.h"

LRESULT OnLinkClick(NMHDR* header) {
    const NMLINK* link = reinterpret_cast<const NMLINK*>(header);
    if (link && link->item.szUrl[0] != L'\0') {
        OpenWebAddress(link->item.szUrl);
    }
    return 0;
}
