#!/usr/bin/env bash
# Builds every fuzz target (fuzz/fuzz_*.cpp) with clang + libFuzzer in build/fuzz and runs each
# for a bounded time, keeping a corpus per target under build/fuzz/corpus.
#   tools/fuzz.sh [--seconds N]     N seconds per target (default 60)
# Exits non-zero when a target crashes (the crashing input is saved under build/fuzz/artifacts).
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh

seconds=60
while [ $# -gt 0 ]; do
    case "$1" in
    --seconds) seconds="${2:?--seconds needs a number}"; shift 2 ;;
    --seconds=*) seconds="${1#--seconds=}"; shift ;;
    -h | --help) sed -n '2,6p' "$0"; exit 0 ;;
    *) echo "fuzz.sh: unknown argument '$1'" >&2; exit 2 ;;
    esac
done
case "$seconds" in '' | *[!0-9]*) echo "fuzz.sh: --seconds needs a whole number" >&2; exit 2 ;; esac

veltra_need_packages "${VELTRA_BUILD_PACKAGES[@]}" clang libclang-rt-14-dev

dir=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELTRA_BUILD_FUZZ=ON -DVELTRA_BUILD_TESTS=OFF -DVELTRA_BUILD_GUI=OFF >/dev/null
cmake --build "$dir" -j 2 --target veltra_fuzz

status=0
for src in fuzz/fuzz_*.cpp; do
    name="$(basename "$src" .cpp)"
    corpus="$dir/corpus/$name"
    mkdir -p "$corpus" "$dir/artifacts"
    dict=()
    [ -f "fuzz/$name.dict" ] && dict=(-dict="fuzz/$name.dict")
    # A target names its own libFuzzer options (such as the longest input it reads) on a
    # "// fuzz-options:" line.
    read -r -a options <<<"$(sed -n 's|^// fuzz-options:||p' "$src" | head -n 1)"
    echo "== $name: ${seconds}s ${options[*]}"
    if ! "$dir/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 "${dict[@]}" "${options[@]}" \
        -artifact_prefix="$dir/artifacts/$name-" "$corpus"; then
        echo "== $name FAILED (see $dir/artifacts)" >&2
        status=1
    fi
done
exit $status
