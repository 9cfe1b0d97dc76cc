#!/usr/bin/env bash
# Checks the Windows package: the zip holds the programs, EDUCA.chm and LEEME.txt at its top, and
# every program imports nothing but Windows' own DLLs (so it runs on a bare Windows, without mingw's
# runtime libraries beside it).
#   scripts/check-windows-package.sh TransSelvarEDUCA-<version>-win64.zip
set -euo pipefail
zip=$1
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
# DLLs that every Windows has; compared without regard to case.
system_dlls=" kernel32.dll msvcrt.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll
 comctl32.dll comdlg32.dll ws2_32.dll hhctrl.ocx shlwapi.dll version.dll "

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"
status=0
for required in educa-export.exe TransSelvarEDUCA.exe EDUCA.chm LEEME.txt; do
    if [ ! -f "$work/$required" ]; then
        echo "FALTA: $required no está en la raíz de $zip"
        status=1
    fi
done
if ! head -c 4 "$work/EDUCA.chm" | grep -q ITSF; then
    echo "MAL: EDUCA.chm no es un archivo de ayuda compilada"
    status=1
fi
if ! grep -q $'Descomprima.*\r$' "$work/LEEME.txt"; then
    echo "MAL: LEEME.txt sin el texto de instalación o sin finales de línea de Windows"
    status=1
fi
shopt -s nullglob
programs=("$work"/*.exe)
for program in "${programs[@]}"; do
    name=$(basename "$program")
    imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')
    if [ -z "$imports" ]; then
        echo "MAL: $name no importa ninguna DLL (¿no es un programa de Windows?)"
        status=1
    fi
    for dll in $imports; do
        lower=$(echo "$dll" | tr '[:upper:]' '[:lower:]')
        if [[ "$system_dlls" != *" $lower "* ]]; then
            echo "MAL: $name importa $dll, que no es de Windows"
            status=1
        fi
    done
    echo "$name: importa $(echo $imports | tr ' ' ',')"
done
[ "$status" -eq 0 ] && echo "$(basename "$zip"): ${#programs[@]} programas, solo DLL de Windows"
exit "$status"
