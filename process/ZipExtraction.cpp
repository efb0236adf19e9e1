#include "process/ZipExtraction.h"

#include <windows.h>

#include <unzip.h>
#include <iowin32.h>

#include <string>
#include <vector>

#include "process/PlainFileName.h"
#include "win32/UniqueHandle.h"

namespace {

struct UnzipTraits {
    using Handle = unzFile;
    static Handle Invalid() { return nullptr; }
    // Also closes an entry still open for reading.
    static void Close(Handle h) { ::unzClose(h); }
};
using UniqueUnzip = win32::UniqueHandle<UnzipTraits>;

// Bit 11 of the general-purpose flags: the name is UTF-8.
const unsigned long kUtf8NameFlag = 1ul << 11;
const unsigned kOemUsCodePage = 437;
const unsigned kReadBlock = 64 * 1024;

struct EntryPath {
    CString relative;  // below the folder, '\' between components; empty: the folder itself
    bool directory = false;
};

// The entry's place below the extraction folder, or false when the name
// would reach outside it. Empty and "." components are dropped, as
// archivers write them ("./setup.exe", "a//b").
bool ToEntryPath(const std::wstring& name, EntryPath& path) {
    if (name.empty() || name[0] == L'/' || name[0] == L'\\') {
        return false;
    }
    path = EntryPath();
    path.directory = name.back() == L'/' || name.back() == L'\\';
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of(L"/\\", start);
        if (end == std::wstring::npos) {
            end = name.size();
        }
        const CString component(name.substr(start, end - start));
        if (!component.IsEmpty() && component != L".") {
            if (!IsPlainFileName(component)) {
                return false;
            }
            if (!path.relative.IsEmpty()) {
                path.relative += L'\\';
            }
            path.relative += component;
        }
        start = end + 1;
    }
    return true;
}

std::wstring DecodeName(const std::string& raw, unsigned long flags) {
    const UINT codePage = (flags & kUtf8NameFlag) ? CP_UTF8 : kOemUsCodePage;
    const int length =
        ::MultiByteToWideChar(codePage, 0, raw.data(), static_cast<int>(raw.size()), nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, raw.data(), static_cast<int>(raw.size()), wide.data(),
                          length);
    return wide;
}

// Creates folder\relative and every folder above it below folder.
bool CreateFolders(const CString& folder, const CString& relative) {
    int pos = 0;
    while (pos >= 0) {
        pos = relative.Find(L'\\', pos);
        const CString path = folder + L"\\" + (pos < 0 ? relative : relative.Left(pos));
        if (!::CreateDirectoryW(path, nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
        if (pos >= 0) {
            ++pos;
        }
    }
    return true;
}

bool ExtractCurrentEntry(unzFile archive, const CString& target) {
    if (::unzOpenCurrentFile(archive) != UNZ_OK) {
        return false;
    }
    bool ok = true;
    {
        win32::UniqueFileHandle file(::CreateFileW(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        ok = file.valid();
        std::vector<char> block(kReadBlock);
        while (ok) {
            const int read = ::unzReadCurrentFile(archive, block.data(), kReadBlock);
            if (read == 0) {
                break;
            }
            DWORD written = 0;
            ok = read > 0 &&
                 ::WriteFile(file.get(), block.data(), static_cast<DWORD>(read), &written,
                             nullptr) &&
                 written == static_cast<DWORD>(read);
        }
    }
    // Reports a checksum mismatch of the entry just read.
    if (::unzCloseCurrentFile(archive) != UNZ_OK) {
        ok = false;
    }
    return ok;
}

}  // namespace

bool ExtractZipWithMinizip(const CString& zip, const CString& folder) {
    zlib_filefunc64_def io;
    ::fill_win32_filefunc64W(&io);
    UniqueUnzip archive(::unzOpen2_64(zip.GetString(), &io));
    if (!archive) {
        return false;
    }
    int extracted = 0;
    for (int status = ::unzGoToFirstFile(archive.get()); status != UNZ_END_OF_LIST_OF_FILE;
         status = ::unzGoToNextFile(archive.get())) {
        if (status != UNZ_OK) {
            return false;
        }
        unz_file_info64 info{};
        if (::unzGetCurrentFileInfo64(archive.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) !=
            UNZ_OK) {
            return false;
        }
        std::string raw(info.size_filename, '\0');
        if (::unzGetCurrentFileInfo64(archive.get(), &info, raw.data(),
                                      static_cast<uLong>(raw.size()), nullptr, 0, nullptr,
                                      0) != UNZ_OK) {
            return false;
        }
        EntryPath entry;
        if (raw.find('\0') != std::string::npos ||
            !ToEntryPath(DecodeName(raw, info.flag), entry)) {
            return false;
        }
        if (entry.relative.IsEmpty()) {
            continue;
        }
        const CString target = folder + L"\\" + entry.relative;
        if (target.GetLength() >= MAX_PATH) {
            return false;
        }
        if (entry.directory) {
            if (!CreateFolders(folder, entry.relative)) {
                return false;
            }
        } else {
            const int slash = entry.relative.ReverseFind(L'\\');
            if (slash > 0 && !CreateFolders(folder, entry.relative.Left(slash))) {
                return false;
            }
            if (!ExtractCurrentEntry(archive.get(), target)) {
                return false;
            }
        }
        ++extracted;
    }
    return extracted > 0;
}
