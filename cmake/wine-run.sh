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
# /usr/bin/wine always starts the 32-bit loader; a 64-bit prefix needs wine64 itself.
loader=wine
[ "$arch" = win64 ] && loader=/usr/lib/wine/wine64
WINEARCH=$arch WINEPREFIX="$VELMORA_WINEPREFIX" WINEDEBUG=${WINEDEBUG:--all} exec "$loader" "$@"
