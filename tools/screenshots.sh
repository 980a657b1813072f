#!/usr/bin/env bash
# Photographs the main window with a process and a module selected, and the memory
# map window with a full map, on a private X server: docs/screenshots/*.png; the
# main window also at 144 dots per inch.
set -euo pipefail
# shellcheck source=tools/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"

prepare_private_wine
out=$VELMORA_ROOT/docs/screenshots
mkdir -p "$out"

# The caption of the window each pose shows; the memory map stands over the main window.
declare -A captions=([main-window]='^Velmora Process Viewer$' [memory-map-window]='^Memory Map')

# Saves the window whose caption matches $1 as $2; without Wine's X window for it, the
# whole screen trimmed of the black root.
photograph() {
    local window
    window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
    if [[ -n $window ]] && import -window "$window" "$2" 2>/dev/null; then
        return 0
    fi
    import -window root "$2.screen.png"
    convert "$2.screen.png" -trim +repage "$2"
    rm -f "$2.screen.png"
}

# Runs the posing flow with the Wine command given in the arguments and saves the poses
# named in KEEP as docs/screenshots/NAME<SUFFIX>.png: shoot_poses SUFFIX KEEP COMMAND...
shoot_poses() {
    local suffix=$1 keep=" $2 " poses=$VELMORA_BUILD/poses$1 name i runner
    shift 2
    rm -rf "$poses"
    mkdir -p "$poses"
    (cd "$VELMORA_BUILD/tests/user_flows" &&
        VELMORA_POSE_DIR=$poses VELMORA_EXE=$VELMORA_EXE "$@" velmora_user_flow_tests.exe \
            --gtest_filter='*PosesForScreenshots*' >"$poses/run.log" 2>&1) &
    runner=$!
    for name in main-window memory-map-window; do
        for ((i = 0; i < 300; i++)); do
            [[ -e $poses/$name.pose ]] && break
            sleep 0.1
        done
        [[ -e $poses/$name.pose ]] || die "the $name pose did not come (see $poses/run.log)"
        if [[ $keep == *" $name "* ]]; then
            sleep 1 # let it paint
            photograph "${captions[$name]}" "$out/$name$suffix.png"
            say "saved $out/$name$suffix.png"
        fi
        touch "$poses/$name.done"
    done
    wait "$runner" || die "the posing run failed (see $poses/run.log)"
}

shoot_poses "" "main-window memory-map-window" "$VELMORA_WINE"
# The same at 144 dots per inch, in a copy of the prefix set to it.
shoot_poses -144dpi main-window "$VELMORA_ROOT/cmake/at-dpi.sh" "$WINEARCH" 144
