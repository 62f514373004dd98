#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR) with warnings as errors. ccache, when
# present, keeps rebuilds of unchanged sources cheap, also from another checkout of the tree.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} \
    -DQUILLBOX_WERROR=ON "${launcher[@]}" "$@"
cmake --build "$build_dir" -j"$(nproc)"
