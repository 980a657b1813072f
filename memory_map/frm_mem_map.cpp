#include "memory_map/frm_mem_map.h"

namespace memory_map {

void ShowMemoryMapModal(sys::Os&, HWND) {}

} // namespace memory_map
