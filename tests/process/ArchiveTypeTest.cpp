#include <gtest/gtest.h>

#include "process/ArchiveType.h"
#include "support/ScratchFolder.h"
#include "support/ZipWriter.h"

TEST(DetectArchiveType, JudgesByTheFirstBytes) {
    const struct {
        const char* label;
        std::string bytes;
        ArchiveType expected;
    } cases[] = {
        {"zip header", std::string("PK\x03\x04", 4) + "rest of an archive", ArchiveType::Zip},
        {"zip header alone", std::string("PK\x03\x04", 4), ArchiveType::Zip},
        {"zip header and one byte", std::string("PK\x03\x04\x00", 5), ArchiveType::Zip},
        {"7z signature", std::string("7z\xBC\xAF\x27\x1C\x00\x04", 8), ArchiveType::SevenZip},
        {"7z signature alone", std::string("7z\xBC\xAF\x27\x1C", 6), ArchiveType::SevenZip},
        {"7z signature cut short", std::string("7z\xBC\xAF\x27", 5), ArchiveType::Plain},
        {"three bytes", std::string("PK\x03", 3), ArchiveType::Plain},
        {"empty file", std::string(), ArchiveType::Plain},
        {"program", std::string("MZ\x90\x00\x03\x00", 6), ArchiveType::Plain},
        {"spanned zip marker", std::string("PK\x07\x08", 4), ArchiveType::Plain},
    };
    ScratchFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::wstring path = folder / L"file.bin";
        ASSERT_TRUE(WriteFileBytes(path, c.bytes));
        EXPECT_EQ(c.expected, DetectArchiveType(path.c_str()));
    }
    EXPECT_EQ(ArchiveType::Plain, DetectArchiveType((folder / L"missing.zip").c_str()));
    EXPECT_EQ(ArchiveType::Plain, DetectArchiveType(folder.Path().c_str()));
}
