#!/usr/bin/env bash
# Runs the long runs at their full count (1,000 refresh-and-select cycles and 200
# memory maps, against 60 and 15 in tools/test.sh): installs what is missing and
# builds like tools/test.sh, then runs the soak test under Wine on a private X
# server. Extra arguments go to the test program (for example --gtest_repeat=3).
set -euo pipefail
# shellcheck source=tools/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"

prepare_private_wine

cd "$VELMORA_BUILD/tests/reliability"
start=$EPOCHREALTIME
rc=0
"$VELMORA_WINE" ./velmora_real_reliability_tests.exe --full --gtest_filter='Soak.*' "$@" || rc=$?
say "soak finished in $(seconds_since "$start") s"
exit "$rc"
