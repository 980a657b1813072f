#!/usr/bin/env bash
# Builds the release archive: the stripped, statically linked 32-bit exe with the
# README and the licence, zipped as build/release/velmora-<version>.zip.
set -euo pipefail
# shellcheck source=tools/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"

ensure_packages
build_preset "$VELMORA_PRODUCT_PRESET"

version=$(awk '/#define VELMORA_VERSION_(MAJOR|MINOR|PATCH|BUILD) / { v = v (v ? "." : "") $3 } END { print v }' \
    "$VELMORA_ROOT/res/version.h")
name=velmora-$version
out=$VELMORA_BUILD_ROOT/release
stage=$out/$name
rm -rf "$stage" "$out/$name.zip"
mkdir -p "$stage"
i686-w64-mingw32-strip -o "$stage/velmora.exe" "$VELMORA_BUILD_ROOT/$VELMORA_PRODUCT_PRESET/velmora.exe"
cp "$VELMORA_ROOT/README.md" "$VELMORA_ROOT/LICENSE" "$stage/"
(cd "$out" && cmake -E tar cf "$name.zip" --format=zip "$name")
say "$out/$name.zip: $(stat -c %s "$out/$name.zip") bytes (velmora.exe $(stat -c %s "$stage/velmora.exe") bytes)"
