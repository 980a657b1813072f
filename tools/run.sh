#!/usr/bin/env bash
# Runs the viewer: installs what is missing, builds, and starts build/i686/velmora.exe
# under Wine. With a DISPLAY it runs there until you close it. Without one it runs on a
# private X server, saves a screenshot of the main window and closes the program
# through its exit prompt (answering Cancel).
set -euo pipefail
# shellcheck source=tools/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"

# Prints the id of the first shown window whose caption is exactly $1, polling for up
# to $2 seconds; fails if none appears.
wait_for_window() {
    local pattern="^${1}\$" deadline=$((SECONDS + $2)) id
    while ((SECONDS < deadline)); do
        id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1) || true
        [[ -n $id ]] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}

# True if process $1 ends within $2 seconds.
wait_for_exit() {
    local deadline=$((SECONDS + $2))
    while kill -0 "$1" 2>/dev/null; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}

ensure_packages
build

if [[ -n ${DISPLAY:-} ]]; then
    ensure_prefix
    say "starting the viewer on $DISPLAY"
    rc=0
    "$VELMORA_WINE" "$VELMORA_EXE" "$@" || rc=$?
    exit "$rc"
fi

start_xvfb
ensure_prefix
shot=$VELMORA_BUILD/screenshot.png
rm -f "$shot"
"$VELMORA_WINE" "$VELMORA_EXE" "$@" >"$VELMORA_BUILD/run.log" 2>&1 </dev/null &
viewer=$!

if ! main=$(wait_for_window "$VELMORA_TITLE" 20); then
    say "the main window did not appear within 20 s (output in $VELMORA_BUILD/run.log)"
    exit 1
fi
sleep 1.5   # let it paint
import -window root "$shot"

# Close it as a person would: Alt+F4, or failing that a click on the Exit button
# (client pixels (568,4)-(625,25); the frame adds about 3 px and the caption 19 px).
xdotool key alt+F4
if ! box=$(wait_for_window "More Freeware" 3); then
    say "no exit prompt after Alt+F4; clicking Exit"
    eval "$(xdotool getwindowgeometry --shell "$main")"
    xdotool mousemove $((X + 3 + 596)) $((Y + 22 + 14)) click 1
    box=$(wait_for_window "More Freeware" 5) || box=
fi
if [[ -n $box ]]; then
    xdotool key Escape   # the prompt's Cancel: no web page is opened
    sleep 1
    if xdotool search --onlyvisible --name '^More Freeware$' >/dev/null 2>&1; then
        xdotool key --window "$box" Escape || true
    fi
else
    say "the exit prompt did not appear"
fi

if wait_for_exit "$viewer" 10; then
    wait "$viewer" || say "the viewer ended with status $?"
else
    say "the viewer did not end within 10 s of closing; stopping its Wine session"
    wineserver -k || true
fi
say "screenshot: $shot"
