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

# Poses and photographs both windows into $shots, with the Wine command in the arguments.
take() {
    rm -rf "$shots"
    mkdir -p "$shots"
    bash "$VELMORA_ROOT/tests/blackbox/take_screenshots.sh" "$shots" \
        "$VELMORA_BUILD/tests/blackbox/velmora_blackbox_tests.exe" "$VELMORA_EXE" "$@" ||
        die "the posing run failed"
}

take "$VELMORA_WINE"
cp "$shots/screenshot-main.png" "$out/main-window.png"
cp "$shots/screenshot-memory-map.png" "$out/memory-map-window.png"
# The main window again in a copy of the prefix set to 144 dots per inch.
take "$VELMORA_ROOT/cmake/at-dpi.sh" "$WINEARCH" 144
cp "$shots/screenshot-main.png" "$out/main-window-144dpi.png"
say "saved $out/main-window.png, memory-map-window.png and main-window-144dpi.png"
