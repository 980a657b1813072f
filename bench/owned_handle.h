#pragma once
// The benchmark's kernel handles are owned like the test programs' own.

#include "tests/unique_handle.h"

namespace bench {

using OwnedHandle = testkit::UniqueHandle;

} // namespace bench
