#!/usr/bin/env bash
# The program inside a host program's window, under an X server of its own.
#
#   host_xvfb_test.sh PROGRAM STAND_IN_HOST FIXTURES
#
# Starts Xvfb on a free display, a stand-in host window, and the program as the host starts it
# ("importar" and the host's window id in hexadecimal), from a folder that holds a copy of the
# program and the tables (the program directory is the executable's own). Answers the save dialog and
# the message boxes with xdotool, and checks the exit code, the document and Morvanta.ini.
# A missing Xvfb or X tool is a failure, never a skip: make test installs them.
set -uo pipefail
. "$(dirname "$0")/../../../../scripts/xvfb.sh"

program=$1
host_program=$2
fixtures=$3

if ! command -v Xvfb >/dev/null 2>&1; then
    echo "FAIL: Xvfb is not installed (scripts/install-deps.sh test)"
    exit 1
fi
for tool in xdotool xwininfo; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "FAIL: $tool is not installed"
        exit 1
    fi
done

work=$(mktemp -d)
xvfb_pid=""
host_pid=""
app_pid=""
failures=0

cleanup() {
    for pid in "$app_pid" "$host_pid" "$xvfb_pid"; do
        if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null
            wait "$pid" 2>/dev/null
        fi
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

start_xvfb "$work" || exit 1
echo "Xvfb on $DISPLAY"

export QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1
unset QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The program directory: the program, the five tables, and later Morvanta.ini. SOLUC comes from
# c:\mtemp, which EDUCA_DRIVE_C maps.
mkdir -p "$work/prog" "$work/c" "$work/out"
cp "$program" "$work/prog/TransSelvarEDUCA"
cp "$fixtures"/*.DBF "$work/prog/"
cp -r "$fixtures/mtemp" "$work/c/mtemp"
export EDUCA_DRIVE_C="$work/c"

start_host() {
    : >"$work/host.out"
    "$host_program" >"$work/host.out" 2>&1 &
    host_pid=$!
    local deadline=$((SECONDS + 20))
    while [ ! -s "$work/host.out" ] && [ "$SECONDS" -lt "$deadline" ]; do
        sleep 0.1
    done
    host_id=$(head -1 "$work/host.out")
    if [ -z "$host_id" ]; then
        echo "FAIL: the stand-in host did not start"
        exit 1
    fi
}

stop_host() {
    if [ -n "$host_pid" ]; then
        kill "$host_pid" 2>/dev/null
        wait "$host_pid" 2>/dev/null
        host_pid=""
    fi
}

start_program() {
    rm -f "$work/prog/Morvanta.ini"
    (cd "$work/prog" && exec ./TransSelvarEDUCA "$@") >"$work/app.log" 2>&1 &
    app_pid=$!
}

# Waits for the program to end (at most $1 seconds) and leaves its exit code in app_rc.
wait_program() {
    wait_exit "$app_pid" "$1"
    app_rc=$exit_rc
    app_pid=""
}

# The id of the first viewable window with exactly this name, waiting at most 20 s; empty if none.
# xdotool gives up at an X error when a window goes away while it walks the tree (the save dialog
# closing as the message box opens, on a busy machine): it then searches again until the time is up.
find_window() {
    local id="" deadline=$((SECONDS + 20))
    while [ -z "$id" ] && [ "$SECONDS" -lt "$deadline" ]; do
        id=$(timeout $((deadline - SECONDS)) xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
        [ -n "$id" ] || sleep 0.2
    done
    echo "$id"
}

# Sends a key to a window until the window goes away: a key sent before the window takes input is
# lost, which happens on a slow (sanitizer) build or a busy machine. Answers 1 when it never goes.
press_until_gone() {
    local win=$1 key=$2 try
    for try in $(seq 1 15); do
        timeout 2 xdotool windowfocus --sync "$win" 2>/dev/null
        xdotool key "$key"
        for _ in $(seq 1 20); do
            xwininfo -id "$win" 2>/dev/null | grep -q IsViewable || return 0
            sleep 0.1
        done
    done
    return 1
}

# Types a file name into the save dialog and confirms it, again over the whole field while the dialog
# stays open (a key lost on a busy machine); answers 1 if the dialog never takes it.
save_as() {
    local dialog=$1 name=$2
    for _ in $(seq 1 5); do
        timeout 2 xdotool windowfocus --sync "$dialog" 2>/dev/null
        wait_focus "$dialog" 3 || continue
        xdotool key ctrl+a
        xdotool type --delay 10 "$name"
        xdotool key Return
        for _ in $(seq 1 50); do
            xwininfo -id "$dialog" 2>/dev/null | grep -q IsViewable || return 0
            sleep 0.1
        done
    done
    return 1
}

ini_value() {
    sed -n 's/^Transformado=\([0-9]*\).*$/\1/p' "$work/prog/Morvanta.ini" 2>/dev/null | head -1
}

caption="Exportar datos horarios a EDUCA \\(Navarra\\)"

echo "--- 1: importar, a file name typed into the save dialog"
start_host
start_program importar "$host_id"
dialog=$(find_window "Guardar Archivo XML")
if [ -z "$dialog" ]; then
    fail "no save dialog"
else
    if ! xwininfo -children -id "0x$host_id" | grep -q '"Exportar datos horarios a EDUCA (Navarra)"'; then
        fail "the window is not a child of the host's window"
        xwininfo -root -tree
    fi
    save_as "$dialog" "$work/out/horario" || fail "the save dialog does not take the name"
    box=$(find_window TransSelvarEDUCA)
    [ -n "$box" ] || fail "no message after the export"
    [ -z "$box" ] || press_until_gone "$box" Return || fail "the message does not close"
fi
wait_program 20
[ "$app_rc" = 0 ] || fail "exit code $app_rc instead of 0"
if [ -f "$work/out/horario.xml" ] && grep -q "<SERVICIO" "$work/out/horario.xml"; then
    echo "document written: $(wc -c <"$work/out/horario.xml") bytes"
else
    fail "no document at $work/out/horario.xml"
fi
[ "$(ini_value)" = 1 ] || fail "Morvanta.ini holds '$(ini_value)' instead of 1"
stop_host

echo "--- 2: importar, the save dialog cancelled"
start_host
start_program importar "$host_id"
dialog=$(find_window "Guardar Archivo XML")
if [ -z "$dialog" ]; then
    fail "no save dialog"
else
    press_until_gone "$dialog" Escape || fail "the save dialog does not close"
    box=$(find_window TransSelvarEDUCA)
    [ -n "$box" ] || fail "no message after cancelling"
    [ -z "$box" ] || press_until_gone "$box" Return || fail "the message does not close"
fi
wait_program 20
[ "$app_rc" = 0 ] || fail "exit code $app_rc instead of 0"
[ "$(ini_value)" = 0 ] || fail "Morvanta.ini holds '$(ini_value)' instead of 0"
stop_host

echo "--- 3: a window id that names no window"
missing=1FFFFF0
if xwininfo -id "0x$missing" >/dev/null 2>&1; then
    fail "window 0x$missing exists after all"
fi
start_program importar "$missing"
box=$(find_window TransSelvarEDUCA)
if [ -z "$box" ]; then
    fail "no error message"
else
    if xdotool search --onlyvisible --name "^$caption\$" >/dev/null 2>&1; then
        fail "the main window is shown"
    fi
    press_until_gone "$box" Return || fail "the error message does not close"
fi
wait_program 20
[ "$app_rc" = 1 ] || fail "exit code $app_rc instead of 1"
[ ! -e "$work/prog/Morvanta.ini" ] || fail "Morvanta.ini was written"

echo "--- 4: another command word, then S pressed inside the host's window"
start_host
start_program mostrar "$host_id"
window=$(find_window "$caption")
if [ -z "$window" ]; then
    fail "the window is not shown"
else
    # The program takes the keyboard focus itself a moment after it is shown: no click before S.
    if ! wait_focus "$window" 20; then
        fail "the window inside the host's does not take the keyboard focus"
    else
        press_until_gone "$window" s || fail "S does not close the window"
    fi
fi
wait_program 20
[ "$app_rc" = 0 ] || fail "exit code $app_rc instead of 0"
[ "$(ini_value)" = 0 ] || fail "Morvanta.ini holds '$(ini_value)' instead of 0"
stop_host

echo "--- 5: the host's window destroyed while the program is inside it"
start_host
start_program mostrar "$host_id"
window=$(find_window "$caption")
[ -n "$window" ] || fail "the window is not shown"
stop_host
wait_program 20
[ "$app_rc" = 0 ] || fail "exit code $app_rc instead of 0"
[ "$(ini_value)" = 0 ] || fail "Morvanta.ini holds '$(ini_value)' instead of 0"

if [ "$failures" -ne 0 ]; then
    echo "--- program output of the last run"
    cat "$work/app.log"
    exit 1
fi
echo "all host runs passed"
