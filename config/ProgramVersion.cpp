#include "config/ProgramVersion.h"

#include <vector>

CString ReadProgramVersion(HMODULE module) {
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16) /* RT_VERSION */);
    if (!info) {
        return {};
    }
    DWORD size = SizeofResource(module, info);
    HGLOBAL loaded = LoadResource(module, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || size == 0) {
        return {};
    }
    // VerQueryValueW may write into the block it is given, and resource memory
    // is read-only, so it works on a copy.
    std::vector<BYTE> copy(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueW(copy.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
        !fixed || fixedSize < sizeof(VS_FIXEDFILEINFO)) {
        return {};
    }
    CString version;
    version.Format(L"%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                   HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    return version;
}
