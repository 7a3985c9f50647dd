# Installs the Debian packages a build needs when they are missing.
# Sourced by the start and test scripts; usage: veltra_need_packages pkg...
veltra_need_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

VELTRA_BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config)
VELTRA_GUI_PACKAGES=(qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libxkbcommon-dev)
VELTRA_TEST_PACKAGES=(libgtest-dev libgmp-dev python3 poppler-utils python3-dev pybind11-dev
    python3-pytest bash-completion shared-mime-info libglib2.0-bin desktop-file-utils
    python3-pandas python3-distributed python3-nbclient python3-nbformat python3-ipykernel
    python3-matplotlib xvfb openbox xdotool x11-utils)
# tools/package.sh: the Debian packages (the Python module's too) and their checks, and the
# Python source package built offline.
VELTRA_PACKAGE_PACKAGES=(dpkg-dev file lintian python3 python3-dev pybind11-dev python3-pybind11
    python3-build python3-setuptools python3-wheel)
