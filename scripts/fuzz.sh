#!/usr/bin/env bash
# Builds the regedit-file importer's libFuzzer target with clang-14 and runs it for a bounded
# time on the committed seed corpus. Exits non-zero on any crash, leak, sanitizer report or
# broken export/import property; the input that caused it is kept under the build folder.
#
#   scripts/fuzz.sh                 60 seconds, build folder build-fuzz
#   FUZZ_SECONDS=600 scripts/fuzz.sh
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${FUZZ_BUILD:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"
jobs="${JOBS:-$(nproc)}"

CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUNEXA_FUZZ=ON -DTUNEXA_WITH_QT=OFF -DTUNEXA_TESTS=OFF \
    -DTUNEXA_WERROR=ON >/dev/null
cmake --build "$build" --target fuzz_import -j "$jobs"

# The fuzzer grows its working corpus; the committed seeds stay as they are.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$build/fuzz-artifacts"
cp "$root"/fuzz/corpus/* "$work/corpus/"

status=0
"$build/bin/fuzz_import" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/" "$work/corpus" || status=$?
if [ "$status" -ne 0 ]; then
    echo "fuzz_import failed (exit $status); the input is in $build/fuzz-artifacts/" >&2
    exit "$status"
fi
echo "fuzz_import: no crash, leak or sanitizer report in ${seconds}s"
