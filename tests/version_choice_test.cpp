// Which string block the version line reads its company from, and what it does
// with values the system reports at, past or before the ends of the block.

#include "system/version_summary.h"
#include "tests/kit/fake_os.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
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
        fake::VersionFile& file = File() = fake::VersionFile{};
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
    // The company part of the line, "(none)" when the line has no company and
    // "(no line)" when there is no line.
    std::string Shown() {
        std::string line = basEnumProcs::GetVersionSummary(os, kPath);
        if (line.empty()) {
            return "(no line)";
        }
        EXPECT_EQ(line.rfind("File Ver 7.1.0.0 - ", 0), 0u) << line;
        size_t at = line.find(" - Co: ");
        return at == std::string::npos ? "(none)" : line.substr(at + 7);
    }

    fake::FakeOs os;
};

TEST_F(VersionChoiceTest, FirstUsEnglishEntryElseTheLastEntry) {
    Translations({{1031, 1252}, {1036, 1252}});
    EXPECT_EQ(Shown(), "Francais");
    Translations({{1031, 1252}, {1033, 1252}, {1033, 1200}});
    EXPECT_EQ(Shown(), "US Ansi");
    Translations({{1033, 1200}, {1031, 1252}});
    EXPECT_EQ(Shown(), "US Unicode");
    Translations({{1031, 1252}});
    EXPECT_EQ(Shown(), "Deutsch");
}

TEST_F(VersionChoiceTest, EmptyListReadsBlockZeroAndNoListReadsUnicodeUsEnglish) {
    Translations({});
    EXPECT_EQ(Shown(), "Neutral");
    File().values.erase(kTranslation);
    EXPECT_EQ(Shown(), "US Unicode");
    Translations({{1036, 1200}}); // a language with no string block
    EXPECT_EQ(Shown(), "(none)");
}

// The system may report any length and any address for a value: only bytes inside
// the block are read, whatever it says.
TEST_F(VersionChoiceTest, HostileLengthsAndAddressesAreReadOnlyInsideTheBlock) {
    const std::string company = "\\StringFileInfo\\040904B0\\CompanyName";
    const std::string root = "\\";
    constexpr size_t kEnd = kBlockSize;
    constexpr size_t kBefore = SIZE_MAX - 53; // 54 bytes before the block
    const std::string german("\x07\x04\xE4\x04", 4);
    struct Case {
        const char* what;
        std::string subBlock;
        fake::VersionValue value;
        const char* shown;
        std::vector<Translation> translations = {{1033, 1200}};
        std::string bytes = {}; // written at the value's offset
    } cases[] = {
        {"company past the end", company, {kEnd - 5, UINT_MAX}, "ABCDE", {{1033, 1200}}, "ABCDE"},
        {"company of length 0", company, {140, 0}, ""},
        {"company at the end", company, {kEnd, 10}, "(none)"},
        {"company before the block, reaching into it", company, {kBefore, 100}, "(none)"},
        {"translation past the end", kTranslation, {kEnd - 4, 400}, "Deutsch", {}, german},
        {"UINT_MAX list", kTranslation, {64, UINT_MAX}, "US Ansi", {{1031, 1252}, {1033, 1252}}},
        {"translation of an entry and 3 bytes", kTranslation, {64, 7}, "Deutsch", {{1031, 1252}}},
        {"translation under one entry", kTranslation, {64, 3}, "Neutral", {{1031, 1252}}},
        {"translation at the end: no list", kTranslation, {kEnd, 8}, "US Unicode", {{1031, 1252}}},
        {"root shorter than the fixed record", root, {0, 10}, "(no line)"},
        {"root past the end", root, {kEnd - 36, 52}, "(no line)"},
        {"root in the last byte, of UINT_MAX", root, {kEnd - 1, UINT_MAX}, "(no line)"},
        {"root at the end", root, {kEnd, 52}, "(no line)"},
        {"root before the block, reaching into it", root, {kBefore, 200}, "(no line)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        Translations(c.translations);
        if (!c.bytes.empty()) {
            std::memcpy(File().data.data() + c.value.offset, c.bytes.data(), c.bytes.size());
        }
        Value(c.subBlock) = c.value;
        EXPECT_EQ(Shown(), c.shown);
    }
    File().values.erase(root); // no fixed record at all
    EXPECT_EQ(Shown(), "(no line)");
}

} // namespace
