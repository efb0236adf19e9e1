#include "support/ScopedRegistryKeys.h"

#include <gtest/gtest.h>

#include "win32/UniqueHandle.h"

namespace {

bool KeyExists(HKEY root, const std::wstring& path, REGSAM view) {
    win32::UniqueRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.receive()) != ERROR_SUCCESS) {
        key.release();
        return false;
    }
    return true;
}

win32::UniqueRegKey OpenForWriting(HKEY root, const std::wstring& path, REGSAM view) {
    win32::UniqueRegKey key;
    const LONG status =
        RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE | view, nullptr,
                        key.receive(), nullptr);
    if (status != ERROR_SUCCESS) {
        key.release();
        ADD_FAILURE() << "cannot create registry key, status " << status;
    }
    return key;
}

}  // namespace

ScopedRegistryKeys::~ScopedRegistryKeys() {
    for (auto value = savedValues.rbegin(); value != savedValues.rend(); ++value) {
        win32::UniqueRegKey key;
        if (RegOpenKeyExW(value->root, value->path.c_str(), 0, KEY_SET_VALUE | value->view,
                          key.receive()) != ERROR_SUCCESS) {
            key.release();
            continue;  // its key went with a created parent
        }
        if (value->type) {
            RegSetValueExW(key.get(), value->name.c_str(), 0, *value->type, value->data.data(),
                           static_cast<DWORD>(value->data.size()));
        } else {
            RegDeleteValueW(key.get(), value->name.c_str());
        }
    }
    for (auto created = createdKeys.rbegin(); created != createdKeys.rend(); ++created) {
        win32::UniqueRegKey key;
        if (RegOpenKeyExW(created->root, created->path.c_str(), 0, KEY_ALL_ACCESS | created->view,
                          key.receive()) == ERROR_SUCCESS) {
            RegDeleteTreeW(key.get(), nullptr);
            key.reset();
            RegDeleteKeyExW(created->root, created->path.c_str(), created->view, 0);
        } else {
            key.release();
        }
    }
}

void ScopedRegistryKeys::CreateKey(HKEY root, const std::wstring& path, REGSAM view) {
    // Find the topmost missing component, so that only what this test made
    // is deleted afterwards.
    size_t end = 0;
    while (end != std::wstring::npos) {
        end = path.find(L'\\', end + 1);
        const std::wstring prefix = path.substr(0, end);
        if (!KeyExists(root, prefix, view)) {
            createdKeys.push_back({root, prefix, view});
            break;
        }
    }
    OpenForWriting(root, path, view);
}

void ScopedRegistryKeys::SaveValue(HKEY root, const std::wstring& path, const std::wstring& name,
                                   REGSAM view) {
    SavedValue saved{root, path, name, view, std::nullopt, {}};
    win32::UniqueRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.receive()) == ERROR_SUCCESS) {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) ==
            ERROR_SUCCESS) {
            saved.data.resize(size);
            if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, saved.data.data(),
                                 &size) == ERROR_SUCCESS) {
                saved.data.resize(size);
                saved.type = type;
            }
        }
    } else {
        key.release();
    }
    savedValues.push_back(std::move(saved));
}

void ScopedRegistryKeys::SetRaw(HKEY root, const std::wstring& path, const std::wstring& name,
                                DWORD type, const void* data, DWORD size, REGSAM view) {
    CreateKey(root, path, view);
    SaveValue(root, path, name, view);
    win32::UniqueRegKey key = OpenForWriting(root, path, view);
    const LONG status =
        RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    EXPECT_EQ(ERROR_SUCCESS, status) << "cannot write registry value";
}

void ScopedRegistryKeys::SetString(HKEY root, const std::wstring& path, const std::wstring& name,
                                   const std::wstring& text, REGSAM view, DWORD type) {
    SetRaw(root, path, name, type, text.c_str(),
           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), view);
}

void ScopedRegistryKeys::SetDword(HKEY root, const std::wstring& path, const std::wstring& name,
                                  uint32_t value, REGSAM view) {
    SetRaw(root, path, name, REG_DWORD, &value, sizeof(value), view);
}

void ScopedRegistryKeys::SetQword(HKEY root, const std::wstring& path, const std::wstring& name,
                                  uint64_t value, REGSAM view) {
    SetRaw(root, path, name, REG_QWORD, &value, sizeof(value), view);
}

void ScopedRegistryKeys::RemoveValue(HKEY root, const std::wstring& path, const std::wstring& name,
                                     REGSAM view) {
    SaveValue(root, path, name, view);
    win32::UniqueRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_SET_VALUE | view, key.receive()) !=
        ERROR_SUCCESS) {
        key.release();
        return;
    }
    RegDeleteValueW(key.get(), name.c_str());
}
