#!/usr/bin/env bash
# Runs the viewer: installs what is missing, builds both editions, and starts the one
# that runs here under Wine: build/i686/velmora.exe in a 32-bit prefix where Wine runs
# 32-bit programs, else build/x86_64/velmora64.exe in a 64-bit prefix. With a DISPLAY
# it runs there until you close it. Without one it runs on a private X server, where
# the black-box test program drives it as a user would: it selects a process and a
# module, the main window is saved as a screenshot, and the program is closed through
# its exit prompt (answering Cancel).
set -euo pipefail
# shellcheck source=tools/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"

ensure_packages
build
[[ -z $VELMORA_SKIPPED ]] || say "not run here: $VELMORA_SKIPPED"

if [[ -n ${DISPLAY:-} ]]; then
    start_session "${VELMORA_CONFIGS[0]}"
    say "starting $(basename -- "$VELMORA_EXE") ($(describe_configuration "${VELMORA_CONFIGS[0]}")) on $DISPLAY"
    rc=0
    "$VELMORA_WINE" "$VELMORA_EXE" "$@" || rc=$?
    exit "$rc"
fi

start_xvfb
start_session "${VELMORA_CONFIGS[0]}"
pose_viewer "$VELMORA_BUILD/run-poses"
shot=$VELMORA_BUILD/screenshot.png
cp "$VELMORA_BUILD/run-poses/screenshot-main.png" "$shot"
say "screenshot: $shot"
