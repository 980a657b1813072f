// Which string block the version line reads its company from, and what it does
// with values the system reports at, past or before the ends of the block.

#include "system/version_summary.h"
#include "tests/fake_os.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

namespace {

constexpr char kPath[] = "C:\\choice.dll";
constexpr size_t kBlockSize = 256;
constexpr size_t kTranslationAt = 64;
constexpr char kTranslation[] = "\\VarFileInfo\\Translation";

using Translation = std::pair<uint16_t, uint16_t>; // language, code page

// A block with one company per language and code page; the test writes the
// translation list.
class VersionChoiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::VersionFile& file = File();
        file.data.assign(kBlockSize, 0);
        VS_FIXEDFILEINFO fixed{};
        fixed.dwFileVersionMS = 0x00070001;
        std::memcpy(file.data.data(), &fixed, sizeof fixed);
        file.values["\\"] = {0, sizeof fixed};
        Company("040704E4", 100, "Deutsch");
        Company("040C04E4", 120, "Francais");
        Company("040904B0", 140, "US Unicode");
        Company("040904E4", 160, "US Ansi");
        Company("00000000", 180, "Neutral");
    }
    fake::VersionFile& File() { return os.versionFiles[kPath]; }
    fake::VersionValue& Value(const std::string& name) { return File().values[name]; }
    // Stored like the system stores it: the reported length counts the NUL.
    void Company(const std::string& key, size_t at, const char* name) {
        std::memcpy(File().data.data() + at, name, std::strlen(name) + 1);
        Value("\\StringFileInfo\\" + key + "\\CompanyName") = {at, UINT(std::strlen(name) + 1)};
    }
    void Translations(const std::vector<Translation>& entries) {
        size_t at = kTranslationAt;
        for (auto [language, codePage] : entries) {
            std::memcpy(File().data.data() + at, &language, 2);
            std::memcpy(File().data.data() + at + 2, &codePage, 2);
            at += 4;
        }
        Value(kTranslation) = {kTranslationAt, UINT(4 * entries.size())};
    }
    // The company part of the line, or "(none)" when the line has no company.
    std::string CompanyShown() {
        std::string line = basEnumProcs::GetVersionSummary(os, kPath);
        EXPECT_EQ(line.rfind("File Ver 7.1.0.0 - ", 0), 0u) << line;
        size_t at = line.find(" - Co: ");
        return at == std::string::npos ? "(none)" : line.substr(at + 7);
    }

    fake::FakeOs os;
};

TEST_F(VersionChoiceTest, FirstUsEnglishEntryElseTheLastEntry) {
    Translations({{1031, 1252}, {1036, 1252}});
    EXPECT_EQ(CompanyShown(), "Francais");
    Translations({{1031, 1252}, {1033, 1252}, {1033, 1200}});
    EXPECT_EQ(CompanyShown(), "US Ansi");
    Translations({{1033, 1200}, {1031, 1252}});
    EXPECT_EQ(CompanyShown(), "US Unicode");
    Translations({{1031, 1252}});
    EXPECT_EQ(CompanyShown(), "Deutsch");
}

TEST_F(VersionChoiceTest, EmptyListReadsBlockZeroAndNoListReadsUnicodeUsEnglish) {
    Translations({});
    EXPECT_EQ(CompanyShown(), "Neutral");
    File().values.erase(kTranslation);
    EXPECT_EQ(CompanyShown(), "US Unicode");
    Translations({{1036, 1200}}); // a language with no string block
    EXPECT_EQ(CompanyShown(), "(none)");
}

TEST_F(VersionChoiceTest, ValuesEndingAtTheBlockEndAreReadOnlyUpToIt) {
    // The last five bytes, with no terminator, and a length far past the end.
    std::memcpy(File().data.data() + kBlockSize - 5, "ABCDE", 5);
    Value("\\StringFileInfo\\040904B0\\CompanyName") = {kBlockSize - 5, 0xFFFFFFFFu};
    EXPECT_EQ(CompanyShown(), "ABCDE");
    // One entry in the last four bytes, reported as a hundred: only that entry exists.
    uint16_t german[] = {1031, 1252};
    std::memcpy(File().data.data() + kBlockSize - 4, german, 4);
    Value(kTranslation) = {kBlockSize - 4, 400};
    EXPECT_EQ(CompanyShown(), "Deutsch");
}

TEST_F(VersionChoiceTest, ValuesAtTheBlockEndCountAsMissing) {
    Value("\\StringFileInfo\\040904B0\\CompanyName") = {kBlockSize, 10};
    EXPECT_EQ(CompanyShown(), "(none)");
    Value(kTranslation) = {kBlockSize, 8}; // no list: 1033/1200, whose company is gone too
    EXPECT_EQ(CompanyShown(), "(none)");
    Translations({{1031, 1252}});
    Value("\\") = {kBlockSize, 52};
    EXPECT_EQ(basEnumProcs::GetVersionSummary(os, kPath), "");
}

// Reports chosen values at an address before the block, as a broken system might.
class PointsBeforeTheBlock : public fake::FakeOs {
public:
    std::string shifted;
    BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* value, UINT* length) override {
        BOOL found = FakeOs::VerQueryValueA(block, subBlock, value, length);
        if (found && ::lstrcmpiA(subBlock, shifted.c_str()) == 0) {
            *value = static_cast<BYTE*>(*value) - 64;
        }
        return found;
    }
};

TEST(VersionValuesBeforeTheBlock, AreNotRead) {
    PointsBeforeTheBlock os;
    fake::VersionFile file;
    file.data.assign(128, 0);
    VS_FIXEDFILEINFO fixed{};
    fixed.dwFileVersionMS = 0x00010000;
    std::memcpy(file.data.data(), &fixed, sizeof fixed);
    file.values["\\"] = {0, sizeof fixed};
    // Shifted to 54 bytes before the block, and long enough to reach into it.
    file.values["\\StringFileInfo\\040904B0\\CompanyName"] = {10, 100};
    os.versionFiles[kPath] = file;
    os.shifted = "\\StringFileInfo\\040904B0\\CompanyName";
    std::string line = basEnumProcs::GetVersionSummary(os, kPath);
    EXPECT_EQ(line.rfind("File Ver 1.0.0.0 - ", 0), 0u) << line;
    EXPECT_EQ(line.find(" - Co: "), std::string::npos) << line;
    os.shifted = "\\";
    os.versionFiles[kPath].values["\\"] = {0, 200};
    EXPECT_EQ(basEnumProcs::GetVersionSummary(os, kPath), "");
}

} // namespace
