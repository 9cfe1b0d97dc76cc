#!/usr/bin/env bash
# Takes the screenshots of the main window under Xvfb: docs/ventana.png (stand-alone) and
# docs/ventana-en-anfitrion.png (inside the stand-in host's window, as the host program starts it).
#
#   scripts/screenshots.sh [BUILD_DIR]     (default: build; needs TransSelvarEDUCA and stand_in_host)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/xvfb.sh
build=${1:-build}
program="$build/bin/TransSelvarEDUCA"
host_program="$build/bin/stand_in_host"
for file in "$program" "$host_program"; do
    [ -x "$file" ] || { echo "Falta $file: compile primero (cmake --build $build)" >&2; exit 1; }
done
for tool in Xvfb xdotool xwininfo import; do
    command -v "$tool" >/dev/null || { echo "Falta la orden $tool" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

start_xvfb "$work" || exit 1
pids+=("$xvfb_pid")
export QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1 XDG_RUNTIME_DIR="$work/runtime"
unset QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The program runs from a folder of its own, so that nothing lands beside the build.
mkdir "$work/prog"
cp "$program" "$work/prog/TransSelvarEDUCA"

caption='^Exportar datos horarios a EDUCA \(Navarra\)$'

# Crops the screen to a window: shot WINDOW_ID FILE
shot() {
    local geometry
    geometry=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
                                         /Width:/ {w=$2} /Height:/ {h=$2} END {printf "%dx%d+%d+%d", w, h, x, y}')
    sleep 0.5 # let the window finish painting
    import -window root -crop "$geometry" +repage "$2"
    echo "$2: $geometry"
}

(cd "$work/prog" && exec ./TransSelvarEDUCA) >"$work/app1.log" 2>&1 &
pids+=($!)
window=$(timeout 20 xdotool search --sync --onlyvisible --name "$caption" | head -1)
shot "$window" docs/ventana.png
kill "${pids[-1]}"

"$host_program" >"$work/host.out" &
pids+=($!)
for _ in $(seq 50); do
    [ -s "$work/host.out" ] && break
    sleep 0.1
done
host_id=$(head -1 "$work/host.out")
(cd "$work/prog" && exec ./TransSelvarEDUCA mostrar "$host_id") >"$work/app2.log" 2>&1 &
pids+=($!)
timeout 20 xdotool search --sync --onlyvisible --name "$caption" >/dev/null
shot "0x$host_id" docs/ventana-en-anfitrion.png
