#pragma once

#include <cstdarg>
#include <string>

// UTF-16 text value with the small part of the MFC CString interface the
// wizard uses. A thin wrapper over std::wstring: copying copies the text.
class CString {
public:
    CString() = default;
    CString(const wchar_t* text) : value(text ? text : L"") {}
    CString(const wchar_t* text, int length) : value(text ? std::wstring(text, length) : L"") {}
    CString(const std::wstring& text) : value(text) {}
    CString(std::wstring&& text) : value(std::move(text)) {}
    CString(wchar_t ch, int repeat = 1) : value(repeat > 0 ? repeat : 0, ch) {}
    // Narrow text is taken in the thread's ANSI code page, as CStringW does.
    explicit CString(const char* text);
    explicit CString(const std::string& text) : CString(text.c_str()) {}

    operator const wchar_t*() const { return value.c_str(); }
    const wchar_t* GetString() const { return value.c_str(); }
    const std::wstring& str() const { return value; }

    int GetLength() const { return static_cast<int>(value.size()); }
    bool IsEmpty() const { return value.empty(); }
    void Empty() { value.clear(); }
    wchar_t GetAt(int index) const { return value.at(static_cast<size_t>(index)); }

    // Position of the first occurrence at or after start, or -1.
    int Find(const wchar_t* sub, int start = 0) const;
    int Find(wchar_t ch, int start = 0) const;
    int ReverseFind(wchar_t ch) const;

    CString Left(int count) const;
    CString Right(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;

    // Replaces every occurrence; returns how many were replaced.
    int Replace(const wchar_t* from, const wchar_t* to);
    int Replace(wchar_t from, wchar_t to);

    CString& Trim();
    void MakeLower();
    void MakeUpper();

    void Format(const wchar_t* format, ...);
    void FormatV(const wchar_t* format, va_list args);

    CString& operator+=(const CString& other) {
        value += other.value;
        return *this;
    }
    CString& operator+=(const wchar_t* other) {
        value += other ? other : L"";
        return *this;
    }
    CString& operator+=(wchar_t ch) {
        value += ch;
        return *this;
    }

    friend CString operator+(const CString& a, const CString& b) {
        return CString(a.value + b.value);
    }
    friend CString operator+(const CString& a, const wchar_t* b) { return a + CString(b); }
    friend CString operator+(const wchar_t* a, const CString& b) { return CString(a) + b; }
    friend CString operator+(const CString& a, wchar_t b) { return CString(a.value + b); }

    friend bool operator==(const CString& a, const CString& b) { return a.value == b.value; }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.value == (b ? b : L""); }
    friend bool operator==(const wchar_t* a, const CString& b) { return b == a; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.value < b.value; }

private:
    std::wstring value;
};

// Converts wide text to 8-bit text in the given code page (CP_ACP by default).
// Characters the code page cannot represent become its default character.
std::string WideToNarrow(const CString& text, unsigned codePage = 0);
