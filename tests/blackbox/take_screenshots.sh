#!/usr/bin/env bash
# Saves X screenshots of the viewer's main window (a process selected) and of its
# memory map window (a full map): the black-box test program poses each state
# and this script photographs it from outside Wine.
#   take_screenshots.sh OUT_DIR TEST_EXE VIEWER_EXE RUNNER [RUNNER ARGS...]
set -euo pipefail
out=$1 test_exe=$2 viewer=$3
shift 3
# The display of the Wine session the runner uses (cmake/wine-run.sh).
# shellcheck source=/dev/null
[[ -z ${VELMORA_SESSION:-} ]] || source "$VELMORA_SESSION"
[[ -n ${DISPLAY:-} ]] || { echo "take_screenshots: no DISPLAY" >&2; exit 1; }

coproc POSE { "$@" "$test_exe" --viewer="$viewer" --pose; }
pose_pid=$POSE_PID # bash forgets POSE_PID once the pose ends
saved=0
while IFS= read -r -t 60 line <&"${POSE[0]}"; do
    line=${line%$'\r'}
    read -r word name left top width height <<<"$line" || true
    [[ $word == pose ]] || continue
    file=$out/screenshot-$name.png
    rm -f "$file"
    import -window root -crop "${width}x${height}+${left}+${top}" +repage "$file"
    echo "saved $file (${width}x${height} at $left,$top)"
    saved=$((saved + 1))
    echo next >&"${POSE[1]}"
done
status=0
wait "$pose_pid" || status=$?
((status == 0)) || { echo "take_screenshots: the pose ended with $status" >&2; exit 1; }
((saved == 2)) || { echo "take_screenshots: $saved of 2 screenshots" >&2; exit 1; }
