#include "api/Encoding.h"

#include <windows.h>

#include <cmath>
#include <cstring>
#include <cwchar>
#include <stdexcept>
#include <unordered_map>

namespace {

// The conversion takes time in the square of the length: no tracking text
// comes near this, and a longer one (an offer identifier of megabytes from a
// hostile service) would hold the loading worker for minutes.
const size_t kMaxBase62Bytes = 1024;

const char kBase62Alphabet[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

const std::unordered_map<std::string, std::string>& AffiliateTable() {
    // Function-local static: built once, thread-safely, on first use.
    static const std::unordered_map<std::string, std::string> table = [] {
        std::unordered_map<std::string, std::string> t;
        const struct {
            const char* number;
            std::vector<const char*> codes;
        } groups[] = {
            {"91088", {"US"}},
            {"91166", {"CA"}},
            {"91199", {"BR"}},
            {"91214", {"AU", "NZ", "KR"}},
            {"91105", {"DZ", "BG", "CY", "CZ", "EG", "GR", "HU", "IE", "IL", "KW", "MA", "PL",
                       "PT", "QA", "RO", "RU", "SA", "SK", "ZA", "TN", "TR", "UA", "AE"}},
            {"91215", {"TH", "MX", "PH", "AR", "VN", "TW", "PE", "CL", "CO", "VE", "RS",
                       "LK", "DO", "JO", "HK", "LT", "PS", "HR", "CR", "BA", "SV", "GE",
                       "MD", "AL", "UY", "BY", "LB", "SN", "PA", "LV", "ID", "PK", "SG"}},
        };
        for (const auto& group : groups) {
            for (const char* code : group.codes) {
                t.emplace(code, group.number);
            }
        }
        return t;
    }();
    return table;
}

}  // namespace

std::string Base62Encode(const std::string& bytes) {
    size_t first = 0;
    while (first < bytes.size() && bytes[first] == '\0') {
        ++first;
    }
    const size_t n = bytes.size() - first;
    if (n == 0) {
        return {};
    }
    if (n > kMaxBase62Bytes) {
        throw std::length_error("Base62Encode input too long");
    }
    const size_t places =
        static_cast<size_t>(std::ceil(static_cast<double>(n) * std::log(256.0) / std::log(62.0)));
    std::vector<unsigned> digits(places, 0);
    size_t used = 0;
    for (size_t i = first; i < bytes.size(); ++i) {
        unsigned carry = static_cast<unsigned char>(bytes[i]);
        size_t visited = 0;
        for (size_t place = places; place > 0 && (carry != 0 || visited < used);
             --place, ++visited) {
            carry += 256 * digits[place - 1];
            digits[place - 1] = carry % 62;
            carry /= 62;
        }
        if (carry != 0) {
            throw std::runtime_error("Non-zero carry");
        }
        used = visited;
    }
    size_t start = 0;
    while (start < places && digits[start] == 0) {
        ++start;
    }
    std::string result;
    result.reserve(places - start);
    for (size_t place = start; place < places; ++place) {
        result += kBase62Alphabet[digits[place]];
    }
    return result;
}

std::string AffiliateForCountry(const std::string& countryCode) {
    const auto& table = AffiliateTable();
    auto found = table.find(countryCode);
    return found == table.end() ? "91082" : found->second;
}

std::wstring Utf8ToWide(const std::string& utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (length < 1) {
        throw std::runtime_error("MultiByteToWideChar() failed: " + std::to_string(length));
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
    return wide;
}

namespace {

bool IsHostCharacter(char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
           ch == '_' || ch == '.' || ch == '-';
}

// The rest of an address after its host: nothing, or a slash, question mark or
// number sign followed by anything but a line break (what the pattern's "."
// takes).
bool IsPathPart(const std::string& text, size_t pos) {
    if (pos == text.size()) {
        return true;
    }
    const char first = text[pos];
    if (first != '/' && first != '?' && first != '#') {
        return false;
    }
    return text.find_first_of("\r\n", pos) == std::string::npos;
}

// After an http(s) scheme: a host of name characters, with or without a dot,
// an optional port of up to five digits, then the path part.
bool IsFullAddressAfterScheme(const std::string& text, size_t pos) {
    const size_t hostStart = pos;
    while (pos < text.size() && IsHostCharacter(text[pos])) {
        ++pos;
    }
    if (pos == hostStart) {
        return false;
    }
    if (pos < text.size() && text[pos] == ':') {
        const size_t portStart = ++pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            ++pos;
        }
        if (pos == portStart || pos - portStart > 5) {
            return false;
        }
    }
    return IsPathPart(text, pos);
}

}  // namespace

// A text that starts with http:// or https:// is a full address whatever its
// host: the download pages must not put the file base address in front of
// https://localhost/f/x.exe or of an address with a port. Without a scheme the
// text must match, in one pass and without recursion, the language of
//   ^([\w.-]+)(\.[\w.-]+)+([/?#].*)?$
// which names such as setup.exe (taken as they are) and files/setup.exe (which
// get the base address in front) rely on. Since the host characters include
// the dot, the host part matches exactly when it holds a dot that is neither
// its first nor its last character. The path part starts at the first
// character that cannot belong to a host. The scheme is matched in lower case
// only: an upper-case scheme falls to the second form and fails at its colon.
bool IsValidUrl(const CString& url) {
    const std::string text = WideToNarrow(url, CP_THREAD_ACP);
    for (const char* scheme : {"https://", "http://"}) {
        if (text.compare(0, std::strlen(scheme), scheme) == 0) {
            return IsFullAddressAfterScheme(text, std::strlen(scheme));
        }
    }
    size_t pos = 0;
    bool innerDot = false;
    while (pos < text.size() && IsHostCharacter(text[pos])) {
        if (text[pos] == '.' && pos > 0 && pos + 1 < text.size() &&
            IsHostCharacter(text[pos + 1])) {
            innerDot = true;
        }
        ++pos;
    }
    return innerDot && IsPathPart(text, pos);
}

std::vector<int32_t> ParseVersion(const CString& version) {
    std::vector<int32_t> numbers;
    const std::wstring& text = version.str();
    size_t start = 0;
    while (start <= text.size()) {
        size_t dot = text.find(L'.', start);
        if (dot == std::wstring::npos) {
            dot = text.size();
        }
        if (dot > start) {
            const std::wstring piece = text.substr(start, dot - start);
            // long is 32 bits on Windows, so wcstol saturates at the 32-bit range.
            numbers.push_back(static_cast<int32_t>(std::wcstol(piece.c_str(), nullptr, 10)));
        }
        start = dot + 1;
    }
    return numbers;
}
