#!/usr/bin/env bash
# Runs a Windows program under Wine at another screen resolution:
# at-dpi.sh win32|win64 DPI PROGRAM [ARGS...].
# The build's ready prefix (VELMORA_WINEPREFIX, or the `wineprefix` folder of the build
# tree the current folder lies in) is copied once to <prefix>-dpi<DPI>, whose LogPixels
# is DPI. The program sees VELMORA_EXPECT_DPI=DPI; the copy's Wine session is ended
# before this script exits with the program's status.
set -euo pipefail

here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
debug=${WINEDEBUG:--all}
# shellcheck source=tools/lib.sh
source "$here/../tools/lib.sh"
export WINEDEBUG=$debug

arch=$1
dpi=$2
shift 2

prefix=${VELMORA_WINEPREFIX:-}
if [[ -z $prefix ]]; then
    prefix=$(pwd)
    while [[ $prefix != / && ! -d $prefix/wineprefix ]]; do prefix=$(dirname "$prefix"); done
    prefix=$prefix/wineprefix
fi
ready=$prefix/.velmora-prefix-ready
[[ -f $ready ]] || { echo "at-dpi.sh: no ready Wine prefix at $prefix" >&2; exit 1; }
clone=$prefix-dpi$dpi
stamp=$clone/.velmora-dpi-ready

in_clone() { VELMORA_WINEPREFIX=$clone "$here/wine-run.sh" "$arch" "$@"; }

# Copies the prefix and sets the resolution, unless a copy of the current prefix is there.
make_clone() {
    [[ -f $stamp && $stamp -nt $ready ]] && return 0
    end_wine_session "$clone"
    rm -rf "$clone"
    cp -a "$prefix" "$clone"
    rm -f "$clone/.velmora-dpi-ready"
    in_clone reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
        >/dev/null 2>&1 </dev/null
    # The resolution is read when a session starts, and the registry reaches the disk
    # when it ends.
    end_wine_session "$clone"
    touch "$stamp"
}

exec {lock}>"$clone.lock"
flock "$lock"
make_clone
trap 'end_wine_session "$clone"' EXIT
# A persistent server and one small program first, so that Wine's background processes
# do not hold the caller's output pipes open.
WINEPREFIX=$clone wineserver -p >/dev/null 2>&1 </dev/null
in_clone hostname >/dev/null 2>&1 </dev/null || true
rc=0
VELMORA_EXPECT_DPI=$dpi in_clone "$@" || rc=$?
exit "$rc"
