#!/usr/bin/env bash
# Photographs the viewer on a private X server into docs/screenshots/: the 32-bit
# edition's main window with a process and a module selected (also at 144 dots per
# inch) and its memory map window with a full map, and the 64-bit edition's main
# window with a 64-bit process (the test program itself) and its kernel32.dll
# selected. The black-box test program poses the viewer
# (tests/blackbox/take_screenshots.sh, as in the test run). Where the 32-bit edition
# cannot run, its pictures are left as they are.
set -euo pipefail
# shellcheck source=tools/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"

out=$VELMORA_ROOT/docs/screenshots
mkdir -p "$out"

# photograph KIND [DPI]: poses the current configuration's viewer, in a copy of its
# prefix at DPI dots per inch if given.
photograph() {
    if [[ -n ${2:-} ]]; then
        pose_viewer "$VELMORA_BUILD/screenshots" "$VELMORA_ROOT/cmake/at-dpi.sh" "$1" "$2"
    else
        pose_viewer "$VELMORA_BUILD/screenshots" "$VELMORA_ROOT/cmake/wine-run.sh" "$1"
    fi
}

# keep POSE FILE: saves the last photograph of a pose (main, memory-map) as FILE.
keep() { cp "$VELMORA_BUILD/screenshots/screenshot-$1.png" "$out/$2"; }

ensure_packages
build
start_xvfb
if [[ -z $VELMORA_SKIPPED ]]; then
    prepare_configuration win32
    photograph win32
    keep main main-window.png
    keep memory-map memory-map-window.png
    # The main window again in a copy of the prefix set to 144 dots per inch.
    photograph win32 144
    keep main main-window-144dpi.png
    close_wine_session "$WINEPREFIX"
    say "saved $out/main-window.png, memory-map-window.png and main-window-144dpi.png"
else
    say "the 32-bit edition's pictures are left as they are; not run here: $VELMORA_SKIPPED"
fi
prepare_configuration win64
photograph win64
keep main main-window-64.png
say "saved $out/main-window-64.png"
