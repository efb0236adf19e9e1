#include "config/MachineId.h"

#include <windows.h>

#include <cstring>

#include "win32/UniqueHandle.h"

std::string ReadMachineId() {
    win32::UniqueRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Cryptography", 0,
                      KEY_READ | KEY_WOW64_64KEY, key.receive()) != ERROR_SUCCESS) {
        return {};
    }
    char buffer[255] = {};
    DWORD size = sizeof(buffer);
    if (RegQueryValueExA(key.get(), "MachineGuid", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
        return {};
    }
    std::string id(buffer, size > sizeof(buffer) ? sizeof(buffer) : size);
    return id.substr(0, id.find('\0'));
}
