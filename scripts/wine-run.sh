#!/usr/bin/env bash
# Runs a Windows program under Wine with a prefix of its own, as CMake's emulator for the Windows
# build (cmake/mingw-w64-i686.cmake):
#   scripts/wine-run.sh PREFIX PROGRAM.exe [ARGUMENTS...]
# The prefix is made on first use (one process at a time makes it). A persistent wineserver is
# started for it, away from the caller's output, so that each later start is quick and no pipe of
# the caller stays open; `wineserver -k` with the same WINEPREFIX ends it.
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=$prefix
export WINEDEBUG=-all
# No dialogs offering to install .NET or a browser engine into the new prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$prefix"
# A prefix made before Wine's 32-bit half was installed cannot start 32-bit programs ("could not load
# kernel32.dll"): it is made anew.
if [ -f "$prefix/system.reg" ] && [ -d "$prefix/drive_c/windows/syswow64" ] &&
    [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
    flock -w 300 "$prefix/.made" sh -c '[ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] ||
        { wineserver -k; rm -rf "$WINEPREFIX"/* "$WINEPREFIX"/.update-timestamp; }' </dev/null >/dev/null 2>&1 || true
fi
if [ ! -f "$prefix/system.reg" ]; then
    flock -w 300 "$prefix/.made" sh -c '[ -f "$WINEPREFIX/system.reg" ] || timeout 240 wineboot -i' </dev/null >/dev/null 2>&1
fi
# Debian's Wine does not find the fonts of its fonts-wine package by itself (seen: no Tahoma, and no
# Marlett, whose glyphs draw the caption buttons): the prefix's font folder gets them.
fonts=$prefix/drive_c/windows/Fonts
if [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
    cp /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
fi
# A new server: the first program also starts Wine's own services, which would keep the caller's
# output open; a program of no consequence starts them here, away from it.
if wineserver -p </dev/null >/dev/null 2>&1; then
    wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
fi
exec wine "$@"
