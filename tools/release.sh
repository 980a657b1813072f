#!/usr/bin/env bash
# Builds the release archive: the stripped, statically linked 32-bit exe with the
# README and the licence, zipped as build/release/velmora-<version>.zip.
set -euo pipefail
# shellcheck source=tools/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"

ensure_packages
build_preset "$VELMORA_PRODUCT_PRESET"

cmake -DEXE="$VELMORA_BUILD_ROOT/$VELMORA_PRODUCT_PRESET/velmora.exe" -DSTRIP=i686-w64-mingw32-strip \
    -DSOURCE_DIR="$VELMORA_ROOT" -DOUT="$VELMORA_BUILD_ROOT/release" \
    -P "$VELMORA_ROOT/cmake/make-release.cmake"
