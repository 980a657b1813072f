#include "app/hand_over.h"
#include "system/address.h"
#include "system/ansi_text.h"
#include "system/bas_enum_procs.h"
#include "system/windows_os.h"
#include "tests/kit/fake_os.h"
#include "tests/kit/text.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using basEnumProcs::GetErrorText;
using basEnumProcs::RaiseWinError;
using basEnumProcs::StripNul;
using testkit::EndsWith;
using testkit::StartsWith;

namespace {

// Wine's message wording differs from Windows', so only the structure is compared.
TEST(ErrorTextOnTheRealSystem, PrefixesAndNoClosingLineBreak) {
    sys::WindowsOs os;
    struct Case {
        int32_t code;
        const char* prefix;
    } cases[] = {{0, "Error: 0(&H0): "},
                 {5, "Error: 5(&H5): "},
                 {1813, "Error: 1813(&H715): "},
                 {123456789, "Error: 123456789(&H75BCD15): "},
                 {-1, "Error: -1(&HFFFFFFFF): "}};
    for (const Case& c : cases) {
        std::string text = GetErrorText(os, c.code);
        EXPECT_TRUE(StartsWith(text, c.prefix)) << text;
        EXPECT_FALSE(EndsWith(text, "\r\n")) << c.code;
        EXPECT_GT(text.size(), std::string(c.prefix).size()) << c.code;
    }
    EXPECT_EQ(GetErrorText(os, 123456789), "Error: 123456789(&H75BCD15): <No such error>");
}

TEST(ErrorText, DropsOneClosingLineBreakOnly) {
    fake::FakeOs os;
    os.messages[5] = "Access denied.\r\n";
    os.messages[7] = "Two breaks.\r\n\r\n";
    os.messages[8] = "No break.";
    EXPECT_EQ(GetErrorText(os, 5), "Error: 5(&H5): Access denied.");
    EXPECT_EQ(GetErrorText(os, 7), "Error: 7(&H7): Two breaks.\r\n");
    EXPECT_EQ(GetErrorText(os, 8), "Error: 8(&H8): No break.");
}

TEST(ErrorText, UnknownCodeAndFailedLookup) {
    fake::FakeOs os;
    EXPECT_EQ(GetErrorText(os, 123456789), "Error: 123456789(&H75BCD15): <No such error>");
    os.Fail("FormatMessageA", ERROR_MR_MID_NOT_FOUND);
    EXPECT_EQ(GetErrorText(os, 5), "Error: 5(&H5): <No such error>");
}

TEST(ErrorText, MessageLongerThanTheFirstBufferIsShownWhole) {
    fake::FakeOs os;
    std::string longText(700, 'x');
    os.messages[1234] = longText + "\r\n";
    EXPECT_EQ(GetErrorText(os, 1234), "Error: 1234(&H4D2): " + longText);
    EXPECT_EQ(os.calls["FormatMessageA"], 2);
}

TEST(RaiseWinError, NumberSourceAndDescription) {
    fake::FakeOs os;
    os.ownExePath = "C:\\Tools\\Velmora.Viewer.exe";
    try {
        RaiseWinError(os, 5);
        FAIL() << "no error raised";
    } catch (const sys::RaisedError& error) {
        EXPECT_EQ(error.Number(), -2147192499);
        EXPECT_EQ(error.Source(), "Velmora.Viewer.Windows");
        EXPECT_EQ(error.Description(), "Error: 5(&H5): Access denied.");
    }
    // The program's own path, cut at MAX_PATH, still yields the source.
    os.ownExePath = "C:\\" + std::string(300, 'v') + ".exe";
    EXPECT_EQ(basEnumProcs::MakeWinError(os, 5).Source(), std::string(257, 'v') + ".Windows");
}

TEST(RaiseWinError, NumbersWrapInThirtyTwoBits) {
    fake::FakeOs os;
    auto numberFor = [&os](int32_t code) {
        try {
            RaiseWinError(os, code);
        } catch (const sys::RaisedError& error) {
            return error.Number();
        }
        return 0;
    };
    EXPECT_EQ(numberFor(0), -2147192504);
    EXPECT_EQ(numberFor(-291144), INT32_MIN);
    EXPECT_EQ(numberFor(-291145), INT32_MAX); // below the range: wraps, still reported
    EXPECT_EQ(numberFor(INT32_MIN), static_cast<int32_t>(0x00047148));
}

TEST(StripNul, CutsAtTheFirstNulAndNeverReadsPastTheBuffer) {
    using namespace std::string_literals;
    EXPECT_EQ(StripNul("abc"s), "abc");
    EXPECT_EQ(StripNul("abc\0def"s), "abc");
    EXPECT_EQ(StripNul("\0abc"s), "");
    EXPECT_EQ(StripNul(""s), "");
    char full[4] = {'w', 'x', 'y', 'z'}; // no terminator at all
    EXPECT_EQ(StripNul(full, sizeof full), "wxyz");
}

// A name in several scripts ends at its NUL; one that fills its buffer keeps
// only whole characters of the program's code page.
TEST(StripNul, KeepsCharactersOfMoreThanOneByteWhole) {
    using namespace std::string_literals;
    EXPECT_EQ(StripNul("\xCE\xA9mega\xE6\xB5\x8B\0\xE6\xB5"s), "\xCE\xA9mega\xE6\xB5\x8B");
    ASSERT_EQ(::GetACP(), static_cast<UINT>(CP_UTF8)); // as the viewer's, by the manifest
    const char cut[] = {'a', '\xCE', '\xA9', '\xE6', '\xB5'};
    EXPECT_EQ(StripNul(cut, sizeof cut), "a\xCE\xA9");
    struct Case {
        UINT codePage;
        std::string text;
        size_t whole;
    } cases[] = {
        {CP_UTF8, "a\xCE\xA9", 3},
        {CP_UTF8, "a\xCE", 1},
        {CP_UTF8, "a\xE6\xB5\x8B", 4},
        {CP_UTF8, "a\xE6\xB5", 1},
        {CP_UTF8, "\xF0\x9F\x98\x80", 4},
        {CP_UTF8, "\xF0\x9F\x98", 0},
        {1252, "caf\xE9", 4},
        {932, "a\x82\xA0", 3},
        {932, "a\x82", 1},
        {932, "\x82\x5C\x82", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.codePage << ": " << c.text.size() << " bytes");
        EXPECT_EQ(sys::WholeCharactersLength(c.text, c.codePage), c.whole);
    }
}

TEST(HexDigits, UpperCaseWithoutLeadingZerosBeyondTheLeastAsked) {
    EXPECT_EQ(sys::HexDigits(0), "0");
    EXPECT_EQ(sys::HexDigits(0x400000), "400000");
    EXPECT_EQ(sys::HexDigits(0x1A000), "1A000");
    EXPECT_EQ(sys::HexDigits(0x80000000u), "80000000");
    EXPECT_EQ(sys::HexDigits(0xFFFFFFFFu), "FFFFFFFF");
    EXPECT_EQ(sys::HexDigits(1033, 4), "0409");
    EXPECT_EQ(sys::HexDigits(65001, 4), "FDE9");
}

// The 32-bit edition's start on each kind of Windows: it hands over only under WOW64
// on x64 with the 64-bit edition beside it, and goes on itself when anything on the
// way fails.
TEST(HandOver, StartsThe64BitEditionBesideItOnlyUnderWow64OnX64) {
    const std::string folder = "C:\\Program Files\\Velmora\\";
    const std::string edition = folder + app::k64BitEditionName;
    struct Case {
        const char* name;
        bool wow64;
        WORD native;
        bool editionThere;
        const char* failingCall; // fails with `error`
        DWORD error;
        const char* ownName;
        bool startTried;
    } cases[] = {
        {"WOW64 on x64", true, PROCESSOR_ARCHITECTURE_AMD64, true, nullptr, 0, "velmora.exe", true},
        {"no 64-bit edition beside it", true, PROCESSOR_ARCHITECTURE_AMD64, false, nullptr, 0,
         "velmora.exe", false},
        {"not WOW64", false, PROCESSOR_ARCHITECTURE_AMD64, true, nullptr, 0, "velmora.exe", false},
        {"WOW64 on ARM64", true, PROCESSOR_ARCHITECTURE_ARM64, true, nullptr, 0, "velmora.exe",
         false},
        {"x86 system", true, PROCESSOR_ARCHITECTURE_INTEL, true, nullptr, 0, "velmora.exe", false},
        {"no IsWow64Process", true, PROCESSOR_ARCHITECTURE_AMD64, true, "IsWow64Process",
         ERROR_PROC_NOT_FOUND, "velmora.exe", false},
        {"own path unknown", true, PROCESSOR_ARCHITECTURE_AMD64, true, "GetModuleFileNameA",
         ERROR_NOT_ENOUGH_MEMORY, "velmora.exe", false},
        {"itself named like the 64-bit edition", true, PROCESSOR_ARCHITECTURE_AMD64, true, nullptr,
         0, "VELMORA64.EXE", false},
        {"the start fails", true, PROCESSOR_ARCHITECTURE_AMD64, true, "CreateProcessA",
         ERROR_BAD_EXE_FORMAT, "velmora.exe", true},
    };
    for (const Case& c : cases) {
        fake::FakeOs os;
        os.selfWow64 = c.wow64;
        os.nativeArchitecture = c.native;
        os.ownExePath = folder + c.ownName;
        if (c.editionThere) {
            os.versionFiles[edition] = {};
        }
        if (c.failingCall != nullptr) {
            os.Fail(c.failingCall, c.error);
        }
        bool handsOver = c.startTried && c.failingCall == nullptr;
        EXPECT_EQ(app::HandOverTo64BitEdition(os, SW_SHOWMINNOACTIVE) == app::HandOver::handedOver,
                  handsOver)
            << c.name;
        EXPECT_EQ(os.processStarts.size(), c.startTried ? 1u : 0u) << c.name;
        if (c.startTried && !os.processStarts.empty()) {
            EXPECT_EQ(os.processStarts[0].application, edition) << c.name;
            EXPECT_EQ(os.processStarts[0].commandLine, "\"" + edition + "\"") << c.name;
            EXPECT_FALSE(os.processStarts[0].hasDirectory) << c.name;
            EXPECT_EQ(os.processStarts[0].show, SW_SHOWMINNOACTIVE) << c.name;
        }
        EXPECT_EQ(os.OpenHandles(), 0) << c.name;
    }
}

// Start-up tries the hand-over in the 32-bit edition only, whatever the system.
TEST(HandOver, OnlyThe32BitEditionTriesIt) {
    fake::FakeOs os;
    os.selfWow64 = true;
    os.nativeArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
    os.ownExePath = "C:\\Velmora\\velmora.exe";
    os.versionFiles[std::string("C:\\Velmora\\") + app::k64BitEditionName] = {};
    bool thirtyTwoBit = sys::kEditionWidth == sys::AddressWidth::Bits32;
    EXPECT_EQ(app::HandOverFromThe32BitEdition(os, SW_SHOWNORMAL) == app::HandOver::handedOver,
              thirtyTwoBit);
    EXPECT_EQ(os.processStarts.size(), thirtyTwoBit ? 1u : 0u);
}

} // namespace

// A misspelt call name would script nothing, and its test would pass on the fault it names.
TEST(FakeSystem, RefusesAFaultOrHookForACallItDoesNotKnow) {
    fake::FakeOs os;
    EXPECT_THROW(os.Fail("GetModuleBaseName", ERROR_ACCESS_DENIED), std::invalid_argument);
    EXPECT_THROW(os.Before("ReadProcessMemmory", [] {}), std::invalid_argument);
    for (const std::string& call : fake::KnownCalls()) {
        EXPECT_NO_THROW(os.Fail(call, ERROR_ACCESS_DENIED)) << call;
    }
}
