#pragma once
// The program's name: the main window's caption and the caption of its message boxes.

namespace app {

inline constexpr char kAppTitle[] = "Velmora Process Viewer";

} // namespace app
