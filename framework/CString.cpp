#include "framework/CString.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <vector>

CString::CString(const char* text) {
    if (!text || !*text) {
        return;
    }
    int length = MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1) {
        return;
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    value = std::move(wide);
}

int CString::Find(const wchar_t* sub, int start) const {
    if (start < 0 || start > GetLength() || !sub) {
        return -1;
    }
    size_t pos = value.find(sub, static_cast<size_t>(start));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(wchar_t ch, int start) const {
    if (start < 0 || start > GetLength()) {
        return -1;
    }
    size_t pos = value.find(ch, static_cast<size_t>(start));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(wchar_t ch) const {
    size_t pos = value.rfind(ch);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

CString CString::Left(int count) const {
    count = std::clamp(count, 0, GetLength());
    return CString(value.substr(0, static_cast<size_t>(count)));
}

CString CString::Right(int count) const {
    count = std::clamp(count, 0, GetLength());
    return CString(value.substr(value.size() - static_cast<size_t>(count)));
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const {
    first = std::clamp(first, 0, GetLength());
    count = std::clamp(count, 0, GetLength() - first);
    return CString(value.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

int CString::Replace(const wchar_t* from, const wchar_t* to) {
    if (!from || !*from) {
        return 0;
    }
    const std::wstring needle(from);
    const std::wstring replacement(to ? to : L"");
    int count = 0;
    size_t pos = 0;
    while ((pos = value.find(needle, pos)) != std::wstring::npos) {
        value.replace(pos, needle.size(), replacement);
        pos += replacement.size();
        ++count;
    }
    return count;
}

int CString::Replace(wchar_t from, wchar_t to) {
    int count = 0;
    for (wchar_t& ch : value) {
        if (ch == from) {
            ch = to;
            ++count;
        }
    }
    return count;
}

CString& CString::Trim() {
    auto notSpace = [](wchar_t ch) { return !std::iswspace(ch); };
    value.erase(value.begin(), std::find_if(value.begin(), value.end(), notSpace));
    value.erase(std::find_if(value.rbegin(), value.rend(), notSpace).base(), value.end());
    return *this;
}

void CString::MakeLower() {
    if (!value.empty()) {
        CharLowerBuffW(value.data(), static_cast<DWORD>(value.size()));
    }
}

void CString::MakeUpper() {
    if (!value.empty()) {
        CharUpperBuffW(value.data(), static_cast<DWORD>(value.size()));
    }
}

void CString::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const wchar_t* format, va_list args) {
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int written = _vsnwprintf(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        if (written >= 0 && static_cast<size_t>(written) < buffer.size()) {
            value.assign(buffer.data(), static_cast<size_t>(written));
            return;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string WideToNarrow(const CString& text, unsigned codePage) {
    if (text.IsEmpty()) {
        return {};
    }
    int length =
        WideCharToMultiByte(codePage, 0, text, text.GetLength(), nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return {};
    }
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text, text.GetLength(), narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}
