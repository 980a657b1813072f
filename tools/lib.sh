# shellcheck shell=bash
# Shared by tools/run.sh and tools/test.sh: installs what is missing, builds,
# starts a private X server and runs Wine in the build tree's own prefix.
# Source it from a bash script that uses `set -euo pipefail`.

VELMORA_ROOT=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
# Where the build trees go; another root keeps a second checkout's work apart.
VELMORA_BUILD_ROOT=$(realpath -m "${VELMORA_BUILD_ROOT:-$VELMORA_ROOT/build}")
# shellcheck disable=SC2034  # for the scripts that source this file
VELMORA_TITLE="Velmora Process Viewer"
export WINEDEBUG=-all

# shellcheck source=cmake/wine-env.sh
source "$VELMORA_ROOT/cmake/wine-env.sh"

# The program comes in two editions from the same sources: the 32-bit velmora.exe
# (preset i686) and the 64-bit velmora64.exe (preset x86_64). Each is tested in the
# configurations this machine can run; a configuration is named after the kind of
# Wine prefix it runs in (see cmake/wine-env.sh):
#   win32  the 32-bit edition in a 32-bit prefix
#   wow64  the 32-bit edition on 64-bit Windows (its tests labelled wow64)
#   win64  the 64-bit edition in a 64-bit prefix
# The first two need Wine's 32-bit loader, which needs a kernel that runs 32-bit
# programs and the 32-bit Wine packages.

# The preset a configuration's tree is built from.
preset_of() {
    case $1 in
    win64) echo x86_64 ;;
    *) echo i686 ;;
    esac
}

# The exe a preset's tree builds.
edition_exe() {
    case $1 in
    x86_64*) echo velmora64.exe ;;
    *) echo velmora.exe ;;
    esac
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
    use_configuration "${VELMORA_CONFIGS[0]}"
}

# What a configuration runs, in words.
describe_configuration() {
    case $1 in
    win32) echo "the 32-bit edition in a 32-bit prefix" ;;
    wow64) echo "the 32-bit edition under WOW64 in a 64-bit prefix" ;;
    win64) echo "the 64-bit edition in a 64-bit prefix" ;;
    esac
}

# Points the variables the scripts and the CTest runners read at a configuration:
# its build tree, exe, Wine loader and prefix.
use_configuration() {
    VELMORA_KIND=$1
    VELMORA_PRESET=$(preset_of "$1")
    VELMORA_BUILD=$VELMORA_BUILD_ROOT/$VELMORA_PRESET
    VELMORA_EXE=$VELMORA_BUILD/$(edition_exe "$VELMORA_PRESET")
    # shellcheck disable=SC2034  # for the scripts that source this file
    VELMORA_WINE=$(wine_loader "$1")
    export WINEARCH WINEPREFIX VELMORA_WINEPREFIX VELMORA_WOW64_PREFIX
    WINEARCH=$(wine_arch "$1")
    WINEPREFIX=$(build_prefix "$1" "$VELMORA_BUILD")
    # wine-run.sh takes a kind's prefix from these: only the current one is set.
    VELMORA_WINEPREFIX=
    VELMORA_WOW64_PREFIX=
    if [[ $1 == wow64 ]]; then
        VELMORA_WOW64_PREFIX=$WINEPREFIX
    else
        VELMORA_WINEPREFIX=$WINEPREFIX
    fi
}

# What every configuration needs: the 64-bit Wine, both cross compilers and the tools.
VELMORA_PACKAGES=(wine wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 xvfb xauth
                  cmake googletest fonts-wine imagemagick clang-format)
# Wine's 32-bit loader: only where the kernel runs 32-bit programs.
VELMORA_PACKAGES_32=(wine32:i386)

VELMORA_XVFB_PID=   # the Xvfb that start_xvfb started, if any
VELMORA_SESSIONS=()  # the prefixes whose Wine sessions this script started

say() { printf 'velmora: %s\n' "$*" >&2; }
die() { say "error: $*"; exit 1; }

# Seconds since a value of $EPOCHREALTIME, to one decimal.
seconds_since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }'; }

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

# Configures (when needed) and builds a preset, or only the targets named after
# it. VELMORA_CMAKE_ARGS holds extra cache settings
# (-DNAME=VALUE ...); CI builds treat warnings as errors.
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

# Starts Xvfb on the first free display from :91 and exports DISPLAY.
start_xvfb() {
    local n i tries=0 log
    for ((n = 91; n < 200; n++)); do
        [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
        log=$VELMORA_BUILD/xvfb.log
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$log" 2>&1 </dev/null &
        VELMORA_XVFB_PID=$!
        for ((i = 0; i < 100; i++)); do
            kill -0 "$VELMORA_XVFB_PID" 2>/dev/null || break
            if [[ -S /tmp/.X11-unix/X$n ]]; then
                export DISPLAY=:$n
                say "Xvfb on :$n (pid $VELMORA_XVFB_PID)"
                return 0
            fi
            sleep 0.1
        done
        # Another server took this number first, or ours never came up.
        kill "$VELMORA_XVFB_PID" 2>/dev/null || true
        wait "$VELMORA_XVFB_PID" 2>/dev/null || true
        VELMORA_XVFB_PID=
        ((++tries < 5)) || break
    done
    die "could not start Xvfb (see $log)"
}

# The pids of the wineservers that serve a prefix (default ours): a server's
# working folder is named after the prefix's device and inode.
session_server_pids() {
    local prefix=${1:-$WINEPREFIX} dev ino tag pid
    [[ -d $prefix ]] || return 0
    read -r dev ino < <(stat -c '%d %i' "$prefix")
    tag=$(printf 'server-%x-%x' "$dev" "$ino")
    for pid in $(pgrep '^wineserver'); do
        [[ $(readlink "/proc/$pid/cwd" 2>/dev/null) == */"$tag" ]] && echo "$pid"
    done
    return 0
}

# True while a wineserver serves the prefix, by default ours.
wine_session_running() { [[ -n $(session_server_pids "${1:-$WINEPREFIX}") ]]; }

# Ends a prefix's Wine session: its programs through wineserver -k, then any
# server still there by its pid.
end_wine_session() {
    local prefix=$1 pid
    [[ -n $(session_server_pids "$prefix") ]] || return 0
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$prefix timeout 10 wineserver -w 2>/dev/null || true
    for pid in $(session_server_pids "$prefix"); do
        kill -KILL "$pid" 2>/dev/null || true
    done
}

# For prefixes only these scripts use (the WOW64 one, the copies): a session still
# running there is a leftover of an earlier run. A running session keeps the display
# it started with, so it is waited for and, if it stays, stopped.
claim_wine_session() {
    local prefix=$1
    if wine_session_running "$prefix"; then
        say "a Wine session already uses $prefix; waiting up to 30 s for it to end"
        WINEPREFIX=$prefix timeout 30 wineserver -w || true
        if wine_session_running "$prefix"; then
            say "stopping that session: its display cannot be changed"
            end_wine_session "$prefix"
        fi
    fi
}

# Dies unless a kind's Wine loader runs.
check_wine_runs() {
    "$(wine_loader "$1")" --version >/dev/null 2>&1 || die "Wine does not run ($1)"
}

# True when the copy $2 of the prefix $1 was made after the prefix was last made.
prefix_copy_current() {
    [[ -f $2/$VELMORA_PREFIX_STAMP && $2/$VELMORA_PREFIX_STAMP -nt $1/$VELMORA_PREFIX_STAMP ]]
}

# Copies the prefix $1 to $2, ending a session left in the old copy. The copy is
# not marked ready: the caller marks it once it has set it up.
copy_prefix() {
    end_wine_session "$2"
    rm -rf "$2"
    cp -a "$1" "$2"
    rm -f "$2/$VELMORA_PREFIX_STAMP"
}

# The build's prefix may already have a session: a viewer the user started with
# tools/run.sh, say. That session is left running, and this script works in a copy
# of the prefix with a session of its own.
use_own_session() {
    local copy=$WINEPREFIX-own lock
    wine_session_running "$WINEPREFIX" || return 0
    say "a Wine session (a viewer you started?) is running on $WINEPREFIX: it is left alone,"
    say "and this run uses a session of its own in $copy"
    exec {lock}>"$copy.lock"
    flock "$lock"
    if ! prefix_copy_current "$WINEPREFIX" "$copy"; then
        copy_prefix "$WINEPREFIX" "$copy"
        touch "$copy/$VELMORA_PREFIX_STAMP"
    fi
    exec {lock}>&-
    claim_wine_session "$copy"
    WINEPREFIX=$copy
    VELMORA_WINEPREFIX=$copy
}

# Runs a command with a kind of prefix's settings: in_prefix PREFIX KIND COMMAND [ARGS...].
in_prefix() {
    local prefix=$1 kind=$2
    shift 2
    WINEPREFIX=$prefix WINEARCH=$(wine_arch "$kind") "$@"
}

# Runs a Windows program in a kind of prefix, with its loader: wine_in PREFIX KIND PROGRAM [ARGS...].
wine_in() {
    local prefix=$1 kind=$2
    shift 2
    in_prefix "$prefix" "$kind" "$(wine_loader "$kind")" "$@"
}

# Makes a new prefix with the settings and fonts the program and its tests rely on.
create_prefix() {
    local prefix=$1 kind=$2 loader f log=$1.wineboot.log
    loader=$(wine_loader "$kind")
    rm -rf "$prefix"
    # No Mono or Gecko here: without the overrides wineboot offers to download them.
    if ! WINEDLLOVERRIDES='mscoree=;mshtml=' in_prefix "$prefix" "$kind" timeout 300 \
        "$loader" wineboot -i >"$log" 2>&1 </dev/null; then
        tail -n 20 "$log" >&2
        die "wineboot failed"
    fi
    in_prefix "$prefix" "$kind" timeout 120 wineserver -w ||
        die "the new prefix's Wine session did not end"
    wine_in "$prefix" "$kind" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed \
        /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null
    wine_in "$prefix" "$kind" reg add 'HKCU\Software\Wine\WineDbg' \
        /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null
    for f in tahoma.ttf tahomabd.ttf marlett.ttf; do
        cp "/usr/share/wine/fonts/$f" "$prefix/drive_c/windows/Fonts/"
    done
    # The registry is on disk once the session ends.
    in_prefix "$prefix" "$kind" timeout 60 wineserver -w || true
}

# Creates the current configuration's prefix once, serially, on the display already
# chosen (DISPLAY set or not).
ensure_prefix() {
    local prefix=$WINEPREFIX kind=$VELMORA_KIND lock start
    mkdir -p "$VELMORA_BUILD"
    exec {lock}>"$prefix.lock"
    flock "$lock"
    check_wine_runs "$kind"
    if ! prefix_ready "$prefix"; then
        claim_wine_session "$prefix"
        VELMORA_SESSIONS+=("$prefix") # ended on exit should the set-up fail half-way
        say "creating the $kind Wine prefix $prefix"
        start=$EPOCHREALTIME
        create_prefix "$prefix" "$kind"
        touch "$prefix/$VELMORA_PREFIX_STAMP"
        say "prefix ready in $(seconds_since "$start") s"
    fi
    exec {lock}>&-
}

# Makes the current configuration's prefix and enters a Wine session of this
# script's own there: on a copy while a viewer the user started runs on the prefix
# (use_own_session); the WOW64 prefix is only ever the scripts' own.
open_wine_session() {
    ensure_prefix
    if [[ $VELMORA_KIND == wow64 ]]; then
        claim_wine_session "$WINEPREFIX"
    else
        use_own_session
    fi
    VELMORA_SESSIONS+=("$WINEPREFIX")
}

# Ends the Wine session of a prefix and those of its copies at other resolutions
# (cmake/at-dpi.sh).
close_wine_session() {
    local clone
    end_wine_session "$1"
    for clone in "$1"-dpi*/; do
        end_wine_session "${clone%/}"
    done
}

# Starts a prefix's persistent server and runs one tiny program there, so that the
# Wine services start now, with their output away from the caller's pipes, instead
# of inside the first run: warm_prefix PREFIX KIND.
warm_prefix() {
    local prefix=$1 kind=$2 start=$EPOCHREALTIME
    in_prefix "$prefix" "$kind" wineserver -p >/dev/null 2>&1 </dev/null
    wine_in "$prefix" "$kind" hostname >/dev/null 2>&1 </dev/null ||
        die "Wine could not run a program in $prefix"
    say "Wine warmed up in $(seconds_since "$start") s ($kind)"
}

# Switches to a configuration and makes its Wine session ready: made, entered, warmed.
# Call after start_xvfb.
prepare_configuration() {
    use_configuration "$1"
    open_wine_session
    warm_prefix "$WINEPREFIX" "$VELMORA_KIND"
}

# What every script that runs Wine programs off the user's screen does first:
# installs what is missing, builds, starts a private X server and a Wine session of
# its own in the first configuration that runs here (the product that runs here).
prepare_private_wine() {
    ensure_packages
    build
    start_xvfb
    prepare_configuration "${VELMORA_CONFIGS[0]}"
}

# Has the black-box test program pose the viewer (a process and a module selected,
# then a full memory map) and photograph each pose into $1, then end it through its
# exit prompt, answering Cancel: pose_viewer OUT_DIR RUNNER [RUNNER ARGS...].
pose_viewer() {
    local shots=$1
    shift
    rm -rf "$shots"
    mkdir -p "$shots"
    bash "$VELMORA_ROOT/tests/blackbox/take_screenshots.sh" "$shots" \
        "$VELMORA_BUILD/tests/blackbox/velmora_blackbox_tests.exe" "$VELMORA_EXE" "$@" ||
        die "the posing run failed"
}

# EXIT trap: ends the Wine sessions this script started and the Xvfb, then exits with
# the status the script was leaving with.
stop_all() {
    local rc=$? prefix
    trap - EXIT
    for prefix in "${VELMORA_SESSIONS[@]}"; do
        close_wine_session "$prefix"
    done
    if [[ -n $VELMORA_XVFB_PID ]]; then
        kill -TERM "$VELMORA_XVFB_PID" 2>/dev/null || true
        wait "$VELMORA_XVFB_PID" 2>/dev/null || true
    fi
    exit "$rc"
}
trap stop_all EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
