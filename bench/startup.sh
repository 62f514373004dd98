#!/usr/bin/env bash
# Start-up time of the real program: from the launch to its main window mapped on a virtual
# display (Xvfb), with the disclaimer already accepted in a private configuration folder.
# Prints the median and the range of RUNS launches (default 10), and each launch as a
# "RESULT startup_to_window <ms> ms" line; the resolution is that of one xdotool query and a
# 5 ms pause (a few milliseconds). The program lists the ports it finds but opens none.
#   bench/startup.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-10}
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/TavrelSystems" && chmod 700 "$XDG_RUNTIME_DIR"
printf '[SETTINGS]\nAGREEMENT=1\n' >"$XDG_CONFIG_HOME/TavrelSystems/quillbox.conf"
xvfb_pid=
trap 'StopVirtualDisplay; rm -rf "$work"' EXIT
. bench/virtual_display.sh
StartVirtualDisplay "$work" || { echo "the virtual display did not start" >&2; exit 1; }

# Launches the program and prints the milliseconds until its window is mapped; fails when it
# ended without one. A short pause between queries: a flood of connections would fill the
# server's backlog and refuse the program's own (which then ends at once; that launch is
# repeated, and said so, rather than counted).
launch() {
    local start end pid
    start=$(date +%s%N)
    "$build/app/quillbox" &
    pid=$!
    until xdotool search --onlyvisible --name 'VDM-R30 Quillbox' >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; return 1; }
        sleep 0.005
    done
    end=$(date +%s%N)
    kill "$pid"; wait "$pid" 2>/dev/null || true
    echo $(( (end - start) / 1000000 ))
}

times=()
for _ in $(seq "$runs"); do
    for try in 1 2 3; do
        ms=$(launch) && break
        echo "the program ended without a window (try $try)" >&2
        [ "$try" = 3 ] && exit 1
    done
    times+=("$ms")
    echo "RESULT startup_to_window $ms ms"
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "start-up to window mapped: median ${sorted[$((runs / 2))]} ms (min ${sorted[0]}, max ${sorted[$((runs - 1))]}, $runs runs)"
echo "command: bench/startup.sh $build"
