# Sourced by the bench scripts: StartVirtualDisplay FOLDER starts Xvfb on a display number that
# the server itself picks among the free ones (so that scripts running side by side never share
# one), waits until it answers, and sets DISPLAY and xvfb_pid. Returns 1 when it did not start.
StartVirtualDisplay() {
    local number=$1/display-number
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$number" ] && break
        sleep 0.1
    done
    [ -s "$number" ] || return 1
    DISPLAY=:$(head -1 "$number")
    export DISPLAY
}

# Stops the server started above and waits until it is gone, so that its socket is not removed
# from under a server that takes the same number next.
StopVirtualDisplay() {
    if [ -n "${xvfb_pid:-}" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=
    fi
}
