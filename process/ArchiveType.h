#pragma once

#include "framework/CString.h"

// What a downloaded installer is, judged by its first bytes.
enum class ArchiveType {
    Plain = 0,     // anything else, or a file that cannot be read
    Zip = 1,       // 50 4B 03 04
    SevenZip = 2,  // 37 7A BC AF 27 1C
};

ArchiveType DetectArchiveType(const CString& path);
