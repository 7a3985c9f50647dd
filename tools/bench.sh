#!/usr/bin/env bash
# Builds the benchmarks in Release (build/bench) and runs them against their peers.
#   tools/bench.sh [--max-digits N] [--markdown FILE]    (arguments go to bench_decimal)
# The decimal table is printed; with --markdown it is also written to FILE.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
veltra_need_packages "${VELTRA_BUILD_PACKAGES[@]}" libgmp-dev python3

root="$PWD"
dir=build/bench
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRA_BUILD_BENCH=ON \
    -DVELTRA_BUILD_TESTS=OFF -DVELTRA_BUILD_GUI=OFF >/dev/null
cmake --build "$dir" -j 2 --target bench_decimal

args=()
while [ $# -gt 0 ]; do
    case "$1" in
    --markdown) args+=(--markdown "$(realpath -m "$2")"); shift 2 ;;
    *) args+=("$1"); shift ;;
    esac
done
cd "$dir"
"./bench/bench_decimal" "${args[@]}"
