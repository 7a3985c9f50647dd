#!/usr/bin/env bash
# Builds and runs every test.
#   tools/test.sh               normal build in build/test
#   tools/test.sh --sanitize    AddressSanitizer + UndefinedBehaviorSanitizer build in build/asan
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh

sanitize=OFF
dir=build/test
if [ "${1:-}" = "--sanitize" ]; then
    sanitize=ON
    dir=build/asan
fi

veltra_need_packages "${VELTRA_BUILD_PACKAGES[@]}" "${VELTRA_GUI_PACKAGES[@]}" "${VELTRA_TEST_PACKAGES[@]}"

# CI sets VELTRA_WERROR=ON: a warning fails its build.
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRA_SANITIZE=$sanitize \
    -DVELTRA_WERROR="${VELTRA_WERROR:-OFF}" -DVELTRA_CHECK_CONTRACTS=ON
cmake --build "$dir" -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --timeout 600
