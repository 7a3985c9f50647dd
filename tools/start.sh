#!/usr/bin/env bash
# Builds VELTRA (Release) and starts it. Arguments (net files to open) are passed on to the
# program and read relative to the current folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/tools/deps.sh"

veltra_need_packages "${VELTRA_BUILD_PACKAGES[@]}" "${VELTRA_GUI_PACKAGES[@]}"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRA_BUILD_TESTS=OFF
cmake --build "$root/build/release" -j "$(nproc)"

exec "$root/build/release/src/ui/veltra" "$@"
