#!/bin/sh
# Runs a Windows program under Wine: wine-run.sh win32|win64|wow64 PROGRAM [ARGS...]
# (the kinds of prefix are described in wine-env.sh).
# shellcheck source=cmake/wine-env.sh
. "$(dirname -- "$0")/wine-env.sh"
kind=$1
shift
prefix=$(runner_prefix "$kind")
# Wine would make a missing prefix on the spot, without the settings the tests need.
if ! prefix_ready "$prefix"; then
    echo "wine-run.sh: no ready Wine prefix at $prefix (tools/test.sh makes it)" >&2
    exit 1
fi
WINEARCH=$(wine_arch "$kind") WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} \
    exec "$(wine_loader "$kind")" "$@"
