// The version line of real files, read through the system's version.dll.

#include "res/version.h"
#include "system/version_summary.h"
#include "system/windows_os.h"
#include "tests/kit/programs.h"
#include "tests/kit/text.h"

#include <gtest/gtest.h>

#include <cstring>

using basEnumProcs::GetVersionSummary;
using testkit::EndsWith;

namespace {

std::string FilePath(const std::string& name) { return testkit::OwnFolder() + "files\\" + name; }

// The year of the file's last write in local time, as the line must show it.
std::string LocalYear(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FILETIME local{};
    SYSTEMTIME time{};
    ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    ::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    ::FileTimeToSystemTime(&local, &time);
    return std::to_string(time.wYear);
}

class RealVersionFiles : public ::testing::Test {
protected:
    std::string Summary(const std::string& file) { return GetVersionSummary(os, FilePath(file)); }
    sys::WindowsOs os;
};

TEST_F(RealVersionFiles, VersionsDateAndCompanyWithoutItsTerminator) {
    std::string line = Summary("full.dll");
    EXPECT_EQ(line.rfind("File Ver 1.2.3.4 - Product Ver 1.2.0.0 - Date: ", 0), 0u) << line;
    EXPECT_TRUE(EndsWith(line, " - Co: English Co")) << line;
    EXPECT_EQ(std::strlen(line.c_str()), line.size()); // no NUL inside
    std::string date = line.substr(line.find(" - Date: ") + 9);
    EXPECT_NE(date.find(LocalYear(FilePath("full.dll"))), std::string::npos) << line;
}

TEST_F(RealVersionFiles, VersionWordsAreReadAsUnsignedHalves) {
    EXPECT_EQ(Summary("words.dll").rfind("File Ver 5.1.1.40960 - Product Ver 65535.0.0.0 - ", 0),
              0u)
        << Summary("words.dll");
}

TEST_F(RealVersionFiles, LanguageAndCodePageChoice) {
    EXPECT_TRUE(EndsWith(Summary("two_languages.dll"), " - Co: English Co"))
        << Summary("two_languages.dll");
    EXPECT_TRUE(EndsWith(Summary("german.dll"), " - Co: Deutsche Firma")) << Summary("german.dll");
    EXPECT_TRUE(EndsWith(Summary("no_translation.dll"), " - Co: English Co"))
        << Summary("no_translation.dll");
}

// The company as the version data give it, in this program's code page (UTF-8).
TEST_F(RealVersionFiles, ACompanyNameInSeveralScripts) {
    EXPECT_TRUE(EndsWith(Summary("scripts.dll"), " - Co: Ωmega Компания 测试"))
        << Summary("scripts.dll");
}

TEST_F(RealVersionFiles, NoCompanyKeepsWhatWasReadable) {
    std::string line = Summary("no_company.dll");
    EXPECT_EQ(line.rfind("File Ver 3.0.0.1 - Product Ver 3.0.0.0 - Date: ", 0), 0u) << line;
    EXPECT_EQ(line.find(" - Co: "), std::string::npos) << line;
}

TEST_F(RealVersionFiles, FilesWithoutVersionDataGiveTheErrorLine) {
    EXPECT_EQ(Summary("bare.dll").rfind("Error: ", 0), 0u) << Summary("bare.dll");
    EXPECT_EQ(Summary("missing.dll").rfind("Error: 2(&H2): ", 0), 0u) << Summary("missing.dll");
}

TEST_F(RealVersionFiles, TheViewerDescribesItself) {
    std::string line = GetVersionSummary(os, testkit::ViewerPath());
    std::string versions = std::string("File Ver ") + VELMORA_VERSION_TEXT + " - Product Ver " +
                           VELMORA_VERSION_TEXT + " - Date: ";
    EXPECT_EQ(line.rfind(versions, 0), 0u) << line;
    EXPECT_TRUE(EndsWith(line, " - Co: Velmora")) << line;
}

TEST(ViewerResources, ManifestAsksForCommonControlsSixAndDpiAwareness) {
    HMODULE exe =
        ::LoadLibraryExA(testkit::ViewerPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr) << testkit::ViewerPath();
    HRSRC found = ::FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(exe, found)));
    std::string manifest(bytes, ::SizeofResource(exe, found));
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(manifest.find("<dpiAware"), std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find("<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/"
                            "WindowsSettings\">UTF-8</activeCodePage>"),
              std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("supportedOS"), std::string::npos);
    EXPECT_NE(::FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14)), nullptr); // icon
    ::FreeLibrary(exe);
}

} // namespace
