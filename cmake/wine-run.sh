#!/bin/sh
# Runs a Windows program under Wine: wine-run.sh win32|win64 PROGRAM [ARGS...].
# The prefix is VELMORA_WINEPREFIX, set by tools/, or the `wineprefix` folder of the
# build tree the current folder lies in.
arch=$1
shift
if [ -z "$VELMORA_WINEPREFIX" ]; then
    here=$(pwd)
    while [ "$here" != "/" ] && [ ! -d "$here/wineprefix" ]; do here=$(dirname "$here"); done
    VELMORA_WINEPREFIX="$here/wineprefix"
fi
# Wine would make a missing prefix on the spot, without the settings the tests need.
if [ ! -f "$VELMORA_WINEPREFIX/.velmora-prefix-ready" ]; then
    echo "wine-run.sh: no ready Wine prefix at $VELMORA_WINEPREFIX (tools/test.sh makes it)" >&2
    exit 1
fi
# /usr/bin/wine always starts the 32-bit loader; a 64-bit prefix needs wine64 itself.
loader=wine
[ "$arch" = win64 ] && loader=/usr/lib/wine/wine64
WINEARCH=$arch WINEPREFIX="$VELMORA_WINEPREFIX" WINEDEBUG=${WINEDEBUG:--all} exec "$loader" "$@"
