#pragma once

#include <string>
#include <vector>

// One entry of a test archive; the name is stored byte for byte, marked as
// UTF-8 when utf8Name is set.
struct ZipEntry {
    std::string name;
    std::string content;
    bool utf8Name = false;
};

// Writes a deflated ZIP archive with the entries in order (minizip's writer).
// Returns false when the file cannot be written.
bool WriteZip(const std::wstring& path, const std::vector<ZipEntry>& entries);

// The bytes of a file, or empty text when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
