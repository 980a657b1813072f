#!/bin/sh
# Runs a Windows program under Wine in the build folder's 32-bit prefix.
# VELMORA_WINEPREFIX is set by tools/; the fallback finds the prefix beside the build tree.
if [ -z "$VELMORA_WINEPREFIX" ]; then
    here=$(pwd)
    while [ "$here" != "/" ] && [ ! -d "$here/wineprefix" ]; do here=$(dirname "$here"); done
    VELMORA_WINEPREFIX="$here/wineprefix"
fi
WINEARCH=win32 WINEPREFIX="$VELMORA_WINEPREFIX" WINEDEBUG=${WINEDEBUG:--all} exec wine "$@"
