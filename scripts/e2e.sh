#!/usr/bin/env bash
# End-to-end run of the real program on a virtual display against the simulated device:
# accept the disclaimer, open the port, View, Write, Delete, Exit. Screenshots go to out/e2e/.
# Controls are found from the window's size and the dialog-unit positions of its template.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
out=out/e2e
mkdir -p "$out"
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export LANGUAGE=${E2E_LANGUAGE:-en_US} LANG=${E2E_LANG:-C.UTF-8}

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp &
xvfb_pid=$!
"$build/sim/vdm-r30-sim" --demo --com 30 >"$work/sim.log" &
sim_pid=$!
cleanup() { kill "$app_pid" "$sim_pid" "$xvfb_pid" 2>/dev/null || true; rm -rf "$work"; }
app_pid=
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

wait_window() {  # name -> window id
    for _ in $(seq 100); do
        local id
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1) && [ -n "$id" ] &&
            { echo "$id"; return 0; }
        sleep 0.1
    done
    echo "window '$1' did not appear" >&2
    return 1
}

# Clicks the centre of a template rectangle (dialog units) of a window `width_du` x `height_du`.
click_du() {  # window width_du height_du x y w h
    local geometry w h px py
    geometry=$(xdotool getwindowgeometry --shell "$1")
    w=$(sed -n 's/^WIDTH=//p' <<<"$geometry"); h=$(sed -n 's/^HEIGHT=//p' <<<"$geometry")
    px=$(( ($4 * 2 + $6) * w / ($2 * 2) )); py=$(( ($5 * 2 + $7) * h / ($3 * 2) ))
    xdotool mousemove --window "$1" "$px" "$py" click 1
}

shot() { import -window root "$out/$1.png"; }
answer_box() {  # presses Enter on the newest message box after it appears
    sleep "${1:-0.5}"; xdotool key --clearmodifiers Return
}

"$build/app/quillbox" &
app_pid=$!
title="VDM-R30 Quillbox"
agreement=$(wait_window "$title")
sleep 0.5; shot 1-disclaimer
click_du "$agreement" 340 231 8 198 285 10     # accept the terms
click_du "$agreement" 340 231 120 210 50 14    # OK
sleep 1
main=$(wait_window "$title")
shot 2-main
click_du "$main" 531 398 14 19 117 13          # the port list: the simulator is the last entry
xdotool key End Return
click_du "$main" 531 398 132 19 59 13          # Open
sleep 0.5; shot 3-open
click_du "$main" 531 398 171 376 64 14         # View Script
sleep 2; shot 4-view
click_du "$main" 531 398 235 376 64 14         # Write Script
sleep 12; shot 5-written; answer_box 0.1
click_du "$main" 531 398 299 376 64 14         # Delete Script
sleep 12; shot 6-deleted; answer_box 0.1
sleep 2; shot 7-listed-after-delete
click_du "$main" 531 398 363 376 64 14         # Exit
sleep 0.5; shot 8-exit-question; answer_box 0.1
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app_pid" 2>/dev/null; then
    echo "the program did not end after Exit" >&2
    exit 1
fi
wait "$app_pid"
echo "end-to-end run passed; screenshots in $out/"
