#!/usr/bin/env bash
# Takes the screenshots of the Windows program under Wine, each in a Wine virtual desktop (which draws
# the windows' frames) under Xvfb:
#   docs/ventana-windows.png               the window on its own
#   docs/ventana-windows-en-anfitrion.png  the window inside the stand-in host's window, as the host
#                                          program starts it
#
#   scripts/screenshots-windows.sh [WIN_BUILD_DIR]   (default: build-win; needs TransSelvarEDUCA.exe
#                                                     and stand_in_host.exe, make windows builds both)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/xvfb.sh
build=${1:-build-win}
for file in "$build/bin/TransSelvarEDUCA.exe" "$build/bin/stand_in_host.exe"; do
    [ -f "$file" ] || { echo "Falta $file: compile primero (make windows)" >&2; exit 1; }
done
for tool in Xvfb xdotool import convert wine wineserver; do
    command -v "$tool" >/dev/null || { echo "Falta la orden $tool" >&2; exit 1; }
done

prefix=$PWD/$build/wine-gui
export WINEPREFIX=$prefix LC_ALL=C.UTF-8
work=$(mktemp -d)
pids=()
cleanup() {
    wineserver -k 2>/dev/null || true
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

start_xvfb "$work" 1280x800x24 || exit 1
pids+=("$xvfb_pid")
wineserver -k 2>/dev/null || true

# The program runs from a folder of its own, with the help and the tables beside it.
mkdir "$work/prog"
cp "$build/bin/TransSelvarEDUCA.exe" "$build/bin/stand_in_host.exe" src/app/tests/fixtures/*.DBF "$work/prog/"

# Shows a program in a virtual desktop of that size and takes the desktop: shot NAME SIZE FILE PROGRAM ARGS...
shot() {
    local name=$1 size=$2 file=$3 desktop=""
    shift 3
    (cd "$work/prog" && exec "$OLDPWD/scripts/wine-run.sh" "$prefix" explorer "/desktop=$name,$size" "$@") \
        >"$work/$name.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        desktop=$(xdotool search --onlyvisible --name "^$name - Wine desktop\$" 2>/dev/null | head -1 || true)
        [ -n "$desktop" ] && break
        sleep 0.2
    done
    [ -n "$desktop" ] || { echo "No se abrió el escritorio $name" >&2; exit 1; }
    sleep 4 # let the program start and paint
    import -window "$desktop" "$file"
    echo "$file: $(identify -format '%wx%h' "$file")"
    wineserver -k 2>/dev/null || true
}

# The window on its own, centred on a desktop a little larger than it; cut to the window.
shot ventana 700x360 "$work/alone.png" TransSelvarEDUCA.exe
convert "$work/alone.png" -trim +repage docs/ventana-windows.png
echo "docs/ventana-windows.png: $(identify -format '%wx%h' docs/ventana-windows.png)"

# Inside the stand-in host, started with a command word that shows the window without exporting.
shot anfitrion 980x620 docs/ventana-windows-en-anfitrion.png stand_in_host.exe 'TransSelvarEDUCA.exe' mostrar
