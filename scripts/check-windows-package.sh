#!/usr/bin/env bash
# Checks the Windows package: the zip holds the programs, EDUCA.chm and LEEME.txt at its top; every
# program is a 32-bit one (PE32, i386) like the host program, imports nothing but Windows' own DLLs
# (so it runs on a bare Windows, without mingw's runtime libraries beside it), and asks for no
# execution level, neither in a manifest of its own nor in one beside it: Windows then shows it the
# same files as the host in a protected folder.
#   scripts/check-windows-package.sh TransSelvarEDUCA-<version>-win32.zip
set -euo pipefail
zip=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
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
mapfile -d '' -t programs < <(find "$work" -type f -iname '*.exe' -print0 | sort -z)
for program in "${programs[@]}"; do
    name=$(basename "$program")
    if ! headers=$("$objdump" -p "$program" 2>/dev/null); then
        echo "MAL: $name no es un programa de Windows"
        status=1
        continue
    fi
    imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
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
    format=$("$objdump" -f "$program" | sed -n 's/.*file format //p' | head -1)
    if [ "$format" != pei-i386 ]; then
        echo "MAL: $name es ${format:-de un formato desconocido}, no un programa de 32 bits (pei-i386)"
        status=1
    fi
    # A manifest is stored as text in the resources, UTF-8 or UTF-16.
    for word in requestedExecutionLevel trustInfo; do
        wide=$(printf '%s' "$word" | sed 's/./&\\x00/g')
        if grep -qa "$word" "$program" || LC_ALL=C grep -qaP "$wide" "$program"; then
            echo "MAL: $name lleva un manifiesto que pide un nivel de ejecución ($word)"
            status=1
        fi
    done
    echo "$name: $format, importa $(echo $imports | tr ' ' ',')"
done
while IFS= read -r -d '' manifest; do
    if grep -qaiE 'requestedExecutionLevel|trustInfo' "$manifest"; then
        echo "MAL: $(basename "$manifest") pide un nivel de ejecución (requestedExecutionLevel, trustInfo)"
        status=1
    fi
done < <(find "$work" -iname '*.manifest' -print0)
[ "$status" -eq 0 ] && echo "$(basename "$zip"): ${#programs[@]} programas, solo DLL de Windows"
exit "$status"
