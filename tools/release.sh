#!/usr/bin/env bash
# Builds the release archive: both editions, stripped and statically linked
# (velmora.exe for 32-bit Windows, velmora64.exe for 64-bit Windows), with the README
# and the licence, zipped as build/release/velmora-<version>.zip.
set -euo pipefail
# shellcheck source=tools/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"

ensure_packages
build_preset x86_64 velmora
build_preset i686 velmora

cmake -DEXE32="$VELMORA_BUILD_ROOT/i686/velmora.exe" -DSTRIP32=i686-w64-mingw32-strip \
    -DEXE64="$VELMORA_BUILD_ROOT/x86_64/velmora64.exe" -DSTRIP64=x86_64-w64-mingw32-strip \
    -DSOURCE_DIR="$VELMORA_ROOT" -DOUT="$VELMORA_BUILD_ROOT/release" \
    -P "$VELMORA_ROOT/cmake/make-release.cmake"
