#!/usr/bin/env bash
# Photographs the main window with a process and a module selected, and the memory
# map window with a full map, on a private X server: docs/screenshots/*.png; the
# main window also at 144 dots per inch. The black-box test program poses the viewer
# (tests/blackbox/take_screenshots.sh, as in the test run).
set -euo pipefail
# shellcheck source=tools/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"

prepare_private_wine
out=$VELMORA_ROOT/docs/screenshots
shots=$VELMORA_BUILD/screenshots
mkdir -p "$out"

pose_viewer "$shots" "$VELMORA_ROOT/cmake/wine-run.sh" "$VELMORA_KIND"
cp "$shots/screenshot-main.png" "$out/main-window.png"
cp "$shots/screenshot-memory-map.png" "$out/memory-map-window.png"
# The main window again in a copy of the prefix set to 144 dots per inch.
pose_viewer "$shots" "$VELMORA_ROOT/cmake/at-dpi.sh" "$VELMORA_KIND" 144
cp "$shots/screenshot-main.png" "$out/main-window-144dpi.png"
say "saved $out/main-window.png, memory-map-window.png and main-window-144dpi.png"
