#!/usr/bin/env bash
# Runs every test in every configuration this machine can run: installs what is missing,
# builds both editions, starts a private X server and runs each configuration's test
# preset (win32, wow64, win64; CTest makes the prefixes and sessions), then prints the
# time each took and what was skipped. Extra arguments go to ctest (for example -R NAME).
set -euo pipefail
# shellcheck source=tools/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"

rc=0
report=() # one line per run, printed at the end
notes=$VELMORA_BUILD_ROOT/wine-notes.txt # what the session fixtures had to say

# ctest_of CONFIGURATION [CTEST ARGS...]: ctest with the configuration's test preset.
# The presets read the trees in build/; with the trees elsewhere (VELMORA_BUILD_ROOT)
# ctest runs in each of them with the preset's filter, the configuration's label.
ctest_of() {
    local kind=$1 tree
    shift
    if [[ $VELMORA_BUILD_ROOT == "$VELMORA_ROOT/build" ]]; then
        (cd "$VELMORA_ROOT" && ctest --preset "$kind" "$@")
    else
        for tree in "$VELMORA_BUILD_ROOT"/{i686,x86_64}; do
            ctest --test-dir "$tree" --output-on-failure --no-tests=ignore -L "^$kind\$" "$@" || return
        done
    fi
}

# True when ctest would run any test with these arguments (ctest_of or ctest ones). grep
# reads to the end: a second ctest must not write into a closed pipe.
tests_selected() { "$@" -N | grep '^Total Tests: [1-9]' >/dev/null; }

# run_tests NAME COMMAND...: runs ctest, and adds its time and outcome to the report.
run_tests() {
    local name=$1 start=$EPOCHREALTIME outcome=passed
    shift
    rm -f "$notes"
    "$@" || { outcome=FAILED; rc=1; }
    [[ ! -f $notes ]] || sed 's/^/velmora: /' "$notes" >&2
    report+=("$name: $outcome in $(seconds_since "$start") s")
}

ensure_packages
build
# The logic and fault tests once more, bounds-checked, in the first configuration: of the
# 32-bit edition where it runs, else of the 64-bit one.
checked="i686-checked"
[[ -z $VELMORA_SKIPPED ]] || checked="x86_64-checked"
[[ $# -gt 0 ]] || build_preset "$checked" velmora_logic_tests velmora_reliability_tests
start_xvfb # always our own display: CI has none, and tests stay off the user's screen
for kind in "${VELMORA_CONFIGS[@]}"; do
    tests_selected ctest_of "$kind" "$@" || continue
    run_tests "$kind, $(describe_configuration "$kind")" ctest_of "$kind" "$@"
    if [[ $kind == "${VELMORA_CONFIGS[0]}" && $# -eq 0 ]]; then
        run_tests "$kind, the logic and fault tests bounds-checked" \
            ctest --test-dir "$VELMORA_BUILD_ROOT/$checked" --output-on-failure -L "^$kind\$" \
            -R '^velmora_(logic|reliability)_tests$'
    fi
done
if [[ -n $VELMORA_SKIPPED ]]; then
    # What needs no Wine is still checked: the exe, the release archive, the sources.
    i686=(ctest --test-dir "$VELMORA_BUILD_ROOT/i686" --output-on-failure -L nowine "$@")
    tests_selected "${i686[@]}" && run_tests "the 32-bit edition's checks without Wine" "${i686[@]}"
    report+=("skipped: $VELMORA_SKIPPED")
fi
for line in "${report[@]}"; do say "$line"; done
exit "$rc"
