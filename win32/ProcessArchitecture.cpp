#include "win32/ProcessArchitecture.h"

#include <windows.h>

namespace win32 {

bool IsWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace win32
