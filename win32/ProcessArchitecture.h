#pragma once

namespace win32 {

// True when this 32-bit process runs on 64-bit Windows (WOW64). A failed
// query counts as a 32-bit system.
bool IsWow64();

}  // namespace win32
