#!/usr/bin/env bash
# The Python source package builds from itself: `python3 -m build --sdist` makes it from the
# source tree, then a wheel is built from the unpacked sdist alone, offline (no build
# isolation, and no network at all where a network namespace can be made), and the wheel's
# module runs a net.   sdist_test.sh SOURCE_DIR
set -euo pipefail
# Debian's python3: the one python3-build and the Debian packages serve.
python=${PYTHON:-/usr/bin/python3}
source=$(cd "$1" && pwd)
if ! "$python" -c 'import build, setuptools, wheel, pybind11' 2>/dev/null; then
    echo "sdist: skipped, the build backend is not installed (python3-build python3-setuptools" \
        "python3-wheel python3-pybind11)"
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The sdist is made from a copy, so that the tree is left as it was (setuptools writes its
# egg-info beside the sources).
mkdir "$work/tree"
tar -C "$source" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/tree" -xf -
"$python" -m build --sdist --no-isolation --outdir "$work/dist" "$work/tree" >"$work/sdist.log" 2>&1 ||
    { cat "$work/sdist.log"; exit 1; }
sdist=$(ls "$work"/dist/veltra-*.tar.gz)
echo "sdist: $(basename "$sdist"), $(tar -tzf "$sdist" | wc -l) files"
mkdir "$work/unpacked"
tar -C "$work/unpacked" -xzf "$sdist"
offline=()
unshare -rn true 2>/dev/null && offline=(unshare -rn)
"${offline[@]}" "$python" -m build --wheel --no-isolation --outdir "$work/dist" \
    "$work"/unpacked/veltra-* >"$work/wheel.log" 2>&1 || { tail -n 40 "$work/wheel.log"; exit 1; }
wheel=$(ls "$work"/dist/veltra-*.whl)
echo "wheel: $(basename "$wheel")${offline:+ (built without a network)}"
"$python" -m zipfile -e "$wheel" "$work/site"
for file in veltra/__init__.pyi veltra/py.typed; do
    [ -f "$work/site/$file" ] || { echo "FAIL: the wheel lacks $file"; exit 1; }
done
grep -qx 'License: MIT' "$work"/site/veltra-*.dist-info/METADATA ||
    { echo "FAIL: the wheel's metadata names no licence"; exit 1; }
cd "$work"
PYTHONPATH=$work/site "$python" -s -c '
import veltra
net = veltra.Net()
bias = net.add_bias("B")
neuron = net.add_neuron("N")
net.connect(bias, neuron, "0.1")
net.step(3)
assert str(neuron.value) == "0.1", neuron.value
print("wheel: veltra", veltra.__version__, "runs")'
