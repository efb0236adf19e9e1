#include "ImportCounter.h"

#include <atomic>
#include <cstring>

namespace {

using RegOpenKeyExWFunction = LONG(WINAPI*)(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY);

std::atomic<long> opens{0};
RegOpenKeyExWFunction original = nullptr;

LONG WINAPI CountingRegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access,
                                  PHKEY result) {
    ++opens;
    return original(key, subKey, options, access, result);
}

}  // namespace

bool RegistryOpenCounter::Install() {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) {
        return false;
    }
    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         import->Name != 0; ++import) {
        if (_stricmp(reinterpret_cast<const char*>(base + import->Name), "advapi32.dll") != 0 ||
            import->OriginalFirstThunk == 0) {
            continue;
        }
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
        auto* entries = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++entries) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "RegOpenKeyExW") != 0) {
                continue;
            }
            DWORD protection = 0;
            if (!VirtualProtect(&entries->u1.Function, sizeof(entries->u1.Function), PAGE_READWRITE,
                                &protection)) {
                return false;
            }
            original = reinterpret_cast<RegOpenKeyExWFunction>(entries->u1.Function);
            entries->u1.Function = reinterpret_cast<ULONG_PTR>(&CountingRegOpenKeyExW);
            VirtualProtect(&entries->u1.Function, sizeof(entries->u1.Function), protection,
                           &protection);
            return true;
        }
    }
    return false;
}

long RegistryOpenCounter::Count() {
    return opens;
}

void RegistryOpenCounter::Reset() {
    opens = 0;
}
