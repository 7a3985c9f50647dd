#!/usr/bin/env bash
# What the two Debian packages hold, unpacked side by side as apt would install them: the
# examples under the application's documents, the Python module where Debian's python3
# finds it, depending on that python3, and the module running an installed example and
# drawing it with the installed application's code.
#   deb_test.sh VELTRA_DEB PYTHON3_VELTRA_DEB
set -euo pipefail
# Debian's python3: the one python3-build and the Debian packages serve.
python=${PYTHON:-/usr/bin/python3}
app=$1
module=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$app" "$root"
dpkg-deb -x "$module" "$root"
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

docs=$root/usr/share/doc/veltra
for file in examples/worked.net examples/machines/brackets.net examples/notebooks/tour.ipynb \
    examples/python/stack_machine.py copyright; do
    [ -f "$docs/$file" ] || fail "veltra lacks /usr/share/doc/veltra/$file"
done
head -n 1 "$docs/copyright" |
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not in the machine-readable format"
grep -qx 'License: Expat' "$docs/copyright" || fail "the copyright file names no licence"
[ -f "$root/usr/share/doc/python3-veltra/copyright" ] || fail "python3-veltra has no copyright"

site=$root/usr/lib/python3/dist-packages
version=$("$python" -c 'import sys; print(f"{sys.version_info[0]}.{sys.version_info[1]}")')
[ "$(dpkg-deb -f "$module" Package)" = python3-veltra ] || fail "the module's package name"
dpkg-deb -f "$module" Depends | grep -q "python3 (>= $version~), python3 (<< " ||
    fail "python3-veltra does not depend on python3 $version: $(dpkg-deb -f "$module" Depends)"
for file in __init__.py __init__.pyi py.typed _sweep.py; do
    [ -f "$site/veltra/$file" ] || fail "python3-veltra lacks veltra/$file"
done
ls "$site"/veltra/_veltra.cpython-*.so >/dev/null || fail "python3-veltra lacks the native part"

PYTHONPATH=$site VELTRA_CLI=$root/usr/bin/veltra-cli "$python" -s - "$docs/examples/worked.net" <<'PY' ||
import sys, veltra
net = veltra.Net.load(sys.argv[1])
assert net.run() == 4 and net["Out"].history == "0110", net
assert veltra._svg.rendered_svg(net) is not None, "the installed application did not draw"
print("python3-veltra:", veltra.__version__, "runs", sys.argv[1])
PY
    fail "the installed module does not run the installed example"
[ $status -eq 0 ] && echo "packages: ok"
exit $status
