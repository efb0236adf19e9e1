#pragma once

#include <windows.h>
#include <oleauto.h>

// Unpacks a ZIP archive into an existing folder through the shell's ZIP
// folders (Shell.Application, NameSpace, CopyHere). True when the shell took
// the copy (it may finish it after the call returns); false when the shell,
// the archive or the destination cannot be opened, the archive is empty, or
// the copy is refused. Initialises COM on the calling thread for the call.
bool ExtractZipWithShell(BSTR zip, BSTR destination);
