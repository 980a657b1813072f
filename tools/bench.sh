#!/usr/bin/env bash
# Runs the benchmark: installs what is missing and builds (like tools/test.sh), then
# runs bench/velmora_bench.exe under Wine on a private X server and prints its table,
# which is also saved as <build>/bench/bench-table.md. Arguments go to the benchmark,
# for example --quick, --runs=21 or --only=live,startup; --configuration=win64 measures
# the 64-bit edition where the 32-bit one runs too.
set -euo pipefail
# shellcheck source=tools/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"

configuration=
arguments=()
for argument; do
    case $argument in
    --configuration=*) configuration=${argument#*=} ;;
    *) arguments+=("$argument") ;;
    esac
done
prepare_private_wine "$configuration"

# The size of the edition measured here, stripped as the release packs it.
stripped=$(mktemp -d)
strip_tool=i686-w64-mingw32-strip
[[ $VELMORA_PRESET == x86_64* ]] && strip_tool=x86_64-w64-mingw32-strip
"$strip_tool" -o "$stripped/viewer.exe" "$VELMORA_EXE"
exe_bytes=$(stat -c %s "$stripped/viewer.exe")
rm -rf "$stripped"

bench_dir=$VELMORA_BUILD/bench
table=$bench_dir/bench-table.md
{
    echo "Machine: $(nproc) CPUs, $(free -m | awk '/^Mem:/ { print $2 }') MB memory, $(uname -sr)"
    echo "Build: $VELMORA_PRESET under $("$VELMORA_WINE" --version) ($WINEARCH); $(date -u '+%F %H:%M UTC')"
    echo
} >"$table"
say "running the benchmark in $bench_dir"
viewer="Z:${VELMORA_EXE//\//\\}" # the edition of this build, as Wine's programs name it
(cd "$bench_dir" && "$VELMORA_WINE" velmora_bench.exe --viewer="$viewer" \
    --product-exe-bytes="$exe_bytes" "${arguments[@]}") \
    >>"$table" </dev/null
cat "$table"
