#pragma once
// The helper the black-box tests inspect: this test program started again, with
// the known memory of the kit's helper laid out and its image at kHelperImageBase
// (set by the linker flags of the test program).

#include "tests/kit/helper_process.h"
#include "tests/kit/programs.h"

namespace blackbox {

using testkit::HelperProcess;
using testkit::kCommittedBase;
using testkit::kCommittedBytes;
using testkit::kHelperImageBase;
using testkit::kReservedBase;
using testkit::kReservedBytes;

// This test program's path and file name; the helper's are the same.
using testkit::OwnExeName;
using testkit::OwnExePath;

} // namespace blackbox
