#!/usr/bin/env bash
# Start-up time of the real program: from the launch to its main window mapped on a virtual
# display (Xvfb), with the disclaimer already accepted in a private configuration folder.
# Prints the median and the range of RUNS launches (default 10), and each launch as a
# "RESULT startup_to_window <ms> ms" line. The map is seen as it happens, by a watcher of the
# display's top-level windows (xev) started once before the launches: polling would add the
# latency of its queries (an xdotool process costs 5 to 40 ms here) and take CPU from the
# program it times. The program lists the ports it finds but opens none.
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

# The watcher's report reaches this script through a pipe on descriptor 3. It is ready once it
# reports a change of a root window property: the change is repeated until it does, since the
# watcher may not yet be listening when it is made.
events=$work/events
mkfifo "$events"
xev -root -event substructure -event property >"$events" 2>/dev/null &
watcher_pid=$!
trap 'kill "$watcher_pid" 2>/dev/null; StopVirtualDisplay; rm -rf "$work"' EXIT
exec 3<"$events"
watching() {
    local line
    xprop -root -f QUILLBOX_BENCH 8s -set QUILLBOX_BENCH ready
    while read -r -t 0.2 line <&3; do
        [[ $line == PropertyNotify* ]] && return 0
    done
    return 1
}
ready=
for _ in $(seq 25); do
    watching && { ready=1; break; }
    kill -0 "$watcher_pid" 2>/dev/null || break
done
[ -n "$ready" ] || { echo "the window watcher (xev) did not start" >&2; exit 1; }

# Launches the program and prints the milliseconds until its window is mapped; fails when it
# ended without one (a display that refuses its connection ends it at once: that launch is
# repeated, and said so, rather than counted). Another window mapped meanwhile is not counted.
launch() {
    local start end pid line window
    while read -r -t 0.001 line <&3; do :; done
    start=$EPOCHREALTIME
    "$build/app/quillbox" &
    pid=$!
    while :; do
        if read -r -t 0.1 line <&3; then
            [[ $line == MapNotify* ]] || continue
            end=$EPOCHREALTIME
            read -r line <&3
            window=${line#*window }
            window=${window%%,*}
            [[ $(xdotool getwindowname "$window" 2>/dev/null) == *'VDM-R30 Quillbox'* ]] && break
        elif ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid" 2>/dev/null
            return 1
        fi
    done
    kill "$pid"; wait "$pid" 2>/dev/null || true
    # Bash time stamps in microseconds, whatever the locale's decimal separator.
    local micros=$((10#${end//[.,]/} - 10#${start//[.,]/}))
    printf '%d.%d\n' $((micros / 1000)) $((micros % 1000 / 100))
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
sorted=($(printf '%s\n' "${times[@]}" | sort -g))
echo "start-up to window mapped: median ${sorted[$((runs / 2))]} ms (min ${sorted[0]}, max ${sorted[$((runs - 1))]}, $runs runs)"
echo "command: bench/startup.sh $build"
