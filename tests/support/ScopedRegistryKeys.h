#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The registry keys and values a test wrote, removed or put back when it
// ends, so that tests on the prefix's real registry stay independent. Keys are
// named by root, path and view (0 for this process's default view,
// KEY_WOW64_64KEY or KEY_WOW64_32KEY); every write fails the test when the
// platform refuses it.
class ScopedRegistryKeys {
public:
    ScopedRegistryKeys() = default;
    ~ScopedRegistryKeys();
    ScopedRegistryKeys(const ScopedRegistryKeys&) = delete;
    ScopedRegistryKeys& operator=(const ScopedRegistryKeys&) = delete;

    // Creates the key and any missing parents; the topmost one created is
    // deleted with everything below it at the end.
    void CreateKey(HKEY root, const std::wstring& path, REGSAM view = 0);

    // Writes a value, creating its key as above. A value that existed before
    // is restored at the end; a new one goes with its key or is deleted.
    void SetString(HKEY root, const std::wstring& path, const std::wstring& name,
                   const std::wstring& text, REGSAM view = 0, DWORD type = REG_SZ);
    void SetDword(HKEY root, const std::wstring& path, const std::wstring& name, uint32_t value,
                  REGSAM view = 0);
    void SetQword(HKEY root, const std::wstring& path, const std::wstring& name, uint64_t value,
                  REGSAM view = 0);
    void SetRaw(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type,
                const void* data, DWORD size, REGSAM view = 0);

    // Deletes an existing value for the test; it is written back at the end.
    void RemoveValue(HKEY root, const std::wstring& path, const std::wstring& name,
                     REGSAM view = 0);

private:
    struct CreatedKey {
        HKEY root;
        std::wstring path;
        REGSAM view;
    };
    struct SavedValue {
        HKEY root;
        std::wstring path;
        std::wstring name;
        REGSAM view;
        std::optional<DWORD> type;  // none: the value did not exist
        std::vector<BYTE> data;
    };

    void SaveValue(HKEY root, const std::wstring& path, const std::wstring& name, REGSAM view);

    std::vector<CreatedKey> createdKeys;
    std::vector<SavedValue> savedValues;
};
