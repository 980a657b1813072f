#!/usr/bin/env bash
# Photographs the main window with a process and a module selected, and the memory
# map window with a full map, on a private X server: docs/screenshots/*.png.
set -euo pipefail
# shellcheck source=tools/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"

ensure_packages
build
start_xvfb
ensure_prefix
poses=$VELMORA_BUILD/poses
out=$VELMORA_ROOT/docs/screenshots
rm -rf "$poses"
mkdir -p "$poses" "$out"
wineserver -p >/dev/null 2>&1 </dev/null
(cd "$VELMORA_BUILD/tests/user_flows" &&
    VELMORA_POSE_DIR=$poses VELMORA_EXE=$VELMORA_EXE "$VELMORA_WINE" velmora_user_flow_tests.exe \
        --gtest_filter='*PosesForScreenshots*' >"$poses/run.log" 2>&1) &
runner=$!
for name in main-window memory-map-window; do
    for ((i = 0; i < 300; i++)); do
        [[ -e $poses/$name.pose ]] && break
        sleep 0.1
    done
    [[ -e $poses/$name.pose ]] || die "the $name pose did not come (see $poses/run.log)"
    sleep 1 # let it paint
    import -window root "$poses/$name-screen.png"
    # The window is the part of the screen that is not the black root.
    convert "$poses/$name-screen.png" -trim +repage "$out/$name.png"
    touch "$poses/$name.done"
    say "saved $out/$name.png"
done
wait "$runner" || die "the posing run failed (see $poses/run.log)"
