# shellcheck shell=sh
# Which Wine loader runs which kind of prefix, where a build tree keeps its prefixes,
# and how a ready one is marked: the one place the scripts in tools/ and the CTest
# runners in cmake/ take these from. POSIX sh, so that wine-run.sh can source it.
#
# A kind is win32 (the 32-bit prefix of the 32-bit edition), win64 (the 64-bit prefix
# of the 64-bit edition) or wow64 (a 64-bit prefix in which the 32-bit edition runs
# under WOW64, as on most Windows machines).

VELMORA_PREFIX_STAMP=.velmora-prefix-ready

# The WINEARCH of a kind.
wine_arch() {
    case $1 in
    win32) echo win32 ;;
    *) echo win64 ;;
    esac
}

# The loader that starts programs in a kind of prefix: /usr/bin/wine always starts
# the 32-bit loader, and a 64-bit prefix needs wine64 itself.
wine_loader() {
    case $1 in
    win32) echo wine ;;
    *) echo /usr/lib/wine/wine64 ;;
    esac
}

# The folder name of a kind's prefix inside a build tree.
prefix_name() {
    case $1 in
    wow64) echo wineprefix-wow64 ;;
    *) echo wineprefix ;;
    esac
}

# A kind's prefix in the build tree $2.
build_prefix() { echo "$2/$(prefix_name "$1")"; }

# The prefix a runner uses for a kind: the one tools/ chose (VELMORA_WINEPREFIX or
# VELMORA_WOW64_PREFIX), else the one of the build tree the current folder lies in.
# A subshell body: its variables stay out of the caller's.
runner_prefix() (
    chosen=${VELMORA_WINEPREFIX:-}
    [ "$1" = wow64 ] && chosen=${VELMORA_WOW64_PREFIX:-}
    if [ -n "$chosen" ]; then
        echo "$chosen"
        return 0
    fi
    name=$(prefix_name "$1")
    folder=$(pwd)
    while [ "$folder" != / ] && [ ! -d "$folder/$name" ]; do folder=$(dirname "$folder"); done
    echo "$folder/$name"
)

# True once tools/ has made the prefix with the settings the program and tests need.
prefix_ready() { [ -f "$1/$VELMORA_PREFIX_STAMP" ]; }
