#include "tests/reliability/resource_counts.h"

#include <windows.h>

namespace reliability {

namespace {

// Handle values are multiples of 4 and the lowest free one is given out first.
long ProbeHandles() {
    long count = 0;
    DWORD flags = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        count += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    }
    return count;
}

// Wine takes a GDI handle with a zero upper word as "this slot, any generation".
long ProbeGdiObjects() {
    long count = 0;
    for (ULONG_PTR slot = 1; slot < 0x10000; ++slot) {
        count += ::GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0 ? 1 : 0;
    }
    return count;
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<long*>(count);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM count) {
    ++*reinterpret_cast<long*>(count);
    ::EnumChildWindows(window, CountChild, count);
    return TRUE;
}

// The windows of this thread, the USER objects the viewer creates.
long ProbeWindows() {
    long count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountTopLevel, reinterpret_cast<LPARAM>(&count));
    return count;
}

} // namespace

ResourceCounts CountResources() {
    ResourceCounts counts;
    DWORD handles = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &handles) && handles != 0) {
        counts.handles = static_cast<long>(handles);
        counts.how = "handle count";
    } else {
        counts.handles = ProbeHandles();
        counts.how = "handles probed";
    }
    counts.gdiObjects = static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS));
    counts.userObjects =
        static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS));
    if (counts.gdiObjects == 0 && counts.userObjects == 0) {
        counts.gdiObjects = ProbeGdiObjects();
        counts.userObjects = ProbeWindows();
        counts.how += ", GDI objects probed, windows counted";
    } else {
        counts.how += ", GUI resource counts";
    }
    return counts;
}

} // namespace reliability
