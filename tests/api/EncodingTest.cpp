#include <gtest/gtest.h>

#include <stdexcept>

#include <thread>

#include <climits>

#include "api/Encoding.h"

TEST(Base62Encode, EncodesBytesAsOneBigEndianNumber) {
    const struct {
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"", ""},
        {std::string(1, '\0'), ""},
        {std::string(5, '\0'), ""},
        {"abc", "qMin"},
        {std::string(2, '\0') + "abc", "qMin"},
        {"hello world", "aaWF93RVY4AwqvW"},
        {"\x01", "1"},
        {"\x3d", "Z"},
        {"\x3e", "10"},
        {"\xff\xff", "h31"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(Base62Encode(c.bytes), c.expected);
    }
}

TEST(Base62Encode, LongInputsNeverOverflowTheDigitBuffer) {
    // All-0xff inputs need the most digits for their length.
    for (size_t n = 1; n <= 64; ++n) {
        SCOPED_TRACE(n);
        EXPECT_NO_THROW(Base62Encode(std::string(n, '\xff')));
    }
}

// The conversion is quadratic: beyond 1024 significant bytes it refuses, and
// the caller's text (the "pxl" placeholder) stays empty.
TEST(Base62Encode, RefusesInputsBeyondItsLimit) {
    EXPECT_NO_THROW(Base62Encode(std::string(1024, '\xff')));
    EXPECT_NO_THROW(Base62Encode(std::string(8, '\0') + std::string(1024, '\xff')));
    EXPECT_THROW(Base62Encode(std::string(1025, '\xff')), std::length_error);
}

TEST(AffiliateForCountry, LooksUpExactUpperCaseCodes) {
    const struct {
        const char* code;
        const char* expected;
    } cases[] = {
        {"US", "91088"}, {"CA", "91166"}, {"BR", "91199"},  {"KR", "91214"}, {"NZ", "91214"},
        {"DZ", "91105"}, {"AE", "91105"}, {"TH", "91215"},  {"SG", "91215"}, {"us", "91082"},
        {"", "91082"},   {"DE", "91082"}, {"USA", "91082"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(AffiliateForCountry(c.code), c.expected);
    }
}

TEST(Utf8ToWide, ConvertsAndReplacesInvalidSequences) {
    EXPECT_EQ(Utf8ToWide(""), L"");
    EXPECT_EQ(Utf8ToWide("Espa\xc3\xb1ol"), L"Espa\u00f1ol");
    EXPECT_EQ(Utf8ToWide("\xf0\x9f\x98\x80"), L"\U0001F600");
    EXPECT_EQ(Utf8ToWide("a\xff"
                         "b"),
              L"a\ufffd"
              L"b");
    // Embedded NUL bytes are part of the text, not its end.
    EXPECT_EQ(Utf8ToWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(IsValidUrl, AcceptsFullAddressesAndHostNamesWithADot) {
    const struct {
        const wchar_t* url;
        bool expected;
    } cases[] = {
        {L"https://files.example.com/setup.exe", true},
        {L"http://files.example.com", true},
        {L"files.example.com/a?b#c", true},
        {L"cdn.example.com?x=1", true},
        {L"localhost", false},
        {L"https://localhost/setup.exe", true},
        {L"setup.exe", true},  // a name with a dot is taken for a host
        {L"/f/setup.exe", false},
        {L"https://", false},
        {L"HTTPS://files.example.com", false},
        {L"https://files.example.com:8443/x", true},
        // A scheme makes a full address whatever the host; without one the
        // first name needs a dot.
        {L"http://localhost:8780/f/x.exe", true},
        {L"https://localhost", true},
        {L"files/setup.exe", false},
        {L"localhost:8780/f/x.exe", false},
        {L"https://:8443/x", false},
        {L"https://localhost:/x", false},
        {L"https://localhost:123456/x", false},
        {L"https://files example.com", false},
        {L"https://localhost/a\nb", false},
        {L"files example.com", false},
        {L"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.url)));
        EXPECT_EQ(IsValidUrl(c.url), c.expected);
    }
}

// The check runs on every offer address from the service, on worker threads
// too: a very long address must be answered, not overflow the stack.
TEST(IsValidUrl, AnswersVeryLongAddressesOnAnyThread) {
    const std::wstring longPath = L"https://files.example.com/" + std::wstring(100000, L'a');
    const std::wstring longName(100000, L'a');
    auto check = [&] {
        EXPECT_TRUE(IsValidUrl(longPath.c_str()));
        EXPECT_FALSE(IsValidUrl(longName.c_str()));
        EXPECT_TRUE(IsValidUrl((longName + L".example.com").c_str()));
    };
    check();
    std::thread(check).join();
}

TEST(ParseVersion, SplitsAtDotsAndReadsLikeWcstol) {
    const struct {
        const wchar_t* text;
        std::vector<int32_t> expected;
    } cases[] = {
        {L"10.2.3", {10, 2, 3}},
        {L"1..2", {1, 2}},
        {L".6.1.", {6, 1}},
        {L"10.0b.3", {10, 0, 3}},
        {L"", {}},
        {L"x.7", {0, 7}},
        {L" 4.-1.+2", {4, -1, 2}},
        {L"99999999999.1", {INT32_MAX, 1}},
        {L"-99999999999", {INT32_MIN}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(ParseVersion(c.text), c.expected);
    }
}
