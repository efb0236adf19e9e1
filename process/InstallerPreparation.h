#pragma once

#include "framework/CString.h"
#include "process/ArchiveType.h"

// The program to start for a downloaded installer. A ZIP archive is unpacked
// into a folder beside it (through the shell, or with minizip where the shell
// cannot open it) and the first program found at the top of that folder is
// the result; the archive itself is the result when nothing could be
// unpacked or no program was found. Any other type is returned unchanged (a
// 7z archive starts as it is). Throws std::bad_alloc when the path texts
// cannot be copied for the shell.
CString PrepareInstaller(const CString& path, ArchiveType type, const CString& workFolder);

// The folder that receives an unpacked archive: workFolder followed by the
// archive's name without its last extension (offer.zip -> workFolder\offer),
// created when missing. workFolder itself when that folder cannot be made or
// the name is taken by a file (an archive saved without an extension).
CString MakeExtractFolder(const CString& path, const CString& workFolder);

// The name (without folder) of the first file matching folder\*.exe in the
// order the file system lists them, skipping folders; empty when none.
CString FindFirstExe(const CString& folder);
