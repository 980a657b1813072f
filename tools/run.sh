#!/usr/bin/env bash
# Runs the viewer: installs what is missing, builds, and starts build/i686/velmora.exe
# under Wine. With a DISPLAY it runs there until you close it. Without one it runs on a
# private X server, where the black-box test program drives it as a user would: it
# selects a process and a module, the main window is saved as a screenshot, and the
# program is closed through its exit prompt (answering Cancel).
set -euo pipefail
# shellcheck source=tools/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"

ensure_packages
build

if [[ -n ${DISPLAY:-} ]]; then
    ensure_prefix
    use_own_session
    say "starting the viewer on $DISPLAY"
    rc=0
    "$VELMORA_WINE" "$VELMORA_EXE" "$@" || rc=$?
    exit "$rc"
fi

prepare_private_wine
pose_viewer "$VELMORA_BUILD/run-poses" "$VELMORA_ROOT/cmake/wine-run.sh" "$VELMORA_KIND"
shot=$VELMORA_BUILD/screenshot.png
cp "$VELMORA_BUILD/run-poses/screenshot-main.png" "$shot"
say "screenshot: $shot"
