#include "framework/CRichEditCtrl.h"

bool AfxInitRichEdit() {
    // Kept loaded until the process ends: windows of its class may exist until then.
    static HMODULE library = ::LoadLibraryW(L"RICHED32.DLL");
    return library != nullptr;
}
