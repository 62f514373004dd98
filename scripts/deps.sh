#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Quillbox need.
set -euo pipefail

packages=(
    cmake ninja-build g++             # scripts/build.sh configures for Ninja
    ccache                            # cheap rebuilds; the scripts use it when present
    qt6-base-dev                      # Qt 6 Widgets, with the OpenGL headers its CMake files want
    libgtest-dev                      # the core tests (BUILD_TESTING)
    xvfb xauth                        # virtual display; xvfb-run needs xauth, only recommended
    xdotool imagemagick x11-utils     # end-to-end run and screenshots: clicks, import, xdpyinfo
    fonts-nanum                       # Korean glyphs
    clang libclang-rt-14-dev          # fuzz targets: libFuzzer, which clang only recommends
    dpkg-dev lintian                  # cpack -G DEB (dpkg-shlibdeps), and the package's check
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
