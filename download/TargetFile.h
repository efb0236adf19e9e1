#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/CString.h"
#include "win32/UniqueHandle.h"

// The file one transfer writes. It is created (or truncated) when the object
// is made, before any network activity; a failed open is remembered so that
// the engine can report it once the response has arrived.
class TargetFile {
public:
    explicit TargetFile(const CString& path);

    bool IsOpen() const { return handle.valid(); }
    // GetLastError() of the failed open; 0 when the file is open.
    DWORD OpenError() const { return openError; }

    // Throws "Failed to write to file: %d - %s": a short write (a full disk)
    // must fail the transfer even when no length tells that bytes are missing.
    void Write(const char* data, DWORD size);
    void Close() { handle.reset(); }

private:
    win32::UniqueFileHandle handle;
    DWORD openError = 0;
};

// Length of the file at path; false (with GetLastError() in error) when it
// cannot be opened for reading.
bool ReadFileLength(const CString& path, uint64_t& length, DWORD& error);

// Throws "Download was incomplete: content length: <n>, downloaded: <m>" when
// the lengths differ.
void CheckComplete(DWORD contentLength, uint64_t fileLength);
