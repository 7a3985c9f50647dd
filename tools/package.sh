#!/usr/bin/env bash
# Builds the Debian package (Release, in build/package) and checks it with lintian:
#   tools/package.sh        ->  build/package/veltra_<version>_<arch>.deb
# Exits non-zero when the build fails or lintian reports an error.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh

veltra_need_packages "${VELTRA_BUILD_PACKAGES[@]}" "${VELTRA_GUI_PACKAGES[@]}" \
    "${VELTRA_PACKAGE_PACKAGES[@]}"

dir=build/package
# Debian's own compiler and linker flags (hardening, reproducible paths), as a Debian
# build would use them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
# Handed over explicitly: CMake reads CXXFLAGS and LDFLAGS only when it first configures.
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRA_BUILD_TESTS=OFF \
    -DVELTRA_BUILD_PYTHON=OFF -DCMAKE_CXX_FLAGS="$CXXFLAGS" \
    -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" >/dev/null
cmake --build "$dir" -j "$(nproc)"
rm -f "$dir"/veltra_*.deb
(cd "$dir" && cpack -G DEB)

deb=$(ls "$dir"/veltra_*.deb)
echo "== $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
echo "== lintian"
lintian --fail-on error --display-info "$deb"
echo "lintian: no errors"
