#include "process/PlainFileName.h"

namespace {

bool IsDeviceName(const CString& name) {
    // Windows resolves a device name with any extension to the device itself.
    CString stem = name;
    const int dot = stem.Find(L'.');
    if (dot >= 0) {
        stem = stem.Left(dot);
    }
    stem.Trim();
    stem.MakeUpper();
    static const wchar_t* const kDevices[] = {L"CON", L"PRN",    L"AUX",
                                              L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : kDevices) {
        if (stem == device) {
            return true;
        }
    }
    if (stem.GetLength() == 4 && (stem.Left(3) == L"COM" || stem.Left(3) == L"LPT")) {
        const wchar_t digit = stem.GetAt(3);
        return digit >= L'1' && digit <= L'9';
    }
    return false;
}

}  // namespace

bool IsPlainFileName(const CString& name) {
    if (name.IsEmpty()) {
        return false;
    }
    bool onlyDotsAndSpaces = true;
    for (wchar_t ch : name.str()) {
        if (ch == L'\\' || ch == L'/' || ch == L':' || ch == L'\0') {
            return false;
        }
        if (ch != L'.' && ch != L' ') {
            onlyDotsAndSpaces = false;
        }
    }
    return !onlyDotsAndSpaces && !IsDeviceName(name);
}
