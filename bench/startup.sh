#!/usr/bin/env bash
# Start-up time of the real program: from the launch to its main window mapped on a virtual
# display (Xvfb), with the disclaimer already accepted in a private configuration folder.
# Prints the median and the range of RUNS launches (default 10); the resolution is that of one
# xdotool query (a few milliseconds).
#   bench/startup.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-10}
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/TavrelSystems" && chmod 700 "$XDG_RUNTIME_DIR"
printf '[SETTINGS]\nAGREEMENT=1\n' >"$XDG_CONFIG_HOME/TavrelSystems/quillbox.conf"
display=:$((190 + RANDOM % 50))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

times=()
for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$build/app/quillbox" &
    pid=$!
    until xdotool search --onlyvisible --name 'VDM-R30 Quillbox' >/dev/null 2>&1; do :; done
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000000 )))
    kill "$pid"; wait "$pid" 2>/dev/null || true
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "start-up to window mapped: median ${sorted[$((runs / 2))]} ms (min ${sorted[0]}, max ${sorted[$((runs - 1))]}, $runs runs)"
echo "command: bench/startup.sh $build"
