#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Quillbox need.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config ccache
    qt6-base-dev libgl-dev            # Qt 6 Widgets; Qt's CMake files want the OpenGL headers
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdotool imagemagick x11-utils fonts-nanum   # tests, screenshots, Korean glyphs
    clang                             # fuzz targets (libFuzzer)
    dpkg-dev                          # cpack -G DEB
    qt6-translations-l10n             # Qt's own Korean texts for its standard buttons
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
