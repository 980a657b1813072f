#!/bin/sh
# Runs a Windows program under Wine in a session that cmake/wine-session.cmake started:
# wine-run.sh PROGRAM [ARGS...], with VELMORA_SESSION naming the file it wrote (the
# prefix, its loader and the display). CTest's tests have it in their environment.
# shellcheck source=/dev/null
. "${VELMORA_SESSION:?no Wine session: run the tests through ctest}"
exec "$VELMORA_WINE" "$@"
