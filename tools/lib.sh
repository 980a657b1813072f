# shellcheck shell=bash
# Shared by the scripts in tools/: installs what is missing, builds both editions
# (presets i686 and x86_64), starts a private X server and Wine sessions in the
# configurations win32, wow64 and win64 (cmake/wine-session.cmake makes the prefixes and
# sessions, for CTest too). Source it from a bash script that uses `set -euo pipefail`.
# Sourcing defines the functions and sets the VELMORA_ variables below, nothing else;
# VELMORA_BUILD_ROOT is where the build trees go (another root keeps a second checkout's
# work apart). start_xvfb and start_session change the environment as they say, and set
# EXIT, INT, TERM and HUP traps that end what the script started.

VELMORA_ROOT=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
VELMORA_BUILD_ROOT=$(realpath -m "${VELMORA_BUILD_ROOT:-$VELMORA_ROOT/build}")

say() { printf 'velmora: %s\n' "$*" >&2; }
die() { say "error: $*"; exit 1; }

# Seconds since a value of $EPOCHREALTIME, to one decimal.
seconds_since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }'; }

# What a configuration runs, in words: the display name of its test preset.
describe_configuration() {
    (cd "$VELMORA_ROOT" && ctest --list-presets) | sed -n "s/^ *\"$1\" *- \(.\)/\\l\1/p"
}

# What every configuration needs: the 64-bit Wine, both cross compilers and the tools.
VELMORA_PACKAGES=(wine wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 xvfb xauth
                  cmake googletest fonts-wine imagemagick clang-format)
# Wine's 32-bit loader: only where the kernel runs 32-bit programs.
VELMORA_PACKAGES_32=(wine32:i386)

as_root() {
    if [[ $(id -u) -eq 0 ]]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        die "installing needs root or sudo: $*"
    fi
}

# True when the kernel runs 32-bit x86 programs: a 96-byte static i386 program,
# written here byte by byte, must exit with 42. Asked before anything is installed.
kernel_runs_32bit() {
    local probe rc=0
    probe=$(mktemp)
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'`
        `'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'`
        `'\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'`
        `'\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08'`
        `'\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00'`
        `'\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null || rc=$?
    rm -f "$probe"
    [[ $rc -eq 42 ]]
}

# Prints the packages of the list that are not installed.
missing_packages() {
    local p installed arch
    arch=$(dpkg --print-architecture)
    installed=$'\n'$(dpkg-query -W -f='${binary:Package} ${db:Status-Status}\n' "$@" 2>/dev/null)$'\n' || true
    for p; do
        [[ $installed == *$'\n'"$p installed"$'\n'* || $installed == *$'\n'"$p:$arch installed"$'\n'* ]] ||
            echo "$p"
    done
}

# apt-get install with retries: a mirror in the middle of a sync fails one index or
# one download now and then, and a failed index is not fatal as long as the
# packages can still be found.
apt_install() {
    retry 3 as_root apt-get update || say "some package indexes could not be read; going on"
    retry 3 as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y --no-install-recommends "$@"
}

# The 32-bit Wine, where the kernel runs 32-bit programs (ensure_wine32 yes|no).
# When its packages cannot be had (an i386 index that could not be read leaves them at
# other versions than the installed 64-bit libraries), the run goes on without it, and
# a stamp in the build root keeps later runs from trying again. VELMORA_NO_WINE32 says
# why there is no 32-bit Wine.
ensure_wine32() {
    local runs_32bit=$1 stamp=$VELMORA_BUILD_ROOT/.wine32-unavailable
    VELMORA_NO_WINE32=
    if [[ $runs_32bit != yes ]]; then
        VELMORA_NO_WINE32="this kernel runs no 32-bit programs"
        return 0
    fi
    [[ -z $(missing_packages "${VELMORA_PACKAGES_32[@]}") ]] && return 0
    if [[ -f $stamp ]]; then
        VELMORA_NO_WINE32="the 32-bit Wine packages could not be installed on $(cat "$stamp");"
        VELMORA_NO_WINE32+=" remove $stamp to try again"
        return 0
    fi
    say "installing ${VELMORA_PACKAGES_32[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
    fi
    if ! apt_install "${VELMORA_PACKAGES_32[@]}"; then
        mkdir -p "$VELMORA_BUILD_ROOT"
        date -u '+%Y-%m-%d %H:%M UTC' >"$stamp"
        VELMORA_NO_WINE32="the 32-bit Wine packages could not be installed"
        say "$VELMORA_NO_WINE32: going on without them"
    fi
}

# Installs what is missing and chooses the configurations that run here. Whether the
# kernel runs 32-bit programs is asked first, before anything is installed.
ensure_packages() {
    local missing runs_32bit=no
    kernel_runs_32bit && runs_32bit=yes
    mapfile -t missing < <(missing_packages "${VELMORA_PACKAGES[@]}")
    if ((${#missing[@]} > 0)); then
        say "installing ${missing[*]}"
        apt_install "${VELMORA_PACKAGES[@]}" || die "could not install ${missing[*]}"
    fi
    ensure_wine32 "$runs_32bit"
    select_configurations
}

# retry COUNT COMMAND...: runs the command until it succeeds, at most COUNT times.
retry() {
    local count=$1 try
    shift
    for ((try = 1; try <= count; try++)); do
        "$@" && return 0
        ((try < count)) && sleep $((try * 10))
    done
    return 1
}

# Sets VELMORA_CONFIGS to the configurations that run here, the product's first, and
# VELMORA_SKIPPED to what cannot run and why (empty when everything runs). Called by
# ensure_packages, once Wine is there to ask.
select_configurations() {
    VELMORA_CONFIGS=(win64)
    VELMORA_SKIPPED=
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        VELMORA_CONFIGS=(win32 wow64 win64)
    else
        VELMORA_SKIPPED="the 32-bit edition in a 32-bit prefix and under WOW64"
        VELMORA_SKIPPED+=" (${VELMORA_NO_WINE32:-the 32-bit Wine loader does not run here})"
    fi
}

# True when every -DNAME=VALUE in the arguments is already in the cache.
cache_has() {
    local arg name value cache=$VELMORA_BUILD/CMakeCache.txt
    [[ -f $cache ]] || return 1
    for arg; do
        [[ $arg == -D*=* ]] || return 1
        name=${arg#-D}; value=${name#*=}; name=${name%%=*}; name=${name%%:*}
        grep -qxF -e "$name=$value" -e "$name:BOOL=$value" -e "$name:STRING=$value" \
            -e "$name:PATH=$value" -e "$name:FILEPATH=$value" -e "$name:UNINITIALIZED=$value" \
            "$cache" || return 1
    done
}

# Configures (when needed) and builds a preset, or only the targets named after it.
# VELMORA_CMAKE_ARGS holds extra cache settings (-DNAME=VALUE ...); CI builds treat
# warnings as errors.
build_preset() {
    local preset=$1 args=() targets=()
    shift
    for target; do targets+=(--target "$target"); done
    read -ra args <<<"${VELMORA_CMAKE_ARGS:-}"
    [[ ${CI:-} == true ]] && args+=(-DVELMORA_WERROR=ON)
    local dir=$VELMORA_BUILD_ROOT/$preset
    if ! VELMORA_BUILD=$dir cache_has "${args[@]}"; then
        (cd "$VELMORA_ROOT" && cmake --preset "$preset" -B "$dir" "${args[@]}")
    fi
    cmake --build "$dir" -j 2 "${targets[@]}"
}

# Builds both editions, the 64-bit one first: the 32-bit tree's tests of the
# hand-over start it.
build() {
    build_preset x86_64
    build_preset i686
}

VELMORA_X_FILE=    # written by start_xvfb
VELMORA_SESSIONS=() # the session files of start_session

# wine_session ACTION [-DNAME=VALUE...]: cmake/wine-session.cmake.
wine_session() {
    local action=$1
    shift
    cmake -DACTION="$action" -DBUILD_ROOT="$VELMORA_BUILD_ROOT" "$@" \
        -P "$VELMORA_ROOT/cmake/wine-session.cmake"
}

# Starts Xvfb on the first free display from :91 and exports DISPLAY.
start_xvfb() {
    mkdir -p "$VELMORA_BUILD_ROOT"
    trap_exit
    VELMORA_X_FILE=$VELMORA_BUILD_ROOT/x-server-$$.env
    (unset DISPLAY && wine_session x-start -DX_FILE="$VELMORA_X_FILE") || die "could not start Xvfb"
    # shellcheck source=/dev/null
    source "$VELMORA_X_FILE"
}

# start_session CONFIGURATION [DPI]: makes the configuration's prefix if it is missing,
# starts a Wine session of this script's own there on DISPLAY (in a copy of the prefix
# at DPI dots per inch, if given) and sources the file that describes it: exports
# WINEPREFIX, WINEARCH, WINEDEBUG, DISPLAY and VELMORA_SESSION (for cmake/wine-run.sh),
# sets VELMORA_WINE (the loader), VELMORA_BUILD, VELMORA_EXE and VELMORA_PRESET.
start_session() {
    export VELMORA_SESSION=$VELMORA_BUILD_ROOT/wine-$1${2:+-dpi$2}-$$.env
    trap_exit
    VELMORA_SESSIONS+=("$VELMORA_SESSION")
    wine_session start -DCONFIGURATION="$1" -DDPI="${2:-}" -DSESSION="$VELMORA_SESSION" ||
        die "could not start a Wine session ($1)"
    # shellcheck source=/dev/null
    source "$VELMORA_SESSION"
}

# Ends the Wine sessions that start_session started.
end_sessions() {
    local session
    for session in "${VELMORA_SESSIONS[@]}"; do
        wine_session stop -DSESSION="$session" || true
    done
    VELMORA_SESSIONS=()
}

# EXIT trap: ends the Wine sessions and the Xvfb, then exits with the status the script
# was leaving with.
stop_all() {
    local rc=$?
    trap - EXIT
    end_sessions
    [[ -z $VELMORA_X_FILE ]] || wine_session x-stop -DX_FILE="$VELMORA_X_FILE" || true
    exit "$rc"
}

trap_exit() { trap stop_all EXIT; trap 'exit 130' INT; trap 'exit 143' TERM HUP; }

# What every script that runs Wine programs off the user's screen does first:
# installs what is missing, builds, starts a private X server and a Wine session of
# its own in the configuration given (win32, wow64 or win64), by default the first
# that runs here (the product that runs here), and waits for the services' start-up
# work to end, so that it does not run into what is measured:
# prepare_private_wine [CONFIGURATION].
prepare_private_wine() {
    ensure_packages
    build
    start_xvfb
    start_session "${1:-${VELMORA_CONFIGS[0]}}"
    wine_session settle -DSESSION="$VELMORA_SESSION" || die "could not settle the Wine session"
}

# Has the black-box test program pose the viewer (a process and a module selected,
# then a full memory map) in the current session and photograph each pose into $1,
# then end it through its exit prompt, answering Cancel: pose_viewer OUT_DIR.
pose_viewer() {
    rm -rf "$1"
    mkdir -p "$1"
    bash "$VELMORA_ROOT/tests/blackbox/take_screenshots.sh" "$1" \
        "$VELMORA_BUILD/tests/blackbox/velmora_blackbox_tests.exe" "$VELMORA_EXE" \
        "$VELMORA_ROOT/cmake/wine-run.sh" || die "the posing run failed"
}
