#pragma once
// Poses the viewer for screenshots taken from outside Wine (take_screenshots.sh):
// for each state it prints "pose NAME LEFT TOP WIDTH HEIGHT" (the window's screen
// rectangle) and waits for a line on its input before it moves on.

namespace blackbox {

int RunPose();

} // namespace blackbox
