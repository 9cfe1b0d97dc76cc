#!/usr/bin/env bash
# Builds the packages of the work tree twice, each time in new folders of a temporary directory and
# without the tests, and compares them byte for byte: the .deb, the .tar.gz and the Windows zip.
#   scripts/check-reproducible.sh
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for round in 1 2; do
    echo "=== Construcción $round en $work/$round"
    make --no-print-directory package BUILD="$work/$round/build" WIN_BUILD="$work/$round/build-win" \
        CMAKE_FLAGS=-DEDUCA_BUILD_TESTS=OFF WIN_CMAKE_FLAGS=-DEDUCA_BUILD_TESTS=OFF >"$work/build-$round.log" 2>&1 ||
        { tail -30 "$work/build-$round.log"; exit 1; }
done
status=0
if [ "$(cd "$work/1" && find . -path '*/packages/*' -type f | sort)" != \
    "$(cd "$work/2" && find . -path '*/packages/*' -type f | sort)" ]; then
    echo "DISTINTO: las dos construcciones no dan los mismos paquetes"
    status=1
fi
for first in "$work"/1/build/packages/*.deb "$work"/1/build/packages/*.tar.gz "$work"/1/build-win/packages/*.zip; do
    second=${first/"$work/1/"/"$work/2/"}
    name=$(basename "$first")
    if [ ! -f "$second" ]; then
        echo "FALTA: $name en la segunda construcción"
        status=1
    elif cmp -s "$first" "$second"; then
        echo "IGUAL: $name ($(wc -c <"$first") bytes, sha256 $(sha256sum "$first" | cut -c1-16))"
    else
        echo "DISTINTO: $name"
        cmp -l "$first" "$second" | head -5
        status=1
    fi
done
exit "$status"
