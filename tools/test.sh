#!/usr/bin/env bash
# Builds and runs every test.
#   tools/test.sh               normal build in build/test
#   tools/test.sh --sanitize    AddressSanitizer + UndefinedBehaviorSanitizer build in build/asan
# The normal build also builds the Python module and runs its tests with Debian's python3 (the
# one Debian's python3-pytest and pybind11 serve), whatever python3 comes first in PATH.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh

sanitize=OFF
python=ON
dir=build/test
if [ "${1:-}" = "--sanitize" ]; then
    sanitize=ON
    python=OFF # a sanitized module would need the sanitizer runtime preloaded into python3
    dir=build/asan
fi

veltra_need_packages "${VELTRA_BUILD_PACKAGES[@]}" "${VELTRA_GUI_PACKAGES[@]}" "${VELTRA_TEST_PACKAGES[@]}"

# CI sets VELTRA_WERROR=ON: a warning fails its build.
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRA_SANITIZE=$sanitize \
    -DVELTRA_WERROR="${VELTRA_WERROR:-OFF}" -DVELTRA_CHECK_CONTRACTS=ON \
    -DVELTRA_BUILD_PYTHON=$python -DPython3_EXECUTABLE=/usr/bin/python3
cmake --build "$dir" -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --timeout 600
