#!/usr/bin/env bash
# Runs every test in every configuration this machine can run (see tools/lib.sh):
# installs what is missing, builds both editions, then runs CTest under Wine on a
# private X server, one configuration after the other, and prints the time each took.
# Extra arguments go to ctest (for example -R pattern).
set -euo pipefail
# shellcheck source=tools/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"

rc=0
report=() # one line per configuration, printed at the end

# True when ctest would run any test in the tree $1 with the arguments after it.
tests_selected() {
    local dir=$1
    shift
    ctest --test-dir "$dir" -N "$@" | grep -q '^Total Tests: [1-9]'
}

# run_tests NAME DIR [CTEST ARGS...]: runs ctest in a tree, and adds its time and
# outcome to the report.
run_tests() {
    local name=$1 dir=$2 start=$EPOCHREALTIME outcome=passed
    shift 2
    ctest --test-dir "$dir" --output-on-failure "$@" || { outcome=FAILED; rc=1; }
    report+=("$name: $outcome in $(seconds_since "$start") s")
}

# The tests of one configuration: the wow64 ones in the 32-bit tree are the WOW64
# configuration's, the rest the 32-bit prefix's. run_configuration KIND [CTEST ARGS...]
run_configuration() {
    local kind=$1 labels=()
    shift
    case $kind in
    win32) labels=(-LE wow64) ;;
    wow64) labels=(-L wow64) ;;
    esac
    use_configuration "$kind"
    tests_selected "$VELMORA_BUILD" "${labels[@]}" "$@" || return 0
    prepare_configuration "$kind"
    run_tests "$kind, $(describe_configuration "$kind")" "$VELMORA_BUILD" "${labels[@]}" "$@"
    if [[ $kind == "${VELMORA_CONFIGS[0]}" && $# -eq 0 ]]; then
        run_tests "$kind, the logic and fault tests bounds-checked" \
            "$VELMORA_BUILD_ROOT/$checked" -R '^velmora_(logic|reliability)_tests$'
    fi
    close_wine_session "$WINEPREFIX"
}

ensure_packages
build
checked=$(preset_of "${VELMORA_CONFIGS[0]}")-checked
if [[ $# -eq 0 ]]; then
    # The logic and fault tests once more, bounds-checked, in the first configuration's
    # prefix: of the 32-bit edition where it runs, else of the 64-bit one.
    build_preset "$checked" velmora_logic_tests velmora_reliability_tests
fi
start_xvfb # always our own display: CI has none, and tests stay off the user's screen
for kind in "${VELMORA_CONFIGS[@]}"; do
    run_configuration "$kind" "$@"
done
if [[ -n $VELMORA_SKIPPED ]]; then
    # What needs no Wine is still checked: the exe, the release archive, the sources.
    tests_selected "$VELMORA_BUILD_ROOT/i686" -L nowine "$@" &&
        run_tests "the 32-bit edition's checks without Wine" "$VELMORA_BUILD_ROOT/i686" -L nowine "$@"
    report+=("skipped: $VELMORA_SKIPPED")
fi
for line in "${report[@]}"; do say "$line"; done
exit "$rc"
