#!/usr/bin/env bash
# Builds VELTRA (Release) and starts it. Arguments are passed on to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh

veltra_need_packages "${VELTRA_BUILD_PACKAGES[@]}" "${VELTRA_GUI_PACKAGES[@]}"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRA_BUILD_TESTS=OFF
cmake --build build/release -j "$(nproc)"

if [ -x build/release/src/ui/veltra ]; then
    exec build/release/src/ui/veltra "$@"
fi
# Until the desktop application is built, start the command-line tool instead.
exec build/release/src/cli/veltra-cli "$@"
