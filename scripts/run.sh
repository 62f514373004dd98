#!/usr/bin/env bash
# Installs what is missing, builds, starts the simulated VDM-R30 as COM9 and then Quillbox.
# Without a display the window opens on a virtual one (Xvfb) and a screenshot is saved.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh

build/sim/vdm-r30-sim --demo --com 9 &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null || true' EXIT
sleep 0.5
echo "The simulated VDM-R30 is COM9: choose it in the port list and press Open."

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    build/app/quillbox
else
    echo "No display: running on Xvfb; see scripts/screenshot.sh for pictures of the window."
    xvfb-run -a build/app/quillbox
fi
