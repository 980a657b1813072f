// A helper whose folder and file carry Greek, Cyrillic and Chinese letters: the
// viewer shows its name and paths exactly, finds its file for the version line,
// and copies the map with that path to the clipboard in Unicode too.

#include "tests/blackbox/folders.h"
#include "tests/blackbox/helper_process.h"
#include "tests/blackbox/memory_map_window.h"
#include "tests/blackbox/row_text.h"
#include "tests/blackbox/viewer_session.h"

#include <gtest/gtest.h>

#include <memory>

namespace blackbox {
namespace {

using main_window::MainControl;

// This program's code page is UTF-8 (its manifest), as the viewer's is.
constexpr char kFolderName[] = "Ωmega Папка 测试";
constexpr char kExeName[] = "Ωmega测试.exe";

class NamesInEveryScript : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::GetACP(), static_cast<UINT>(CP_UTF8));
        folder_ = CurrentFolder() + "\\" + kFolderName;
        exePath_ = folder_ + "\\" + kExeName;
        ASSERT_TRUE(::CreateDirectoryA(folder_.c_str(), nullptr) ||
                    ::GetLastError() == ERROR_ALREADY_EXISTS);
        ASSERT_TRUE(CopyFileTo(OwnExePath(), exePath_));
        helper_ = std::make_unique<HelperProcess>("\"" + exePath_ + "\" " + testkit::kHelperFlag);
        viewer_ = std::make_unique<ViewerSession>();
    }
    void TearDown() override {
        viewer_.reset();
        helper_.reset();
        RemoveFolder(folder_);
    }

    std::string folder_;
    std::string exePath_;
    std::unique_ptr<HelperProcess> helper_;
    std::unique_ptr<ViewerSession> viewer_;
};

TEST_F(NamesInEveryScript, NameAndPathsAreShownWholeAndTheFileIsFound) {
    std::string row = std::to_string(helper_->Id()) + " - " + kExeName + " (normal)";
    int listed = viewer_->RowOfProcess(helper_->Id());
    ASSERT_GE(listed, 0);
    EXPECT_EQ(viewer_->Rows(MainControl::lstProcesses)[listed], row);

    viewer_->SelectProcess(helper_->Id());
    std::string shown = viewer_->Text(MainControl::txtStatus);
    EXPECT_TRUE(EqualIgnoringCase(shown, exePath_)) << shown;
    EXPECT_NE(::GetFileAttributesA(shown.c_str()), INVALID_FILE_ATTRIBUTES) << shown;

    viewer_->SelectModule(kExeName);
    EXPECT_TRUE(EqualIgnoringCase(viewer_->Text(MainControl::txtFilePath), exePath_));
    EXPECT_TRUE(StartsWith(viewer_->Text(MainControl::txtVersionInfo), "File Ver 3.1.4.1"))
        << viewer_->Text(MainControl::txtVersionInfo);

    MemoryMapWindow map(*viewer_);
    map.MapAll(kExeName);
    std::string mapText = map.MapText();
    EXPECT_NE(mapText.find("\t" + shown + "\r\n"), std::string::npos) << "the map lacks " << shown;
    std::string copied = map.CopyToClipboard();
    EXPECT_EQ(copied, std::string("Memory Map: ") + kExeName + "\r\n" + mapText);
    std::string pasted = ClipboardText(CF_UNICODETEXT);
    EXPECT_TRUE(pasted == copied) << "pasted as Unicode: " << pasted.substr(0, pasted.find('\r'));
    map.Close();
}

} // namespace
} // namespace blackbox
