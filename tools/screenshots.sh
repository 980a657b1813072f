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

# photograph CONFIGURATION [DPI]: poses the configuration's viewer in a session of its
# own, in a copy of its prefix at DPI dots per inch if given.
photograph() {
    start_session "$@"
    pose_viewer "$VELMORA_BUILD/screenshots"
}

# keep POSE FILE: saves the last photograph of a pose (main, memory-map) as FILE.
keep() { cp "$VELMORA_BUILD/screenshots/screenshot-$1.png" "$out/$2"; }

ensure_packages
build
start_xvfb
if [[ -z $VELMORA_SKIPPED ]]; then
    photograph win32
    keep main main-window.png
    keep memory-map memory-map-window.png
    # The main window again in a copy of the prefix set to 144 dots per inch.
    photograph win32 144
    keep main main-window-144dpi.png
    end_sessions
    say "saved $out/main-window.png, memory-map-window.png and main-window-144dpi.png"
else
    say "the 32-bit edition's pictures are left as they are; not run here: $VELMORA_SKIPPED"
fi
photograph win64
keep main main-window-64.png
say "saved $out/main-window-64.png"
