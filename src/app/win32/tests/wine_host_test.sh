#!/usr/bin/env bash
# TransSelvarEDUCA.exe under Wine and an X server of its own (Xvfb), driven with xdotool as a person
# would: started by the stand-in host with "importar" (or another word) and its window's handle, or
# on its own. Keys go wherever the keyboard focus is, as a person's do: the program must give the focus
# to the right window itself (after a box closes, keys must reach the main window without a click);
# the mouse clicks only where a person would. Each case of the table below is a start, a list of steps
# and what must come out: the exit code, Morvanta.ini and the document, which must be the Linux
# educa-export's apart from fecha.
#
#   wine_host_test.sh WINE_RUN PREFIX PROGRAM_DIR STAND_IN_HOST FIXTURES LINUX_EXPORT
#
# PROGRAM_DIR holds TransSelvarEDUCA.exe and EDUCA.chm. The Wine prefix is this test's own (SOLUC goes
# into its c:\mtemp); its server is started for this X server and ended at the end.
# A missing Xvfb or X tool is a failure, never a skip: make test installs them.
set -uo pipefail
. "$(dirname "$0")/../../../../scripts/xvfb.sh"

wine_run=$1 prefix=$2 program_dir=$3 stand_in_host=$4 fixtures=$5 linux_export=$6

if ! command -v Xvfb >/dev/null 2>&1; then
    echo "FAIL: Xvfb is not installed (scripts/install-deps.sh test)"
    exit 1
fi
for tool in xdotool xwininfo xclip; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "FAIL: $tool is not installed"
        exit 1
    fi
done

# Start, steps, exit code, Transformado in Morvanta.ini ("-": no file), document ("-": none).
#   host WORD       the stand-in host starts the program with WORD and its window's handle
#   direct ARGS...  the program started on its own with these arguments
#   beside ARGS...  the same, with another program's window on the screen first (the stand-in host
#                   with nothing to start), which must not take the keys meant for the program
# Steps, separated by ";":
#   save NAME        type the out folder's NAME into the save dialog, then Enter
#   cancel           Esc in the save dialog
#   message TEXT     the plain message box shows TEXT (Ctrl+C, read from the clipboard)
#   error [TEXT]     the error box is shown, and the program wrote TEXT to standard error (the system's
#                    message box keeps its text to itself; a handler's failure goes to the box alone,
#                    with no TEXT to check)
#   answer           Enter in the message box or the error box
#   shown            the main window is shown, and no message box
#   not-shown        the main window is not shown
#   placed           the main window lies centred over the host's client area
#   move X Y         the host moves its window there
#   close-host       the host destroys its window
#   remove TABLE     the table goes from the program directory (each case starts with all of them)
#   click ELEMENT    a mouse click on the export button (BImportar)
#   click-main       a mouse click on the main window, to come back to it from another window
#   key KEYS         keys, to whatever has the keyboard focus
#   appears NAME     F1, then a window of that name appears (F1 again meanwhile, if it is lost)
#   gone KEYS        KEYS until the main window goes away
cases=(
    "export|host importar|save horario; message Proceso finalizado; answer|0|1|horario.xml"
    "cancelled|host importar|cancel; message Debe indicar un Nombre de Archivo; answer|0|0|-"
    "no window|direct importar 1FFFFF0|error No existe la ventana 1FFFFF0; not-shown; answer|1|-|-"
    "host closed|host mostrar|shown; placed; move 120 90; placed; close-host|0|0|-"
    "stand-alone export|beside|shown; click BImportar; save suelto; message Proceso finalizado; answer; shown; gone s|0|-|suelto.xml"
    "help|direct|shown; appears Ayuda de TransSelvarEDUCA; click-main; gone alt+s|0|-|-"
    "failed export|host mostrar|shown; remove PROF.DBF; click BImportar; save fallido; error; answer; shown; click BImportar; save fallido; error; answer; close-host|0|0|-"
)

work=$(mktemp -d)
xvfb_pid=""
run_pid=""
other_pid=""
failures=0
export WINEPREFIX=$prefix LC_ALL=C.UTF-8

cleanup() {
    for pid in "$run_pid" "$other_pid"; do
        if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null
            wait "$pid" 2>/dev/null
        fi
    done
    wineserver -k 2>/dev/null
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL ($case_name): $*"
    failures=$((failures + 1))
}

# A Windows path on drive Z:, which Wine maps to /.
windows_path() {
    echo "Z:${1//\//\\}"
}

start_xvfb "$work" || exit 1
echo "Xvfb on $DISPLAY"
# A server of this prefix from an earlier run would still talk to its own X server.
wineserver -k 2>/dev/null
# Wine draws the windows' frames itself instead of waiting for a window manager that is not there
# (it would wait for one at each window it hides).
"$wine_run" "$prefix" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

# The program directory: the program, the help, the five tables, and later Morvanta.ini; SOLUC in c:\mtemp.
mkdir -p "$work/prog" "$work/out" "$prefix/drive_c/mtemp"
cp "$program_dir/TransSelvarEDUCA.exe" "$program_dir/EDUCA.chm" "$fixtures"/*.DBF "$work/prog/"
cp "$fixtures/mtemp/SOLUC.DBF" "$prefix/drive_c/mtemp/"
program=$(windows_path "$work/prog/TransSelvarEDUCA.exe")

# The Linux program's document of the same tables; without that program the documents are only
# checked for their root element.
if [ ! -x "$linux_export" ]; then
    echo "FAIL: no Linux educa-export at '$linux_export' to compare the documents with"
    exit 1
elif ! "$linux_export" -d "$fixtures" -s "$fixtures/mtemp" -o "$work/linux.xml" >"$work/linux.out" 2>&1; then
    echo "FAIL: the Linux educa-export failed"
    cat "$work/linux.out"
    exit 1
fi
without_date() {
    sed -E 's/ fecha="[^"]*"/ fecha=""/' "$1"
}

main_caption='Exportar datos horarios a EDUCA (Navarra)'

# The first viewable window of exactly this name that is larger than a pixel (the application
# window, which only carries the taskbar entry, is one pixel), waiting until the deadline; empty if none.
# xdotool stops at an X error when a window goes away while it walks the tree: it then searches again.
find_window() {
    local name=$1 seconds=${2:-20} id deadline
    deadline=$((SECONDS + seconds))
    while [ "$SECONDS" -lt "$deadline" ]; do
        for id in $(xdotool search --onlyvisible --name "^$(printf '%s' "$name" | sed 's/[()]/\\&/g')\$" 2>/dev/null); do
            if [ "$(xwininfo -id "$id" 2>/dev/null | awk '/Width:/ {print $2}')" -gt 1 ] 2>/dev/null; then
                echo "$id"
                return
            fi
        done
        sleep 0.2
    done
}

is_viewable() {
    xwininfo -id "$1" 2>/dev/null | grep -q IsViewable
}

# Activates the main window as a person does, by a click on the strip left of the top panel, where
# nothing else is (X's focus alone does not take Wine's activation from another window of the program).
activate_main() {
    local x y w h
    read -r x y w h <<<"$(geometry "$1")"
    xdotool mousemove --window "$1" $(((w - 620) / 2 + 5)) $((h - 166 - (w - 620) / 2)) click 1 2>/dev/null
    xdotool windowfocus --sync "$1" 2>/dev/null
}

# Sends keys, to whatever has the keyboard focus, until the window goes away (a key sent before the
# window takes input is lost on a busy machine). Answers 1 when it never goes.
press_until_gone() {
    local win=$1 key=$2
    for _ in $(seq 1 15); do
        xdotool key "$key" 2>/dev/null
        # Without a window manager Wine waits a while for each window it hides.
        for _ in $(seq 1 40); do
            is_viewable "$win" || return 0
            sleep 0.1
        done
    done
    return 1
}

# The geometry of a window on the screen: "X Y WIDTH HEIGHT".
geometry() {
    xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}

host_client() {
    grep '^cliente ' "$work/host.out" 2>/dev/null | tail -1 | tr -d '\r' | cut -d' ' -f2-
}

run_step() {
    local verb=$1
    shift
    local args="$*" win dialog text
    case $verb in
    save)
        dialog=$(find_window "Guardar Archivo XML")
        [ -n "$dialog" ] || { fail "no save dialog"; return; }
        wait_focus "$dialog" || { fail "the save dialog does not have the keyboard focus"; return; }
        # Typed again over the whole field until the dialog takes it.
        for _ in $(seq 1 5); do
            xdotool key End shift+Home 2>/dev/null
            xdotool type --delay 10 "$(windows_path "$work/out/$args")"
            xdotool key Return
            for _ in $(seq 1 30); do
                is_viewable "$dialog" || return
                sleep 0.1
            done
        done
        fail "the save dialog does not take the name"
        ;;
    cancel)
        dialog=$(find_window "Guardar Archivo XML")
        [ -n "$dialog" ] || { fail "no save dialog"; return; }
        wait_focus "$dialog" || { fail "the save dialog does not have the keyboard focus"; return; }
        press_until_gone "$dialog" Escape || fail "the save dialog does not close"
        ;;
    message)
        win=$(find_window TransSelvarEDUCA)
        [ -n "$win" ] || { fail "no message box"; return; }
        text=""
        wait_focus "$win" || { fail "the message box does not have the keyboard focus"; return; }
        # Ctrl+C again each second until the clipboard holds the text, for 10 s at most.
        local deadline=$((SECONDS + 10)) asked=0
        while [ -z "$text" ] && [ "$SECONDS" -lt "$deadline" ]; do
            if [ $((SECONDS - asked)) -ge 1 ]; then
                printf '' | xclip -selection clipboard 2>/dev/null
                xdotool key ctrl+c 2>/dev/null
                asked=$SECONDS
            fi
            sleep 0.1
            text=$(timeout 1 xclip -o -selection clipboard 2>/dev/null | tr -d '\r')
        done
        grep -qxF -- "$args" <<<"$text" || fail "the message box does not show '$args' (clipboard: '$text')"
        ;;
    error)
        [ -n "$(find_window TransSelvarEDUCA)" ] || { fail "no error box"; return; }
        [ -z "$args" ] || grep -qF -- "$args" "$work/run.err" || fail "'$args' is not on standard error: $(cat "$work/run.err")"
        ;;
    answer)
        win=$(find_window TransSelvarEDUCA)
        [ -n "$win" ] || { fail "no message box to answer"; return; }
        wait_focus "$win" || { fail "the message box does not have the keyboard focus"; return; }
        press_until_gone "$win" Return || fail "the message box does not close"
        ;;
    shown)
        win=$(find_window "$main_caption")
        [ -n "$win" ] || fail "the main window is not shown"
        ;;
    not-shown)
        [ -z "$(find_window "$main_caption" 1)" ] || fail "the main window is shown"
        ;;
    placed)
        win=$(find_window "$main_caption")
        [ -n "$win" ] || { fail "no main window to place"; return; }
        local cx cy cw ch x y w h wanted
        read -r cx cy cw ch <<<"$(host_client)"
        # Moved along a moment after the host moves.
        for _ in $(seq 1 50); do
            read -r x y w h <<<"$(geometry "$win")"
            wanted="$((cx + (cw - w > 0 ? (cw - w) / 2 : 0))) $((cy + (ch - h > 0 ? (ch - h) / 2 : 0)))"
            [ "$x $y" = "$wanted" ] && break
            sleep 0.1
        done
        [ "$x $y" = "$wanted" ] || fail "the window is at $x,$y ($w x $h) instead of $wanted over the host's area $cx,$cy $cw x $ch"
        ;;
    move)
        local before
        before=$(grep -c '^cliente ' "$work/host.out")
        echo "mover $args" >"$work/orden"
        for _ in $(seq 1 50); do
            [ "$(grep -c '^cliente ' "$work/host.out")" -gt "$before" ] && return
            sleep 0.1
        done
        fail "the host did not move"
        ;;
    remove)
        rm "$work/prog/$args" || fail "no table $args to remove"
        ;;
    close-host)
        echo cerrar >"$work/orden"
        ;;
    click)
        win=$(find_window "$main_caption")
        [ -n "$win" ] || { fail "no main window to click"; return; }
        # After a box the program enables its windows again before it gives the focus back: a click
        # before that is lost.
        wait_focus "$win" || { fail "the main window does not have the keyboard focus for the click"; return; }
        # The export button's centre in the client area (620 by 266; the button lies at 258,120 and is
        # 89 by 25), past the frame that Wine draws; without its frame (started with two arguments) the
        # window keeps the framed outer size, its client area at its corner.
        local x y w h left top
        read -r x y w h <<<"$(geometry "$win")"
        left=$(((w - 620) / 2)) top=$((h - 266 - (w - 620) / 2))
        if [ "$mode" = host ] || [ "$(wc -w <<<"$start_args")" = 2 ]; then
            left=0 top=0
        fi
        xdotool mousemove --window "$win" $((left + 258 + 44)) $((top + 120 + 12)) click 1
        ;;
    click-main)
        win=$(find_window "$main_caption")
        [ -n "$win" ] || { fail "no main window to click"; return; }
        activate_main "$win"
        ;;
    key)
        xdotool key $args
        ;;
    appears)
        win=$(find_window "$main_caption")
        [ -n "$win" ] || { fail "no main window for F1"; return; }
        wait_focus "$win" || { fail "the main window does not have the keyboard focus for F1"; return; }
        for _ in $(seq 1 10); do
            xdotool key F1
            [ -n "$(find_window "$args" 3)" ] && return
        done
        fail "no window '$args' after F1"
        ;;
    gone)
        win=$(find_window "$main_caption")
        [ -n "$win" ] || { fail "no main window to close"; return; }
        wait_focus "$win" || { fail "the main window does not have the keyboard focus"; return; }
        press_until_gone "$win" "$args" || fail "the main window does not close with $args"
        ;;
    *)
        fail "unknown step $verb"
        ;;
    esac
}

for row in "${cases[@]}"; do
    IFS='|' read -r case_name start steps want_exit want_ini want_doc <<<"$row"
    echo "--- $case_name"
    started=$SECONDS
    rm -f "$work/prog/Morvanta.ini" "$work/orden" "$work/orden-otro" "$work/host.out" "$work"/out/*
    cp "$fixtures"/*.DBF "$work/prog/"
    read -r mode start_args <<<"$start"
    if [ "$mode" = beside ]; then
        "$wine_run" "$prefix" "$stand_in_host" - nada "$(windows_path "$work/orden-otro")" >/dev/null 2>&1 &
        other_pid=$!
        [ -n "$(find_window "Anfitrión de prueba")" ] || fail "the other program's window is not shown"
    fi
    if [ "$mode" = host ]; then
        "$wine_run" "$prefix" "$stand_in_host" "$program" $start_args "$(windows_path "$work/orden")" \
            >"$work/host.out" 2>"$work/run.err" &
    else
        (cd "$work/prog" && exec "$wine_run" "$prefix" ./TransSelvarEDUCA.exe $start_args) \
            >"$work/host.out" 2>"$work/run.err" &
    fi
    run_pid=$!
    IFS=';' read -ra step_list <<<"$steps"
    for step in "${step_list[@]}"; do
        read -r verb step_args <<<"$step"
        run_step "$verb" $step_args
    done
    # The program ends by itself; a run still going after 30 s is ended and counts as 124.
    wait_exit "$run_pid" 30 || wineserver -k 2>/dev/null
    rc=$exit_rc
    run_pid=""
    if [ -n "$other_pid" ]; then
        echo cerrar >"$work/orden-otro"
        for _ in $(seq 1 50); do
            kill -0 "$other_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$other_pid" 2>/dev/null
        wait "$other_pid" 2>/dev/null
        other_pid=""
    fi
    [ "$rc" = "$want_exit" ] || fail "exit code $rc instead of $want_exit"
    ini=$(sed -n 's/^Transformado=\([0-9]*\).*$/\1/p' "$work/prog/Morvanta.ini" 2>/dev/null | head -1)
    [ -e "$work/prog/Morvanta.ini" ] || ini=-
    [ "$ini" = "$want_ini" ] || fail "Morvanta.ini holds '$ini' instead of '$want_ini'"
    if [ "$want_doc" != - ]; then
        if [ ! -f "$work/out/$want_doc" ]; then
            fail "no document $want_doc"
        elif [ ! -f "$work/linux.xml" ]; then
            grep -q "<SERVICIO" "$work/out/$want_doc" || fail "$want_doc is no exchange document"
        elif ! cmp -s <(without_date "$work/out/$want_doc") <(without_date "$work/linux.xml"); then
            fail "the document is not the Linux program's"
            diff <(without_date "$work/out/$want_doc") <(without_date "$work/linux.xml") | head -5
        else
            echo "document: $(wc -c <"$work/out/$want_doc") bytes, the Linux program's apart from fecha"
        fi
    elif [ -n "$(ls -A "$work/out")" ]; then
        fail "a document was written: $(ls "$work/out")"
    fi
    echo "($((SECONDS - started)) s)"
done

if [ "$failures" -ne 0 ]; then
    echo "--- output of the last run"
    cat "$work/host.out" "$work/run.err"
    exit 1
fi
echo "all ${#cases[@]} cases passed"
