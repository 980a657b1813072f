#pragma once
// Reading the windows back as a user sees them: a control's id, what the client area
// shows on the screen, and where the address-space bar may paint.

#include "app/controls.h"
#include "main_window/address_bar.h"
#include "main_window/main_layout.h"
#include "memory_map/frm_mem_map.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace testkit {

constexpr int ControlId(main_window::MainControl control) {
    return main_window::kFirstControlId + static_cast<int>(control);
}

constexpr int MapControlId(memory_map::MapControl control) {
    return memory_map::kFirstMapControlId + static_cast<int>(control);
}

// The bar, the strip below it, and the driver boxes that run past its right end.
inline app::TwipsRect BarPaintArea(const app::TwipsRect& bar) {
    constexpr int kStripBelow = 100;
    return {bar.left, bar.top, bar.width + main_window::kDriverMarkWidth, bar.height + kStripBelow};
}

// The client area of a window as the screen shows it once its pending paints ran.
class ClientPixels {
public:
    explicit ClientPixels(HWND window);
    // CLR_INVALID outside the client area.
    COLORREF At(int x, int y) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_; // rows from the top, 0x00RRGGBB
};

} // namespace testkit
