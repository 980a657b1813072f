#!/usr/bin/env bash
# Runs every test: installs what is missing, builds, then runs CTest under Wine on a
# private X server. Extra arguments go to ctest (for example -R pattern or -j2).
set -euo pipefail
# shellcheck source=tools/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"

prepare_private_wine # always our own display: CI has none, and tests stay off the user's screen
prepare_wow64_wine   # the black-box tests run again with the viewer on 64-bit Windows

rc=0
if [[ $VELMORA_PRESET != "$VELMORA_PRODUCT_PRESET" ]]; then
    # The product's own checks need no Wine: they look at the 32-bit exe itself.
    ctest --test-dir "$VELMORA_BUILD_ROOT/$VELMORA_PRODUCT_PRESET" --output-on-failure \
        -R '^velmora_exe_check$' || rc=$?
fi
ctest --test-dir "$VELMORA_BUILD" --output-on-failure "$@" || rc=$?
if [[ $# -eq 0 && $VELMORA_PRESET == "$VELMORA_PRODUCT_PRESET" ]]; then
    # The logic and fault tests once more, bounds-checked, in the same Wine prefix.
    build_preset i686-checked velmora_logic_tests velmora_reliability_tests
    ctest --test-dir "$VELMORA_BUILD_ROOT/i686-checked" --output-on-failure \
        -R '^velmora_(logic|reliability)_tests$' || rc=$?
fi
exit "$rc"
