#!/usr/bin/env bash
# Builds the Debian packages (Release, in build/package), checks them with lintian and checks
# what they hold, then builds the Python source package and a wheel from it, offline:
#   tools/package.sh   ->  build/package/veltra_<version>_<arch>.deb
#                          build/package/python3-veltra_<version>_<arch>.deb
# Exits non-zero when a build fails, lintian reports an error or a check fails.
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
# The Python module is built for Debian's python3 and installed where Debian's python3
# looks for packages.
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRA_BUILD_TESTS=OFF \
    -DVELTRA_BUILD_PYTHON=ON -DPython3_EXECUTABLE=/usr/bin/python3 \
    -DVELTRA_PYTHON_DESTINATION=lib/python3/dist-packages/veltra \
    -DCMAKE_CXX_FLAGS="$CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" \
    -DCMAKE_MODULE_LINKER_FLAGS="$LDFLAGS" >/dev/null
cmake --build "$dir" -j "$(nproc)"
rm -f "$dir"/*.deb
(cd "$dir" && cpack -G DEB)

app=$(ls "$dir"/veltra_*.deb)
module=$(ls "$dir"/python3-veltra_*.deb)
for deb in "$app" "$module"; do
    echo "== $deb"
    dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
    echo "== lintian"
    lintian --fail-on error --display-info "$deb"
    echo "lintian: no errors"
done

echo "== what the packages hold"
tests/package/deb_test.sh "$app" "$module"

echo "== the Python source package, and a wheel built from it offline"
tests/package/sdist_test.sh .
