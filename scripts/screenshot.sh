#!/usr/bin/env bash
# Pictures of the main window on a virtual display (Xvfb), in English and in Korean, saved to
# out/screenshots/. The simulated VDM-R30 runs as COM30 in a private runtime folder, and the
# disclaimer counts as accepted in a private configuration folder, so nothing of the user's is
# touched. The program lists ports but opens none. Without the program (build/app/quillbox),
# the log benchmark shows the same window with a few coloured log rows instead.
#   BUILD_DIR=build scripts/screenshot.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
out=out/screenshots
mkdir -p "$out"
work=$(mktemp -d)
sim_pid=
xvfb_pid=
app_pid=
cleanup() {
    for pid in $app_pid $sim_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/TavrelSystems" && chmod 700 "$XDG_RUNTIME_DIR"
printf '[SETTINGS]\nAGREEMENT=1\n' >"$XDG_CONFIG_HOME/TavrelSystems/quillbox.conf"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display QT_QPA_PLATFORM=xcb
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$build/sim/vdm-r30-sim" --demo --com 30 >"$work/sim.log" 2>&1 &
sim_pid=$!

if [ -x "$build/app/quillbox" ]; then
    program=("$build/app/quillbox")
else
    program=("$build/bench/ui_log_bench" --rows 40 --hold-ms 60000)
fi

shoot() {  # name, then the language variables
    local name=$1
    shift
    env "$@" "${program[@]}" >"$work/$name.log" 2>&1 &
    app_pid=$!
    local window=
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --name "VDM-R30 Quillbox" 2>/dev/null | tail -1) || true
        [ -n "$window" ] && break
        sleep 0.1
    done
    if [ -z "$window" ]; then
        echo "the window did not appear for $name" >&2
        cat "$work/$name.log" >&2
        return 1
    fi
    sleep 1.5  # let the window finish its first paint and the log its rows
    import -window root "$out/$name.png"
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=
    echo "saved $out/$name.png"
}

shoot main-english LANGUAGE=en_US.UTF-8 LANG=C.UTF-8
shoot main-korean LANGUAGE=ko_KR.UTF-8 LANG=C.UTF-8
