#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build, then the core, ui
# and integration tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

scripts/build.sh
(cd build && ctest --output-on-failure -j2 --timeout 300)

BUILD_DIR=build-asan BUILD_TYPE=Debug scripts/build.sh -DQUILLBOX_SANITIZE="address;undefined" \
    -DQUILLBOX_BUILD_BENCH=OFF
(cd build-asan && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j2 --timeout 600)
