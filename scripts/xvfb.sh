# Sourced by the scripts that need an X server of their own.
#
# start_xvfb WORK_DIR [WxHxD]: starts Xvfb on a free display (Xvfb picks it and writes its number to
# the given descriptor), waits for it, exports DISPLAY and sets xvfb_pid. It answers 1, with the
# server's log, when no server came up.
start_xvfb() {
    local work=$1 screen=${2:-1024x768x24}
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp >"$work/xvfb.log" 2>&1 3>"$work/display" &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    if [ ! -s "$work/display" ]; then
        kill "$xvfb_pid" 2>/dev/null
        echo "Xvfb did not start"
        cat "$work/xvfb.log"
        return 1
    fi
    export DISPLAY=":$(head -1 "$work/display")"
}

# wait_focus WINDOW [SECONDS]: waits until the keyboard focus is on the window (xdotool's decimal id),
# at most SECONDS (10 by default); answers 1 if it never is. Keys are sent only then, to wherever the
# focus is.
wait_focus() {
    local deadline=$((SECONDS + ${2:-10}))
    while [ "$SECONDS" -lt "$deadline" ]; do
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# wait_exit PID SECONDS: waits for a child process to end, at most SECONDS, and ends it when it has
# not. Sets exit_rc to its exit code, or to 124 when it had to be ended (answering 1 then).
wait_exit() {
    local pid=$1
    for _ in $(seq $(($2 * 10))); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        exit_rc=124
        return 1
    fi
    wait "$pid"
    exit_rc=$?
}
