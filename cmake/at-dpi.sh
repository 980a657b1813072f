#!/usr/bin/env bash
# Runs a Windows program under Wine at another screen resolution:
# at-dpi.sh win32|win64 DPI PROGRAM [ARGS...].
# The build's ready prefix (see wine-env.sh) is copied once to <prefix>-dpi<DPI>, whose
# LogPixels is DPI. The program sees VELMORA_EXPECT_DPI=DPI; the copy's Wine session is
# ended before this script exits with the program's status.
set -euo pipefail

here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
debug=${WINEDEBUG:--all}
# shellcheck source=tools/lib.sh
source "$here/../tools/lib.sh"
export WINEDEBUG=$debug

kind=$1
dpi=$2
shift 2

prefix=$(runner_prefix "$kind")
prefix_ready "$prefix" || { echo "at-dpi.sh: no ready Wine prefix at $prefix" >&2; exit 1; }
clone=$prefix-dpi$dpi

# Copies the prefix and sets the resolution, unless a copy of the current prefix is there.
make_clone() {
    prefix_copy_current "$prefix" "$clone" && return 0
    copy_prefix "$prefix" "$clone"
    wine_in "$clone" "$kind" reg add 'HKCU\Control Panel\Desktop' \
        /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 </dev/null
    # The resolution is read when a session starts, and the registry reaches the disk
    # when it ends.
    end_wine_session "$clone"
    touch "$clone/$VELMORA_PREFIX_STAMP"
}

exec {lock}>"$clone.lock"
flock "$lock"
make_clone
trap 'end_wine_session "$clone"' EXIT
export VELMORA_WINEPREFIX=$clone
# A persistent server and one small program first, so that Wine's background processes
# do not hold the caller's output pipes open.
WINEPREFIX=$clone wineserver -p >/dev/null 2>&1 </dev/null
"$here/wine-run.sh" "$kind" hostname >/dev/null 2>&1 </dev/null || true
rc=0
VELMORA_EXPECT_DPI=$dpi "$here/wine-run.sh" "$kind" "$@" || rc=$?
exit "$rc"
