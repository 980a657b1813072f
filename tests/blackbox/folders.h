#pragma once
// Scratch folders the black-box tests lay out for a copy of the viewer: made in
// the folder the test runs in, filled with copies, removed afterwards.

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace blackbox {

std::string CurrentFolder();
// The names of the files in a folder that end in `suffix`.
std::vector<std::string> FilesEndingIn(const std::string& folder, const std::string& suffix);
// Deletes the folder's files, then the folder.
void RemoveFolder(const std::string& folder);
::testing::AssertionResult CopyFileTo(const std::string& from, const std::string& to);

} // namespace blackbox
