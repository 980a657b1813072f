#pragma once
// What this process holds: kernel handles, GDI objects and USER objects.
// GetProcessHandleCount and GetGuiResources answer 0 under Wine, so where they
// do, the objects are counted one by one instead.

#include <string>

namespace reliability {

struct ResourceCounts {
    long handles = 0;
    long gdiObjects = 0;
    long userObjects = 0;
    std::string how; // which counts the system gave and which were probed
};

ResourceCounts CountResources();

} // namespace reliability
