#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them: the read of two generated tables and the export of
# a generated database, each beside `cat` of the same files, then the whole educa-export process on
# the sample school. Every figure is the best of several runs; the machine may be shared, so figures
# vary from run to run.
#
#   scripts/bench.sh [BUILD_FOLDER]   (default build-bench; JOBS, compile jobs, default 2)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}

mkdir -p "$build"
if ! { cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DEDUCA_BUILD_GUI=OFF -DEDUCA_BUILD_TESTS=OFF \
    -DEDUCA_WERROR=ON && cmake --build "$build" -j"${JOBS:-2}" --target read_bench export_bench educa-export; } \
    >"$build/bench-build.log" 2>&1; then
    cat "$build/bench-build.log" >&2
    exit 1
fi

"$build/bin/read_bench"
echo
"$build/bin/export_bench"
echo

# The whole process on the sample school: the shortest of 20 runs, in milliseconds.
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
best=""
for _ in $(seq 20); do
    start=${EPOCHREALTIME/[.,]/}
    "$build/bin/educa-export" --datos sample/datos --soluc sample/mtemp --salida "$out/educa.xml" >/dev/null
    took=$(( ${EPOCHREALTIME/[.,]/} - start ))
    if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
done
printf 'educa-export con el colegio de ejemplo (%s bytes): %d,%03d ms el proceso entero (mejor de 20)\n' \
    "$(wc -c < "$out/educa.xml")" $((best / 1000)) $((best % 1000))
